// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/correction_options.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "acoustic/correction.h"
#include "cli/command_support.h"

namespace kc::cli {

CorrectionOptions::CorrectionOptions()
    : correct_("correct",
               "Correct every band that has a driver file: its level and phase to the target over "
               "the band's range."),
      targetDb_("target-db",
                "Level of the correction's target in dB, -200 to 200 (the least sensitive "
                "driver's level within its band).",
                "DB"),
      targetTilt_("target-tilt", "Tilt of the target in dB per octave about 1 kHz, -6 to 6 (0).",
                  "DB"),
      maxBoostDb_("max-boost-db", "Most the correction lifts a driver, dB, 0 to 24 (6).", "DB"),
      smoothing_("smoothing",
                 "Smoothing of the driver before it is corrected, in octaves, 0 to 1 (1/6): a "
                 "fraction 1/N or a number.",
                 "OCTAVES"),
      correctPhase_("correct-phase",
                    "Correct the driver's minimum phase with its level (on) or the level alone "
                    "(off) (on).",
                    "on|off"),
      taps_("correction-taps",
            "Taps of each band's correction, 3 to 1048576, at the rate the counts are meant at "
            "(the band's own count).",
            "N") {}

void CorrectionOptions::AddTo(QCommandLineParser& parser) const {
    parser.addOptions(
        {correct_, targetDb_, targetTilt_, maxBoostDb_, smoothing_, correctPhase_, taps_});
}

namespace {

// "1/6" or "0.5" as octaves.
std::optional<double> OctavesIn(const QString& text) {
    if (text.startsWith("1/")) {
        const std::optional<double> divisor = NumberIn(text.mid(2), 1.0, 1000.0);
        return divisor ? std::optional<double>(1.0 / *divisor) : std::nullopt;
    }
    return NumberIn(text, acoustic::kMinSmoothingOctaves, acoustic::kMaxSmoothingOctaves);
}

bool UsageError(const QCommandLineOption& option, const QString& value, const char* wanted) {
    std::fprintf(stderr, "--%s takes %s, not '%s'.\n", ToUtf8(option.names().constFirst()).c_str(),
                 wanted, ToUtf8(value).c_str());
    return false;
}

}  // namespace

// The smoothing, the phase and the taps of the correction filter; false after a usage error.
bool CorrectionOptions::ReadFilter(const QCommandLineParser& parser,
                                   design_file::CorrectionFileSettings& c) const {
    if (parser.isSet(smoothing_)) {
        const std::optional<double> octaves = OctavesIn(parser.value(smoothing_));
        if (!octaves || *octaves > acoustic::kMaxSmoothingOctaves) {
            return UsageError(smoothing_, parser.value(smoothing_),
                              "octaves from 0 to 1 (a number or 1/N)");
        }
        c.smoothingOctaves = *octaves;
    }
    if (parser.isSet(correctPhase_)) {
        const QString value = parser.value(correctPhase_);
        if (value != "on" && value != "off") {
            return UsageError(correctPhase_, value, "on or off");
        }
        c.correctPhase = value == "on";
    }
    if (parser.isSet(taps_)) {
        const std::optional<double> taps = NumberIn(
            parser.value(taps_), acoustic::kMinCorrectionTaps, acoustic::kMaxCorrectionTaps);
        if (!taps || *taps != std::floor(*taps)) {
            return UsageError(taps_, parser.value(taps_), "a whole number from 3 to 1048576");
        }
        c.taps.fill(static_cast<int32_t>(*taps));
    }
    return true;
}

bool CorrectionOptions::Read(const QCommandLineParser& parser, design_file::Design& design) const {
    design_file::CorrectionFileSettings& c = design.correction;
    // A number option given puts its value in `target`; false after a usage error.
    const auto take = [&parser](const QCommandLineOption& option, double lowest, double highest,
                                const char* range, double& target) {
        if (!parser.isSet(option)) {
            return true;
        }
        const std::optional<double> value = NumberIn(parser.value(option), lowest, highest);
        if (!value) {
            return UsageError(option, parser.value(option), range);
        }
        target = *value;
        return true;
    };
    if (parser.isSet(targetDb_)) {
        c.defaultTargetLevel = false;
    }
    if (!take(targetDb_, acoustic::kMinTargetLevelDb, acoustic::kMaxTargetLevelDb,
              "dB from -200 to 200", c.targetDb) ||
        !take(targetTilt_, acoustic::kMinTargetTiltDbPerOctave, acoustic::kMaxTargetTiltDbPerOctave,
              "dB per octave from -6 to 6", c.targetTiltDbPerOctave) ||
        !take(maxBoostDb_, acoustic::kMinMaxBoostDb, acoustic::kMaxMaxBoostDb, "dB from 0 to 24",
              c.maxBoostDb)) {
        return false;
    }
    if (!ReadFilter(parser, c)) {
        return false;
    }
    if (parser.isSet(correct_)) {
        bool any = false;
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            const bool hasFile = !design.acoustic[b].driverFile.empty();
            c.bands[b] = c.bands[b] || hasFile;
            any = any || hasFile;
        }
        if (!any) {
            // Nothing to correct: saying so rather than exporting the plain crossover as if
            // corrected.
            std::fprintf(stderr,
                         "--correct needs a driver file (--driver-low, --driver-mid or "
                         "--driver-high, or a design file's).\n");
            return false;
        }
    }
    return true;
}

}  // namespace kc::cli
