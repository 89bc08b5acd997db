// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic responses as one CSV table: per frequency the level, phase and group delay of each
// band and of the sum.
#pragma once

#include <string>

#include "acoustic/acoustic_model.h"

namespace kc::exporting {

// The CSV text of `response`: a header line, then per frequency "frequency_hz" and for each band
// and the sum its level in dB, phase in degrees (in (−180, 180]) and group delay in ms (the
// crossover's latency taken out; `settings` are those it was evaluated with), with a full stop as
// the point whatever the locale.
std::string AcousticCsvText(const acoustic::AcousticResponse& response,
                            const acoustic::Settings& settings);

}  // namespace kc::exporting
