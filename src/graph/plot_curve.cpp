// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/plot_curve.h"

#include <algorithm>
#include <cstddef>

#include "base/checked_int.h"
#include "dsp/response_store.h"
#include "graph/mapping.h"

namespace kc::graph {
namespace {

using FreqToXMapping = int32_t (*)(long double frequencyHz, int32_t width);

// curve[k], with k checked against the declared last index and against the data itself.
double CurveAt(std::span<const double> curve, int32_t last, int32_t k) {
    const int64_t declaredLength = std::max<int64_t>(int64_t{last} + 1, 0);
    base::CheckIndex(k, static_cast<std::size_t>(declaredLength));
    base::CheckIndex(k, curve.size());
    return curve[static_cast<std::size_t>(k)];
}

void PlotCurve(Canvas& image, int32_t width, int32_t height, std::span<const double> curve,
               int32_t last, int32_t highlight, FreqToXMapping freqToX) {
    image.SetPenStyle(PenStyle::psSolid);
    image.SetPenColor(highlight != 0 ? clBlue : clBlack);
    image.MoveTo(0, height / 6);
    // The first run always goes to point 500, whatever last is; its frequencies 2·k are formed as
    // real numbers.
    for (int32_t k = 1; k <= dsp::kFirstRunLastPoint; ++k) {
        const int32_t y = ValueToY(CurveAt(curve, last, k), height);
        const int32_t x = freqToX(2.0L * k, width);
        image.LineTo(x, y);
    }
    // The second run's frequencies (k − 500)·20 + 1000 are formed in checked 32-bit arithmetic.
    for (int32_t k = dsp::kFirstRunLastPoint + 1; k <= last; ++k) {
        const int32_t frequencyHz = base::CheckedAdd(
            base::CheckedMul(base::CheckedSub(k, dsp::kFirstRunLastPoint), 20), 1000);
        const int32_t y = ValueToY(CurveAt(curve, last, k), height);
        const int32_t x = freqToX(frequencyHz, width);
        image.LineTo(x, y);
    }
    image.SetPenColor(clBlack);
}

}  // namespace

void PlotCurveLinear(Canvas& image, int32_t width, int32_t height, std::span<const double> curve,
                     int32_t last, int32_t highlight) {
    PlotCurve(image, width, height, curve, last, highlight, &FreqToXLinear);
}

void PlotCurveLog(Canvas& image, int32_t width, int32_t height, std::span<const double> curve,
                  int32_t last, int32_t highlight) {
    PlotCurve(image, width, height, curve, last, highlight, &FreqToXLog);
}

}  // namespace kc::graph
