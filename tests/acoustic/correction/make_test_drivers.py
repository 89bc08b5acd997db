#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the analytic drivers of the correction tests: woofer.frd, midrange.frd, tweeter.frd.

Each driver is a product of analogue sections (the same transfer functions scipy.signal.freqs
evaluates, written out here so that the script needs nothing beyond Python) at s = j*2*pi*f:
resonances, natural roll-offs, sensitivities of 88, 91 and 93 dB, and a tweeter 0.15 ms late
(its acoustic centre ahead of the others). 1200 points from 10 Hz to 24 kHz, phase unwrapped.

    python3 make_test_drivers.py [FOLDER]
"""
import cmath
import math
import sys

POINTS = 1200
FIRST_HZ = 10.0
LAST_HZ = 24000.0
TWEETER_LATE_S = 0.15e-3


def high_pass2(fc, q):
    w = 2 * math.pi * fc
    return lambda s: s * s / (s * s + s * w / q + w * w)


def low_pass2(fc, q):
    w = 2 * math.pi * fc
    return lambda s: w * w / (s * s + s * w / q + w * w)


def peak(fc, q, gain_db):
    w = 2 * math.pi * fc
    a = 10 ** (gain_db / 40)
    return lambda s: (s * s + s * w * a / q + w * w) / (s * s + s * w / (a * q) + w * w)


DRIVERS = {
    # A woofer: 40 Hz box resonance, a 3 dB cone resonance at 700 Hz, a roll-off from 2.5 kHz.
    "woofer": dict(sections=[high_pass2(40, 0.8), peak(700, 2.5, 3.0), low_pass2(2500, 0.7)],
                   sensitivity_db=88.0, late_s=0.0),
    # A midrange: 250 Hz resonance, a 4 dB dip at 1.2 kHz, a roll-off from 7 kHz.
    "midrange": dict(sections=[high_pass2(250, 1.2), peak(1200, 2.0, -4.0), low_pass2(7000, 0.8)],
                     sensitivity_db=91.0, late_s=0.0),
    # A tweeter: 1.1 kHz resonance, a 3 dB peak at 9 kHz, a roll-off from 20 kHz, late.
    "tweeter": dict(sections=[high_pass2(1100, 1.0), peak(9000, 3.0, 3.0), low_pass2(20000, 0.7)],
                    sensitivity_db=93.0, late_s=TWEETER_LATE_S),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, d in DRIVERS.items():
        lines = ["* %s: analytic model for the correction tests (make_test_drivers.py)" % name]
        previous = None
        for i in range(POINTS):
            f = FIRST_HZ * (LAST_HZ / FIRST_HZ) ** (i / (POINTS - 1))
            s = 1j * 2 * math.pi * f
            h = 10 ** (d["sensitivity_db"] / 20)
            for section in d["sections"]:
                h *= section(s)
            h *= cmath.exp(-s * d["late_s"])
            phase = math.degrees(cmath.phase(h))
            if previous is not None:
                phase += 360.0 * round((previous - phase) / 360.0)
            previous = phase
            lines.append("%.6f %.6f %.6f" % (f, 20 * math.log10(abs(h)), phase))
        with open("%s/%s.frd" % (folder, name), "w") as out:
            out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
