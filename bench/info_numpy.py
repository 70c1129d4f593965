#!/usr/bin/python3
"""The row arithmetic of `zr5-tool info` over a recording, vectorised with numpy.

The yardstick bench/info_vs_numpy.sh times the tool against: the power rules per channel, the
totals, the running mean-power energies, the motor's operating point and state per row, and the
extremes of efficiency and load rate. Single precision where the program keeps floats, double
where it computes in double. Prints the summary as JSON.

    info_numpy.py FILE.MTR
"""

import json
import sys

import numpy as np

F = np.float32


def operating_point(p, motor):
    """Load rate, output power and efficiency per row (zero where there is no operating point),
    and which rows have one and which generate."""
    pn, eff, p0 = motor[1], motor[3], motor[5]
    valid = bool(np.all(motor != 0))
    n = len(p)
    zero = np.zeros(n, dtype=F)
    if not valid:
        return zero, zero, zero, np.zeros(n, dtype=bool), np.zeros(n, dtype=bool)
    losses = F(float(pn) * (100.0 / float(eff) - 1.0))
    k = F(losses - p0)
    above = p > p0
    excess = (p - p0).astype(F)
    with np.errstate(all="ignore"):
        if k == 0:
            load = (100.0 * excess.astype(np.float64) / float(pn)).astype(F)
            solvable = above
        else:
            rs = (float(pn) * float(pn) / 4.0 + float(k) * excess.astype(np.float64)).astype(F)
            solvable = above & (rs >= 0)
            load = (100.0 * (np.sqrt(rs.astype(np.float64)) - float(pn) / 2.0) / float(k)).astype(F)
        out = (load.astype(np.float64) / 100.0 * float(pn)).astype(F)
        efficiency = (out.astype(np.float64) / p.astype(np.float64) * 100.0).astype(F)
    normal = solvable & np.isfinite(load) & np.isfinite(out) & np.isfinite(efficiency)
    generating = ~above & (p < 0)
    return (np.where(normal, load, zero), np.where(normal, out, zero),
            np.where(normal, efficiency, zero), normal, generating)


def analyse(path):
    records = np.fromfile(path, dtype="<f4")
    header, rows = records[:12], records[12:-24].reshape(-1, 9)
    start, duration, motor = header[0], header[1], header[2:9]
    n = len(rows)

    current, voltage = rows[:, 0::3], rows[:, 1::3]
    active = rows[:, 2::3].copy()
    apparent = voltage * current / F(1000)
    over = np.abs(active) > np.abs(apparent)
    active[over] = (np.sign(active) * np.abs(apparent))[over]
    s, p = apparent.astype(np.float64), active.astype(np.float64)
    d = s * s - p * p
    reactive = (np.sign(current) * np.sqrt(np.where(d > 0, d, 0.0))).astype(F)
    total_p = (active[:, 0] + active[:, 1]) + active[:, 2]
    total_q = (reactive[:, 0] + reactive[:, 1]) + reactive[:, 2]
    total_s = np.sqrt(total_q.astype(np.float64) ** 2 + total_p.astype(np.float64) ** 2)
    with np.errstate(all="ignore"):
        power_factor = np.where(
            total_q == 0, F(1), (total_p * np.sign(total_q) / total_s).astype(F))

    k = np.arange(1, n + 1, dtype=np.float64)
    elapsed = (k * float(duration) / n).astype(F)
    span = ((start + elapsed) - start).astype(np.float64)
    active_energy = np.abs(
        (np.cumsum(total_p, dtype=np.float64) / k * span / 3600.0).astype(F)) * F(1000)
    reactive_energy = np.abs(
        (np.cumsum(total_q, dtype=np.float64) / k * span / 3600.0).astype(F)) * F(1000)

    load, out, efficiency, normal, generating = operating_point(total_p, motor)
    # A generating row keeps the values of the row before it.
    source = np.maximum.accumulate(np.where(generating, 0, np.arange(1, n + 1)))
    load = np.concatenate(([F(0)], load))[source]
    efficiency = np.concatenate(([F(0)], efficiency))[source]

    return {
        "record_count": n,
        "total_active_energy": float(active_energy[-1]),
        "total_reactive_energy": float(reactive_energy[-1]),
        "efficiency_max": float(max(F(0), efficiency.max())),
        "efficiency_min": float(min(F(100), efficiency.min())),
        "load_rate_max": float(max(F(0), load.max())),
        "load_rate_min": float(min(F(150), load.min())),
        "normal_rows": int(normal.sum()),
        "power_factor_mean": float(power_factor.mean()),
        "apparent_power_max": float(total_s.max()),
    }


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: info_numpy.py FILE.MTR")
    print(json.dumps(analyse(sys.argv[1]), indent=2))
