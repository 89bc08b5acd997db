#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes three example driver files (woofer.frd, midrange.frd, tweeter.frd) for Kaiser Crossover.

They are models, not measurements: each driver is a product of analogue minimum-phase sections
(high-pass and low-pass roll-offs, a baffle-step shelf, cone or dome resonances) evaluated at
s = j*2*pi*f, scaled to a plausible sensitivity, with the acoustic centre's distance behind the
tweeter as a pure delay. 1000 points from 10 Hz to 24 kHz, phase wrapped into (-180, 180] as
measurement programs write it.

    python3 make_drivers.py [FOLDER]
"""
import cmath
import math
import sys

SPEED_OF_SOUND = 343.0  # m/s
POINTS = 1000
FIRST_HZ = 10.0
LAST_HZ = 24000.0


def high_pass2(fc, q):
    w = 2 * math.pi * fc
    return lambda s: s * s / (s * s + s * w / q + w * w)


def low_pass2(fc, q):
    w = 2 * math.pi * fc
    return lambda s: w * w / (s * s + s * w / q + w * w)


def low_pass1(fc):
    w = 2 * math.pi * fc
    return lambda s: w / (s + w)


def peak(fc, q, gain_db):
    """A resonance (gain_db > 0) or a dip, minimum phase either way."""
    w = 2 * math.pi * fc
    a = 10 ** (gain_db / 40)
    return lambda s: (s * s + s * w * a / q + w * w) / (s * s + s * w / (a * q) + w * w)


def low_shelf(fc, gain_db):
    """First-order shelf: gain_db below fc, 0 dB above (the baffle step when negative)."""
    w = 2 * math.pi * fc
    g = 10 ** (gain_db / 20)
    return lambda s: (s + w * g) / (s + w)


DRIVERS = {
    # A 6.5" woofer in a closed box: 48 Hz box resonance, baffle step, inductance roll-off and a
    # cone break-up peak at 4.2 kHz before the steep fall; acoustic centre 25 mm behind.
    "woofer": dict(
        sections=[high_pass2(48, 0.75), low_shelf(380, -4.5), peak(900, 2.0, 1.0),
                  peak(1600, 3.0, -1.5), low_pass2(2300, 0.62), peak(4200, 5.0, 7.0),
                  low_pass2(5200, 0.7)],
        sensitivity_db=87.0, behind_m=0.025),
    # A 4" midrange in a small chamber: 170 Hz resonance, a smaller baffle step, a mild peak at
    # 5.5 kHz and a roll-off from 9 kHz; acoustic centre 12 mm behind.
    "midrange": dict(
        sections=[high_pass2(170, 0.9), low_shelf(650, -3.0), peak(5500, 3.0, 2.0),
                  low_pass2(9000, 0.7), low_pass1(16000)],
        sensitivity_db=89.0, behind_m=0.012),
    # A 1" dome tweeter: 900 Hz resonance, a slight rise to 12 kHz, the dome's break-up at 25 kHz.
    "tweeter": dict(
        sections=[high_pass2(900, 1.1), peak(12000, 1.5, 1.0), peak(25000, 4.0, 4.0),
                  low_pass1(30000)],
        sensitivity_db=90.0, behind_m=0.0),
}


def response(driver, f):
    s = 1j * 2 * math.pi * f
    h = 10 ** (driver["sensitivity_db"] / 20)
    for section in driver["sections"]:
        h *= section(s)
    delay = driver["behind_m"] / SPEED_OF_SOUND
    return h * cmath.exp(-1j * 2 * math.pi * f * delay)


def write(folder, name, driver):
    lines = [
        f"* Kaiser Crossover example driver: {name} (a model, not a measurement)",
        "* made by docs/examples/drivers/make_drivers.py",
        "* Freq(Hz)\tSPL(dB)\tPhase(degrees)",
    ]
    for i in range(POINTS):
        f = FIRST_HZ * (LAST_HZ / FIRST_HZ) ** (i / (POINTS - 1))
        h = response(driver, f)
        phase = math.degrees(cmath.phase(h))
        if phase <= -180.0:
            phase += 360.0
        lines.append(f"{f:.4f}\t{20 * math.log10(abs(h)):.4f}\t{phase:.4f}")
    with open(f"{folder}/{name}.frd", "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, driver in DRIVERS.items():
        write(folder, name, driver)


if __name__ == "__main__":
    main()
