// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csv_export.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dsp/bands.h"

namespace kc::exporting {

std::string FormatSignificant17(double value) {
    std::array<char, 40> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, 17);
    return std::string(buffer.data(), result.ptr);
}

std::string FormatDecibels(double magnitude) {
    if (magnitude == 0.0) {
        return "-inf";
    }
    return FormatSignificant17(20.0 * std::log10(magnitude));
}

std::string TapsCsv(const dsp::CrossoverTaps& taps) {
    std::string csv = "index";
    for (const dsp::CurveName& name : dsp::kCurveNames) {
        csv += ',' + std::string(name.id);
    }
    csv += '\n';
    const auto arrays = dsp::CurveTaps(taps);
    for (std::size_t i = 0; i < taps.SumTaps.size(); ++i) {
        csv += std::to_string(i);
        for (const std::vector<double>* array : arrays) {
            csv += ',' + FormatSignificant17((*array)[i]);
        }
        csv += '\n';
    }
    return csv;
}

std::string ResponseCsv(const dsp::ResponseStore& store) {
    std::string csv =
        "k,frequency_hz,low_mag,mid_mag,high_mag,sum_mag,low_db,mid_db,high_db,sum_db\n";
    for (int32_t k = 1; k <= dsp::kGridPoints; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const double magnitudes[] = {store.LowMag[i], store.MidMag[i], store.HighMag[i],
                                     store.SumMag[i]};
        csv += std::to_string(k) + ',' + std::to_string(dsp::FreqGrid(k));
        for (double magnitude : magnitudes) {
            csv += ',' + FormatSignificant17(magnitude);
        }
        for (double magnitude : magnitudes) {
            csv += ',' + FormatDecibels(magnitude);
        }
        csv += '\n';
    }
    return csv;
}

std::string TimeSeriesCsv(const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
                          int32_t firstIndex, int32_t lastIndex) {
    const char* suffix = kind == dsp::TimeSeriesKind::ImpulseDb ? "_db"
                         : kind == dsp::TimeSeriesKind::Step    ? "_step"
                                                                : "";
    std::string csv = "index,time_ms";
    for (const dsp::CurveName& name : dsp::kCurveNames) {
        csv += ',' + std::string(name.id) + suffix;
    }
    csv += '\n';
    const int32_t from = std::max(firstIndex, 0);
    const int32_t to = std::min(lastIndex, response.Length() - 1);
    for (int32_t i = from; i <= to; ++i) {
        csv += std::to_string(i) + ',' +
               FormatSignificant17(dsp::TapTimeMs(i, response.centre, response.sampleRateHz));
        for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
            csv += ',' + FormatSignificant17(dsp::TimeSeriesValue(response, kind, curve, i));
        }
        csv += '\n';
    }
    return csv;
}

}  // namespace kc::exporting
