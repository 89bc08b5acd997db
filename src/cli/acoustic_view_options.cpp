// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/acoustic_view_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "cli/command_support.h"

namespace kc::cli {
namespace {

struct AxisName {
    const char* name;
    acoustic::RightAxis axis;
};
constexpr std::array<AxisName, 4> kAxisNames{{{"none", acoustic::RightAxis::None},
                                              {"sum-phase", acoustic::RightAxis::SumPhase},
                                              {"band-phases", acoustic::RightAxis::BandPhases},
                                              {"group-delay", acoustic::RightAxis::GroupDelay}}};

std::optional<double> LevelRangeOf(const QString& text) {
    const std::string utf8 = ToUtf8(text);
    double value = 0.0;
    const auto [end, error] = std::from_chars(utf8.data(), utf8.data() + utf8.size(), value);
    if (error != std::errc() || end != utf8.data() + utf8.size() ||
        !(value >= acoustic::kMinLevelRangeDb) || !(value <= acoustic::kMaxLevelRangeDb)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

bool AcousticViewRequest::Wanted() const {
    return !csv.isEmpty() || !impulsePlot.isEmpty() || !stepPlot.isEmpty() ||
           !groupDelayPlot.isEmpty();
}

std::vector<QString> AcousticViewRequest::Files() const {
    std::vector<QString> files;
    for (const QString& file : {csv, impulsePlot, stepPlot, groupDelayPlot}) {
        if (!file.isEmpty()) {
            files.push_back(file);
        }
    }
    return files;
}

AcousticViewOptions::AcousticViewOptions()
    : csv_("acoustic-csv",
           "Write the acoustic responses as CSV: frequency, then for each band and the sum the "
           "level in dB, the phase in degrees and the group delay in ms (the latency taken out).",
           "FILE.csv"),
      impulsePlot_("acoustic-impulse-plot",
                   "Write the speaker's predicted impulse responses (drivers with the crossover, "
                   "each band and the sum) as PNG (in dB with --time-db).",
                   "FILE.png"),
      stepPlot_("acoustic-step-plot",
                "Write the speaker's predicted step responses (each band and the sum) as PNG.",
                "FILE.png"),
      groupDelayPlot_("group-delay-plot",
                      "Write the acoustic levels with the group delay of each band and of the sum "
                      "in ms on the right axis as PNG.",
                      "FILE.png"),
      rightAxis_("right-axis",
                 "What the acoustic plot's right axis shows: none, sum-phase, band-phases or "
                 "group-delay (none).",
                 "AXIS"),
      rawDrivers_("raw-drivers", "Draw each driver alone (its file, without the crossover) too."),
      levelRange_("level-range", "Levels the acoustic plot spans, dB from 2 to 200 (60).", "DB") {}

void AcousticViewOptions::AddTo(QCommandLineParser& parser) const {
    parser.addOptions(
        {csv_, impulsePlot_, stepPlot_, groupDelayPlot_, rightAxis_, rawDrivers_, levelRange_});
}

std::optional<AcousticViewRequest> AcousticViewOptions::Read(const QCommandLineParser& parser,
                                                             acoustic::ViewChoices& choices) const {
    if (parser.isSet(rightAxis_)) {
        const std::string name = ToUtf8(parser.value(rightAxis_));
        const auto* const found =
            std::find_if(kAxisNames.begin(), kAxisNames.end(),
                         [&name](const AxisName& axis) { return name == axis.name; });
        if (found == kAxisNames.end()) {
            std::fprintf(stderr,
                         "--right-axis takes none, sum-phase, band-phases or group-delay.\n");
            return std::nullopt;
        }
        choices.rightAxis = found->axis;
    }
    if (parser.isSet(levelRange_)) {
        const std::optional<double> range = LevelRangeOf(parser.value(levelRange_));
        if (!range) {
            std::fprintf(stderr, "--level-range takes dB from 2 to 200.\n");
            return std::nullopt;
        }
        choices.levelRangeDb = *range;
    }
    choices.rawDrivers |= parser.isSet(rawDrivers_);
    return AcousticViewRequest{parser.value(csv_), parser.value(impulsePlot_),
                               parser.value(stepPlot_), parser.value(groupDelayPlot_)};
}

}  // namespace kc::cli
