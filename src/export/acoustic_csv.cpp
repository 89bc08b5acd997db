// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/acoustic_csv.h"

#include <array>
#include <vector>

#include "acoustic/group_delay.h"
#include "base/text_convert.h"

namespace kc::exporting {

std::string AcousticCsvText(const acoustic::AcousticResponse& response,
                            const acoustic::Settings& settings) {
    std::string text = "frequency_hz";
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        const std::string id(dsp::kCurveNames[curve].id);
        for (const char* column : {"_db", "_deg", "_group_delay_ms"}) {
            text.append(",").append(id).append(column);
        }
    }
    text += '\n';
    std::array<std::vector<double>, dsp::kCurveCount> levels;
    std::array<std::vector<double>, dsp::kCurveCount> phases;
    const auto delays = acoustic::CurveGroupDelaysMs(response, settings);
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        const acoustic::ComplexCurve& values =
            curve == dsp::kSumCurve ? response.sum : response.bands[curve];
        levels[curve] = acoustic::LevelsDb(values);
        phases[curve] = acoustic::PhasesDeg(values);
    }
    for (std::size_t i = 0; i < response.frequenciesHz.size(); ++i) {
        text += base::FixedPointText(response.frequenciesHz[i], 4);
        for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
            text += ',' + base::FixedPointText(levels[curve][i], 4) + ',' +
                    base::FixedPointText(phases[curve][i], 3) + ',' +
                    base::FixedPointText(delays[curve][i], 5);
        }
        text += '\n';
    }
    return text;
}

}  // namespace kc::exporting
