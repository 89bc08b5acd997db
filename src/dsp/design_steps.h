// SPDX-License-Identifier: GPL-3.0-or-later
// The steps that the reference and the fast design share: the parameters the bands are designed
// with, the common layout of the arrays and the sum of the bands.
#pragma once

#include <cstddef>

#include "dsp/crossover.h"

namespace kc::dsp {

// The parameters the bands are designed with: in adjust mode the outer cut-offs are the
// band-pass edges.
CrossoverParameters EffectiveParameters(const CrossoverParameters& parameters);

// A design with CommonLength (the longest band) and CommonCentre set and no arrays yet.
CrossoverTaps EmptyLayout(const CrossoverParameters& p);

// SumTaps[i] = LowTaps[i] + MidTaps[i] + HighTaps[i], the bands added low to high in extended
// precision and stored.
void StoreTapSum(CrossoverTaps& taps, std::size_t i);

// StoreTapSum for every tap.
void FormSum(CrossoverTaps& taps);

}  // namespace kc::dsp
