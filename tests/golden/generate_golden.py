#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Golden data of the crossover design and its evaluation, from a calculation of its own.

Every number is computed here afresh from the formulas of the Kaiser window functions, the tap
design of the three bands and the direct-sum evaluation of their magnitudes, not from the C++ code:
numpy.longdouble is the 80-bit x87 extended format on x86-64 (what the C++ code calls long double),
the sine, cosine, square root, exponential and natural logarithm of an extended value are the C
library's sinl, cosl, sqrtl, expl and logl called through ctypes, every expression is evaluated in
the order it is written (left to right), and a value is rounded to double exactly where it is
stored. Nothing here reads, links or runs the program.

Regenerate from the repository's root (Debian's python3-numpy; python is not needed by the tests):

    /usr/bin/python3 tests/golden/generate_golden.py                      # tests/golden/44100/
    /usr/bin/python3 tests/golden/generate_golden.py --sample-rate 48000  # tests/golden/48000/

The sample rate takes the place of 44100 in every formula; the frequency grid (2 ... 1000 Hz in
steps of 2, 1020 ... 10000 Hz in steps of 20) stays. A run takes about a quarter of a minute.

Each design's file holds the tap counts as typed, the cut-offs, the attenuation, the adjust flag,
every tap of LowTaps, MidTaps, HighTaps and SumTaps, the magnitudes LowMag, MidMag, HighMag and
SumMag at the 950 grid points, and the CMax line; numbers have 17 significant digits, so each reads
back as the same double.

Before writing, the generator checks itself (check_spot_values, at 44100 Hz only) against values
known without it: 30! = 2.6525286e32 and 0! = (-3)! = 1; I0(0) = 1 exactly and I0(-x) = I0(x);
Kaiser's beta 0 at 20.9 and 21 dB, 4.533514 at 50, 4.5514 at 50.001 and 14.91006 at 144 dB; the
window exactly 1 at the centre (M = 900, n = 450), 1/I0(beta) at both ends, and 1 everywhere for
beta = 0; the initial design's taps LowTaps[450] = 600/44100, MidTaps[450] = 3400/44100,
HighTaps[450] = 1 - 4000/44100, SumTaps[450] = 1 (to 1e-15), LowTaps[449] = LowTaps[451] =
0.01360082, LowTaps[0] = 8.5247e-10, MidTaps[100] = MidTaps[800] = -4.0774e-9 with zeros outside
100 ... 800, HighTaps[449] = -0.0894518, HighTaps[300] = 6.4444e-9 with zeros outside 300 ... 600;
with the adjustment SumTaps a unit impulse at 450 (to 1e-15), MidTaps[450] = 0.07709751 and
MidTaps[0] = -8.5247e-10, and on the grid a sum level of about 1.0000868 up to 1000 Hz and
1.0000087 above; reversed band-pass edges give a negative mid centre tap.
"""

import argparse
import ctypes
import decimal
import os
import sys
from fractions import Fraction

import numpy as np

LD = np.longdouble
F64 = np.float64

_LIBM = ctypes.CDLL("libm.so.6")


class _CLongDouble(ctypes.c_longdouble):
    """A subclass, so that ctypes hands results back as 80-bit values, not as Python floats."""


for _name in ("sinl", "cosl", "sqrtl", "expl", "logl"):
    getattr(_LIBM, _name).argtypes = [_CLongDouble]
    getattr(_LIBM, _name).restype = _CLongDouble


def _libm(name, x):
    argument = _CLongDouble.from_buffer_copy(LD(x).tobytes())
    return np.frombuffer(bytes(getattr(_LIBM, name)(argument)), dtype=LD)[0]


def sinl(x):
    return _libm("sinl", x)


def cosl(x):
    return _libm("cosl", x)


def sqrtl(x):
    return _libm("sqrtl", x)


def expl(x):
    return _libm("expl", x)


def logl(x):
    return _libm("logl", x)


def _libm_array(name, values):
    """The C library's function of each extended value, rounded to double."""
    arguments = (_CLongDouble * len(values)).from_buffer_copy(np.ascontiguousarray(values).tobytes())
    function = getattr(_LIBM, name)
    results = np.empty(len(values), dtype=F64)
    for i in range(len(values)):
        results[i] = F64(np.frombuffer(bytes(function(arguments[i])), dtype=LD)[0])
    return results


def extended(text):
    """The extended value nearest to a decimal text (checked, not trusted to numpy's parser)."""
    exact = Fraction(text)
    best = LD(text)
    for candidate in (np.nextafter(best, LD(-np.inf)), np.nextafter(best, LD(np.inf))):
        if abs(Fraction(*candidate.as_integer_ratio()) - exact) < abs(
                Fraction(*best.as_integer_ratio()) - exact):
            best = candidate
    return best


PI = extended("3.1415926535897932385")
TWO_PI = extended("6.283185307179586477")
ONE = LD(1)
TWO = LD(2)


def store(x):
    """x rounded to double, as a stored value is."""
    value = F64(x)
    if not np.isfinite(value):
        raise OverflowError("value beyond the double range")
    return value


# The Kaiser window functions.

def factorial(n):
    value = F64(1.0)
    for i in range(1, n + 1):
        value = store(LD(value) * LD(i))
    return value


def integer_power(base, exponent):
    """base**exponent by square-and-multiply from 1, taking the bits of the exponent from the
    least significant one: the result is multiplied by base, base^2, base^4, ... where a bit is
    set."""
    result = ONE
    square = base
    remaining = exponent
    while remaining > 0:
        if remaining & 1:
            result = result * square
        remaining >>= 1
        if remaining > 0:
            square = square * square
    return result


_FACTORIALS = [factorial(k) for k in range(31)]


def bessel_i0(x):
    total = F64(0.0)
    for k in range(1, 31):
        half = LD(x) / TWO
        power = integer_power(half, k)
        term = power / LD(_FACTORIALS[k])
        total = store(LD(total) + term * term)
    return store(ONE + LD(total))


def kaiser_beta(attenuation_db):
    a = LD(attenuation_db)
    if a > LD(50):
        return store((a - extended("8.7")) * extended("0.1102"))
    if a < LD(21):
        return F64(0.0)
    excess = a - LD(21)
    power = LD(0) if excess == 0 else expl(extended("0.4") * logl(excess))
    return store(extended("0.5842") * power + extended("0.07886") * excess)


def kaiser_window(m, n, beta):
    two_n = TWO * LD(F64(n))
    r = ONE - two_n / LD(m)
    s = ONE - r * r
    u = store(LD(beta) * sqrtl(s))
    numerator = bessel_i0(u)
    denominator = bessel_i0(beta)
    return store(LD(numerator) / LD(denominator))


# The tap design.

def normalise_count(v):
    """2 * (v div 2) + 1 with the division truncated toward zero."""
    half = abs(v) // 2
    return 2 * (half if v >= 0 else -half) + 1


def low_pass_tap(w, k, p, rate):
    w, cut = LD(w), LD(p["low_cut"])
    if k == 0:
        return w * TWO * cut / rate
    kk = LD(k)
    return w * sinl(kk * TWO_PI * cut / rate) / (PI * kk)


def band_pass_tap(w, k, p, rate):
    w, high, low = LD(w), LD(p["mid_high"]), LD(p["mid_low"])
    if k == 0:
        return w * TWO * (high - low) / rate
    kk = LD(k)
    return (TWO * w / (PI * kk)) * cosl(PI * kk * (high + low) / rate) * \
        sinl(PI * kk * (high - low) / rate)


def high_pass_tap(w, k, p, rate):
    w = LD(w)
    pass_fraction = ONE - TWO * LD(p["high_cut"]) / rate
    if k == 0:
        return w * pass_fraction
    kk = LD(k)
    sign = ONE if k % 2 == 0 else -ONE
    return sign * w * sinl(PI * kk * pass_fraction) / (PI * kk)


def design_band(count, beta, formula, p, rate, common_length, common_centre):
    centre = count // 2
    band = []
    for i in range(count):
        w = kaiser_window(count - 1, F64(i), beta)
        band.append(store(formula(w, i - centre, p, rate)))
    taps = [F64(0.0)] * common_length
    shift = common_centre - centre
    for j in range(count):
        taps[shift + j] = band[j]
    return taps


def sum_of_three(a, b, c):
    return store((LD(a) + LD(b)) + LD(c))


def design(p, rate):
    counts = [normalise_count(v) for v in p["counts"]]
    low_cut, high_cut = p["low_cut"], p["high_cut"]
    if p["adjust"]:
        low_cut, high_cut = p["mid_low"], p["mid_high"]
    q = dict(p, low_cut=low_cut, high_cut=high_cut)
    common_length = max(counts)
    common_centre = common_length // 2
    beta = kaiser_beta(p["attenuation"])
    rate = LD(rate)
    low = design_band(counts[0], beta, low_pass_tap, q, rate, common_length, common_centre)
    mid = design_band(counts[1], beta, band_pass_tap, q, rate, common_length, common_centre)
    high = design_band(counts[2], beta, high_pass_tap, q, rate, common_length, common_centre)
    total = [sum_of_three(low[i], mid[i], high[i]) for i in range(common_length)]
    if p["adjust"]:
        impulse = [F64(0.0)] * common_length
        impulse[common_centre] = F64(1.0)
        for i in range(common_length):
            mid[i] = store((LD(mid[i]) + LD(impulse[i])) - LD(total[i]))
            total[i] = sum_of_three(low[i], mid[i], high[i])
    return {"counts": counts, "beta": beta, "common_centre": common_centre,
            "taps": [low, mid, high, total]}


# The evaluation on the frequency grid.

GRID = [2 * k if k <= 500 else (k - 500) * 20 + 1000 for k in range(1, 951)]


def magnitudes(arrays, rate):
    """The direct sum of each array at every grid point: for tap n the angle 2*pi*n*f / rate in
    extended precision, its cosine and sine rounded to double, and the real and imaginary
    accumulators doubles rounded after every addition; the four arrays share the angles. Returns
    four lists of 950 magnitudes sqrt(re^2 + im^2)."""
    taps = np.array(arrays, dtype=F64)  # 4 x length
    frequencies = np.array(GRID, dtype=LD)
    re = np.zeros((4, len(GRID)), dtype=F64)
    im = np.zeros((4, len(GRID)), dtype=F64)
    for n in range(taps.shape[1]):
        theta = TWO_PI * LD(n) * frequencies / LD(rate)
        cosine = _libm_array("cosl", theta).astype(LD)
        sine = _libm_array("sinl", theta).astype(LD)
        x = taps[:, n].astype(LD)[:, None]
        re = (re.astype(LD) + x * cosine[None, :]).astype(F64)
        im = (im.astype(LD) + x * sine[None, :]).astype(F64)
    squares = re.astype(LD) * re + im.astype(LD) * im
    return [[store(sqrtl(value)) for value in row] for row in squares]


def cmax(mags):
    largest = F64(0.0)
    for k in range(len(GRID)):
        for band in range(3):
            if mags[band][k] > largest:
                largest = mags[band][k]
    return largest


def format_fixed_5_6(value):
    """"%5.6f": the value's 18 significant digits (rounded to nearest), cut after the sixth
    decimal, a remainder of one half or more rounding the magnitude up."""
    exact = decimal.Decimal(float(value))
    context = decimal.Context(prec=18, rounding=decimal.ROUND_HALF_EVEN)
    eighteen = context.plus(abs(exact))
    six = eighteen.quantize(decimal.Decimal("0.000001"), rounding=decimal.ROUND_HALF_UP)
    text = "%.6f" % six
    return ("-" + text) if exact < 0 and six != 0 else text


def cmax_line(value):
    return "振幅係数の最大値：CMax = " + format_fixed_5_6(value)


# The designs.

DESIGNS = [
    ("initial", ["901", "701", "301"], [300, 300, 2000, 2000], "144", False),
    ("initial-adjusted", ["901", "701", "301"], [300, 300, 2000, 2000], "144", True),
    ("middle-beta", ["151", "251", "201"], [500, 450, 3000, 3100], "37.25", False),
    ("rectangular-even-counts", ["60", "40", "20"], [300, 300, 2000, 2000], "20", False),
    ("long", ["4001", "2001", "1001"], [250, 200, 3000, 2800], "144", False),
    ("reversed-edges", ["201", "151", "101"], [300, 3000, 500, 2000], "144", False),
    ("deep-stop-band", ["6", "9", "1082"], [10000, 1010, 15397, 347], "444.930986", True),
]


def parameters(entry):
    name, counts, cuts, attenuation, adjust = entry
    return {"name": name, "count_texts": counts, "counts": [int(c) for c in counts],
            "low_cut": cuts[0], "mid_low": cuts[1], "mid_high": cuts[2], "high_cut": cuts[3],
            "attenuation": float(attenuation), "adjust": adjust}


def g17(x):
    return "%.17g" % float(x)


def write_design(path, p, rate, result, mags):
    lines = [
        "# %s at %d Hz: written by tests/golden/generate_golden.py (see its header); do not edit."
        % (p["name"], rate),
        "sample-rate %d" % rate,
        "tap-counts-typed %s" % " ".join(p["count_texts"]),
        "cut-offs %d %d %d %d" % (p["low_cut"], p["mid_low"], p["mid_high"], p["high_cut"]),
        "attenuation %s" % g17(p["attenuation"]),
        "adjust %d" % (1 if p["adjust"] else 0),
        "cmax-line %s" % cmax_line(cmax(mags)),
        "taps %d" % len(result["taps"][0]),
    ]
    taps = result["taps"]
    for i in range(len(taps[0])):
        lines.append(" ".join(g17(taps[band][i]) for band in range(4)))
    lines.append("magnitudes %d" % len(GRID))
    for k in range(len(GRID)):
        lines.append(" ".join(g17(mags[band][k]) for band in range(4)))
    with open(path, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


# Self-checks against values known without this calculation.

def _near(value, expected, tolerance, what):
    if not abs(float(value) - expected) <= tolerance:
        raise AssertionError("%s: %r, expected %r +- %g" % (what, float(value), expected, tolerance))


def check_spot_values():
    if not ONE + LD(2.0) ** -63 != ONE:
        raise AssertionError("numpy.longdouble is not the 80-bit extended format")
    _near(factorial(30) / 2.6525286e32, 1.0, 5e-8, "30!")
    assert factorial(0) == 1.0 and factorial(-3) == 1.0
    assert bessel_i0(0.0) == 1.0
    for x in (0.5, 3.0, 14.91006):
        assert bessel_i0(-x) == bessel_i0(x)
    assert kaiser_beta(20.9) == 0.0 and kaiser_beta(21.0) == 0.0
    _near(kaiser_beta(50.0), 4.533514, 5e-7, "beta(50)")
    _near(kaiser_beta(50.001), 4.5514, 5e-5, "beta(50.001)")
    beta = kaiser_beta(144.0)
    _near(beta, 14.91006, 5e-6, "beta(144)")
    assert kaiser_window(900, 450.0, beta) == 1.0
    ends = store(ONE / LD(bessel_i0(beta)))
    assert kaiser_window(900, 0.0, beta) == ends and kaiser_window(900, 900.0, beta) == ends
    assert all(kaiser_window(20, float(n), 0.0) == 1.0 for n in range(21))
    _check_initial_design()


def _check_initial_design():
    low, mid, high, total = design(parameters(DESIGNS[0]), 44100)["taps"]
    _near(low[450], 600 / 44100, 5e-17, "LowTaps[450]")
    _near(mid[450], 3400 / 44100, 5e-17, "MidTaps[450]")
    _near(high[450], 1 - 4000 / 44100, 2e-16, "HighTaps[450]")
    _near(total[450], 1.0, 1e-15, "SumTaps[450]")
    assert low[449] == low[451]
    _near(low[449], 0.01360082, 5e-9, "LowTaps[449]")
    _near(low[0], 8.5247e-10, 5e-15, "LowTaps[0]")
    assert all(mid[i] == 0.0 and mid[900 - i] == 0.0 for i in range(100))
    assert mid[100] == mid[800]
    _near(mid[100], -4.0774e-9, 5e-14, "MidTaps[100]")
    assert all(high[i] == 0.0 and high[900 - i] == 0.0 for i in range(300))
    _near(high[449], -0.0894518, 5e-8, "HighTaps[449]")
    _near(high[300], 6.4444e-9, 5e-14, "HighTaps[300]")

    adjusted = design(parameters(DESIGNS[1]), 44100)["taps"]
    for i in range(901):
        _near(adjusted[3][i], 1.0 if i == 450 else 0.0, 1e-15, "adjusted SumTaps[%d]" % i)
    _near(adjusted[1][450], 0.07709751, 5e-9, "adjusted MidTaps[450]")
    _near(adjusted[1][0], -8.5247e-10, 5e-15, "adjusted MidTaps[0]")
    _near(adjusted[1][0], -adjusted[0][0], 1e-22, "adjusted MidTaps[0] + LowTaps[0]")
    sum_mags = magnitudes(adjusted, 44100)[3]
    for k, f in enumerate(GRID):
        epsilon = 0.001 if f <= 1000 else 0.0001
        level = (20 * np.log10(float(sum_mags[k]) + epsilon) + 100) / 100
        _near(level, 1.0000868 if f <= 1000 else 1.0000087, 5e-8, "adjusted SumDb at %d Hz" % f)

    reversed_edges = design(parameters(DESIGNS[5]), 44100)["taps"][1]
    assert reversed_edges[100] < 0.0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--sample-rate", type=int, default=44100)
    parser.add_argument("--out", help="folder for the data (default tests/golden/RATE)")
    parser.add_argument("--only", help="write only the design of this name")
    args = parser.parse_args()
    rate = args.sample_rate
    folder = args.out or os.path.join(os.path.dirname(os.path.abspath(__file__)), str(rate))
    if rate == 44100:
        check_spot_values()
        print("spot values agree", flush=True)
    os.makedirs(folder, exist_ok=True)
    for entry in DESIGNS:
        p = parameters(entry)
        if args.only and p["name"] != args.only:
            continue
        result = design(p, rate)
        mags = magnitudes(result["taps"], rate)
        for band in range(3):
            if min(mags[band]) == 0.0:
                raise AssertionError("%s: a band magnitude of 0 has no level" % p["name"])
        write_design(os.path.join(folder, p["name"] + ".txt"), p, rate, result, mags)
        print("%s: %s" % (p["name"], cmax_line(cmax(mags))), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
