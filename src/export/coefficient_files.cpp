// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/coefficient_files.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "export/csv_export.h"

namespace kc::exporting {
namespace {

template <typename Sample>
void AppendLittleEndian(std::string& bytes, Sample sample) {
    char buffer[sizeof(Sample)];
    std::memcpy(buffer, &sample, sizeof(Sample));
    if constexpr (std::endian::native == std::endian::big) {
        std::reverse(std::begin(buffer), std::end(buffer));
    }
    bytes.append(buffer, sizeof(Sample));
}

}  // namespace

std::string RawSamples(const std::vector<double>& taps, RawSampleFormat format) {
    std::string bytes;
    bytes.reserve(taps.size() * (format == RawSampleFormat::Float32 ? 4 : 8));
    for (double tap : taps) {
        if (format == RawSampleFormat::Float32) {
            AppendLittleEndian(bytes, static_cast<float>(tap));
        } else {
            AppendLittleEndian(bytes, tap);
        }
    }
    return bytes;
}

std::string RawExtension(RawSampleFormat format) {
    return format == RawSampleFormat::Float32 ? "raw" : "dbl";
}

std::string CoefficientLines(const std::vector<double>& taps) {
    std::string text;
    text.reserve(taps.size() * 25);
    for (double tap : taps) {
        text += FormatSignificant17(tap);
        text += '\n';
    }
    return text;
}

}  // namespace kc::exporting
