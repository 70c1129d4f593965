#!/usr/bin/python3
"""Reads a workbook back with openpyxl and prints what it holds as JSON on standard output.

read_workbook.py FILE.xlsx full   every sheet's cells, the charts with their series
read_workbook.py FILE.xlsx sheets the sheet names, each sheet's row count by its dimension, and
                                  the cells of the sheets named after it
"""
import json
import math
import sys

import openpyxl


def cell_value(v):
    if isinstance(v, float) and not math.isfinite(v):
        return repr(v)
    return v


def sheet_cells(ws):
    return [[cell_value(c) for c in row] for row in ws.iter_rows(values_only=True)]


def chart_text(title):
    if title is None or title.tx is None or title.tx.rich is None:
        return None
    return "".join(r.t for p in title.tx.rich.p for r in (p.r or []))


def ref(data):
    """The cell range a series' categories or values come from."""
    if data is None:
        return None
    for r in (getattr(data, "numRef", None), getattr(data, "strRef", None)):
        if r is not None:
            return r.f
    return None


def fill(series):
    try:
        colour = series.spPr.solidFill.srgbClr
    except AttributeError:
        return None
    return getattr(colour, "val", colour)


def main():
    path, mode = sys.argv[1], sys.argv[2]
    if mode == "sheets":
        wb = openpyxl.load_workbook(path, read_only=True)
        out = {"sheets": wb.sheetnames,
               "max_row": {n: wb[n].max_row for n in wb.sheetnames},
               "cells": {n: sheet_cells(wb[n]) for n in sys.argv[3:]}}
    else:
        wb = openpyxl.load_workbook(path)
        charts = []
        for ws in wb.worksheets:
            for ch in ws._charts:
                charts.append({
                    "sheet": ws.title,
                    "type": type(ch).__name__,
                    "title": chart_text(ch.title),
                    "series": [{"x": ref(s.xVal if s.xVal is not None else s.cat),
                                "y": ref(s.yVal if s.yVal is not None else s.val),
                                "name": s.tx.strRef.f, "fill": fill(s)} for s in ch.series],
                })
        out = {"sheets": wb.sheetnames,
               "cells": {ws.title: sheet_cells(ws) for ws in wb.worksheets},
               "frozen": {ws.title: ws.freeze_panes for ws in wb.worksheets},
               "autofilter": {ws.title: ws.auto_filter.ref for ws in wb.worksheets},
               "formats": {ws.title: [c.number_format for c in ws[2]] if ws.max_row > 1 else []
                           for ws in wb.worksheets},
               "charts": charts}
    json.dump(out, sys.stdout, ensure_ascii=False)


main()
