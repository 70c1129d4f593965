#!/usr/bin/env python3
"""Writes data/motor-catalogue.csv, the source table of the sample motor catalogue.

Run by hand when the table's rules change; the build turns the table into the three catalogue
files (zr5-catalogue-gen). Every figure is either published (the Y series 4-pole handbook table)
or estimated by the rules written out in data/README.md; the source column says which, figure by
figure, in the order kW, A, efficiency, no-load A, no-load kW (P published, E estimated).
"""
import csv
import math
import sys

# Y series (IP44) 380 V 4 poles, handbook figures: model, kW, A, efficiency %, cos phi.
Y4_PUBLISHED = [
    ("801", 0.55, 1.5, 73.0, 0.76), ("802", 0.75, 2.0, 74.5, 0.76),
    ("90S", 1.1, 2.7, 78.0, 0.78), ("90L", 1.5, 3.7, 79.0, 0.79),
    ("100L1", 2.2, 5.0, 81.0, 0.82), ("100L2", 3, 6.8, 82.5, 0.81),
    ("112M", 4, 8.8, 84.5, 0.82), ("132S", 5.5, 11.6, 85.5, 0.84),
    ("132M", 7.5, 15.4, 87.0, 0.85), ("160M", 11, 22.6, 88.0, 0.84),
    ("160L", 15, 30.3, 88.5, 0.85), ("180M", 18.5, 35.9, 91.0, 0.86),
    ("180L", 22, 42.5, 91.5, 0.86), ("200L", 30, 56.8, 92.2, 0.87),
    ("225S", 37, 70.4, 91.8, 0.87), ("225M", 45, 84.2, 92.3, 0.88),
    ("250M", 55, 102.6, 92.6, 0.88), ("280S", 75, 139.7, 92.7, 0.88),
    ("280M", 90, 164.3, 93.5, 0.89), ("315S", 110, 201, 93.5, 0.89),
    ("315M", 132, 240, 94.0, 0.89), ("315L1", 160, 289, 94.5, 0.89),
    ("315L2", 200, 361, 94.5, 0.89), ("355M1", 220, 407, 94.4, 0.87),
    ("355M2", 250, 461, 94.7, 0.87), ("355L1", 280, 515.3, 94.9, 0.87),
    ("355L2", 315, 577.9, 95.2, 0.87),
]
COS_PHI_4P = {kw: cp for (_, kw, _, _, cp) in Y4_PUBLISHED}

# Frame and power steps of the other pole counts, in the style of the Y series.
FRAMES = {
    2: [("801", 0.75), ("802", 1.1), ("90S", 1.5), ("90L", 2.2), ("100L", 3), ("112M", 4),
        ("132S1", 5.5), ("132S2", 7.5), ("160M1", 11), ("160M2", 15), ("160L", 18.5),
        ("180M", 22), ("200L1", 30), ("200L2", 37), ("225M", 45), ("250M", 55), ("280S", 75),
        ("280M", 90), ("315S", 110), ("315M", 132), ("315L1", 160), ("315L2", 200),
        ("355M1", 220), ("355M2", 250), ("355L1", 280), ("355L2", 315)],
    4: [(f, kw) for (f, kw, _, _, _) in Y4_PUBLISHED],
    6: [("90S", 0.75), ("90L", 1.1), ("100L", 1.5), ("112M", 2.2), ("132S", 3), ("132M1", 4),
        ("132M2", 5.5), ("160M", 7.5), ("160L", 11), ("180L", 15), ("200L1", 18.5),
        ("200L2", 22), ("225M", 30), ("250M", 37), ("280S", 45), ("280M", 55), ("315S", 75),
        ("315M", 90), ("315L1", 110), ("315L2", 132), ("355M1", 160), ("355M2", 200),
        ("355L1", 220), ("355L2", 250)],
    8: [("132S", 2.2), ("132M", 3), ("160M1", 4), ("160M2", 5.5), ("160L", 7.5), ("180L", 11),
        ("200L", 15), ("225S", 18.5), ("225M", 22), ("250M", 30), ("280S", 37), ("280M", 45),
        ("315S", 55), ("315M", 75), ("315L1", 90), ("315L2", 110), ("355M1", 132),
        ("355M2", 160), ("355L", 200)],
    10: [("315S", 45), ("315M", 55), ("315L1", 75), ("315L2", 90), ("355M1", 110),
         ("355M2", 132), ("355L", 160)],
}

# Minimum efficiency classes at 50 Hz, 2 / 4 / 6 poles.
CLASS_KW = [0.75, 1.1, 1.5, 2.2, 3, 4, 5.5, 7.5, 11, 15, 18.5, 22, 30, 37, 45, 55, 75, 90, 110,
            132, 160, 200]
CLASS_TABLE = {
    "IE1": [(72.1, 72.1, 70.0), (75.0, 75.0, 72.9), (77.2, 77.2, 75.2), (79.7, 79.7, 77.7),
            (81.5, 81.5, 79.7), (83.1, 83.1, 81.4), (84.7, 84.7, 83.1), (86.0, 86.0, 84.7),
            (87.6, 87.6, 86.4), (88.7, 88.7, 87.7), (89.3, 89.3, 88.6), (89.9, 89.9, 89.2),
            (90.7, 90.7, 90.2), (91.2, 91.2, 90.8), (91.7, 91.7, 91.4), (92.1, 92.1, 91.9),
            (92.7, 92.7, 92.6), (93.0, 93.0, 92.9), (93.3, 93.3, 93.3), (93.5, 93.5, 93.5),
            (93.8, 93.8, 93.8), (94.0, 94.0, 94.0)],
    "IE2": [(77.4, 79.6, 75.9), (79.6, 81.4, 78.1), (81.3, 82.8, 79.8), (83.2, 84.3, 81.8),
            (84.6, 85.5, 83.3), (85.8, 86.6, 84.6), (87.0, 87.7, 86.0), (88.1, 88.7, 87.2),
            (89.4, 89.8, 88.7), (90.3, 90.6, 89.7), (90.9, 91.2, 90.4), (91.3, 91.6, 90.9),
            (92.0, 92.3, 91.7), (92.5, 92.7, 92.2), (92.9, 93.1, 92.7), (93.2, 93.5, 93.1),
            (93.8, 94.0, 93.7), (94.1, 94.2, 94.0), (94.3, 94.5, 94.3), (94.6, 94.7, 94.6),
            (94.8, 94.9, 94.8), (95.0, 95.1, 95.0)],
    "IE3": [(80.7, 82.5, 78.9), (82.7, 84.1, 81.0), (84.2, 85.3, 82.5), (85.9, 86.7, 84.3),
            (87.1, 87.7, 85.6), (88.1, 88.6, 86.8), (89.2, 89.6, 88.0), (90.1, 90.4, 89.1),
            (91.2, 91.4, 90.3), (91.9, 92.1, 91.2), (92.4, 92.6, 91.7), (92.7, 93.0, 92.2),
            (93.3, 93.6, 92.9), (93.7, 93.9, 93.3), (94.0, 94.2, 93.7), (94.3, 94.6, 94.1),
            (94.7, 95.0, 94.6), (95.0, 95.2, 94.9), (95.2, 95.4, 95.1), (95.4, 95.6, 95.4),
            (95.6, 95.8, 95.6), (95.8, 96.0, 95.8)],
}

# cos phi of other pole counts: the 4-pole figure of the same power, shifted (estimate).
COS_PHI_SHIFT = {2: 0.03, 4: 0.0, 6: -0.05, 8: -0.08, 10: -0.10, 12: -0.12, 14: -0.14, 16: -0.16}

NO_LOAD_K = {2: (0.2385, 0.0432, 0.01191, 0.1768, 0.1847),
             4: (0.2680, 0.08, 0.01173, 0.2029, 0.1541),
             6: (0.2900, 0.0753, 0.00291, 0.2405, 0.0984),
             8: (0.3300, 0.06, 0.00125, 0.1940, 0.0558)}


def class_efficiency(cls, poles, kw):
    column = {2: 0, 4: 1}.get(poles, 2)  # 8 poles and more take the 6-pole column
    if kw >= 200:
        return CLASS_TABLE[cls][-1][column]
    return CLASS_TABLE[cls][CLASS_KW.index(kw)][column]


def cos_phi(poles, kw):
    base = COS_PHI_4P[min(kw, 315)] if kw in COS_PHI_4P or kw > 315 else None
    if base is None:
        raise ValueError(f"no 4-pole cos phi for {kw} kW")
    return min(0.92, base + COS_PHI_SHIFT[poles])


def no_load_current(poles, kw, rated_current):
    a, b, c, d, e = NO_LOAD_K[min(poles, 8)]
    hp = kw / 0.746
    return (a + b * math.exp(-c * hp) + d * math.exp(-e * hp)) * rated_current


def no_load_power(poles, kw, efficiency):
    share = 0.40 if poles == 6 and kw <= 1.5 else 0.30
    return share * kw * (100.0 / efficiency - 1.0)


def rated_current(kw, volts, efficiency, cp):
    return kw * 1000.0 / (math.sqrt(3.0) * volts * efficiency / 100.0 * cp)


def entry(model, poles, kw, volts, efficiency, current, source):
    i0 = round(no_load_current(poles, kw, current), 2 if current >= 1 else 3)
    p0 = round(no_load_power(poles, kw, efficiency), 3)
    losses = kw * (100.0 / efficiency - 1.0)
    assert 0 < i0 < current and 0 < p0 < losses, model
    return dict(model=model, poles=poles, kw=kw, a=current, eff=efficiency, i0=i0, p0=p0,
                source=source)


def estimated(model, poles, kw, volts, cls):
    eff = class_efficiency(cls, poles, kw)
    current = round(rated_current(kw, volts, eff, cos_phi(poles, kw)), 2)
    return entry(model, poles, kw, volts, eff, current, "EEEEE")


LV_SERIES = [("Y", "Y", "Y系列(IP44)"), ("Y2", "Y2-", "Y2系列"), ("YE2", "YE2-", "YE2系列(二级能效)"),
             ("YE3", "YE3-", "YE3系列(三级能效)")]
LV_MOUNTINGS = ["B3", "B5", "B35", "B14", "B34", "V1", "V3", "V5", "V6", "V15", "V36", "V18"]
LV_CLASS = {"Y": "IE1", "Y2": "IE1", "YE2": "IE2", "YE3": "IE3"}


def lv_family(series, prefix, mounting):
    models = []
    for poles in (2, 4, 6, 8, 10):
        if series == "Y" and poles == 4:
            for frame, kw, a, eff, _ in Y4_PUBLISHED:
                models.append(entry(f"{prefix}{frame}-4 {mounting}", 4, kw, 380, eff, a, "PPPEE"))
            continue
        for frame, kw in FRAMES[poles]:
            if kw < 0.75:
                continue
            models.append(estimated(f"{prefix}{frame}-{poles} {mounting}", poles, kw, 380,
                                    LV_CLASS[series]))
    return models


HV_KW = [200, 220, 250, 280, 315, 355, 400, 450, 500, 560, 630, 710, 800, 900, 1000]
HV_POLES = [2, 4, 6, 8, 10, 12, 14, 16]
HV_SERIES = [("Y", "Y系列高压"), ("YKK", "YKK系列高压"), ("YKS", "YKS系列高压")]
HV_VARIANTS = [("IMB3", "IP44"), ("IMB3", "IP54"), ("IMB3", "IP55"), ("IMV1", "IP44"),
               ("IMV1", "IP54"), ("IMV1", "IP55")]


def hv_frame(kw):
    for limit, height in ((280, 355), (450, 400), (710, 450), (1000, 500)):
        if kw <= limit:
            return height
    raise ValueError(kw)


def hv_family(prefix, volts, mounting, protection):
    models = []
    for poles in HV_POLES:
        lengths = {}
        for kw in HV_KW:
            height = hv_frame(kw)
            lengths[height] = lengths.get(height, 0) + 1
            model = f"{prefix}{height}{lengths[height]}-{poles} {volts // 1000 if volts % 1000 == 0 else volts / 1000}kV {mounting} {protection}"
            models.append(estimated(model, poles, kw, volts, "IE2"))
    return models


def small_family():
    # Low-voltage small motors: the Y 4-pole efficiency and cos phi at another winding voltage.
    plan = [110] * 7 + [115] * 2 + [220] * 7 + [230, 283.5, 253.5, 100]
    published = [r for r in Y4_PUBLISHED if 0.75 <= r[1] <= 7.5]
    models = []
    for n, volts in enumerate(plan):
        frame, kw, _, eff, cp = published[plan[:n].count(volts) % len(published)]
        current = round(rated_current(kw, volts, eff, cp), 2)
        text = f"{volts:g}V"
        models.append(entry(f"Y{frame}-4 {text}", 4, kw, volts, eff, current, "EEEEE"))
    return models


def take(categories, name, family, count):
    if count <= 0:
        return count
    models = family[:count]
    categories.append((name, models))
    return count - len(models)


def main(path):
    categories = []
    left = 4874
    for series, prefix, title in LV_SERIES:
        for mounting in LV_MOUNTINGS:
            left = take(categories, f"{title} 380V {mounting}", lv_family(series, prefix, mounting),
                        left)
    assert left == 0
    for volts, count in ((3000, 277), (3300, 3), (6000, 1740), (6600, 2), (10000, 19)):
        for prefix, title in HV_SERIES:
            for mounting, protection in HV_VARIANTS:
                count = take(categories, f"{title} {volts}V {mounting} {protection}",
                             hv_family(prefix, volts, mounting, protection), count)
        assert count == 0, volts
    categories.append(("低压小型电机 100～283.5V", small_family()))
    assert len(categories) <= 178

    with open(path, "w", newline="", encoding="utf-8") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["code", "category", "model", "poles", "rated_kW", "rated_A",
                         "efficiency_pct", "no_load_A", "no_load_kW", "source"])
        code = 0
        for name, models in categories:
            for m in models:
                code += 1
                writer.writerow([code, name, m["model"], m["poles"], f"{m['kw']:g}",
                                 f"{m['a']:g}", f"{m['eff']:g}", f"{m['i0']:g}", f"{m['p0']:g}",
                                 m["source"]])
    assert code == 6935, code
    print(f"{code} codes in {len(categories)} categories")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "data/motor-catalogue.csv")
