// SPDX-License-Identifier: GPL-3.0-or-later
// Spreading one loop over the machine's two cores.
#pragma once

#include <cstddef>
#include <functional>

namespace kc::dsp {

// Runs work(begin, end) over the index range [0, count) and returns when all of it is done: as one
// call on this thread when count is below minCountToSplit, otherwise as two halves, the second on
// a thread of its own (in the same floating-point mode). Each index must write only its own
// results, so the outcome does not depend on the split. An exception from either half is raised
// once both have finished, the first half's first: the one a single pass would have met first.
void RunInTwoHalves(std::size_t count, std::size_t minCountToSplit,
                    const std::function<void(std::size_t begin, std::size_t end)>& work);

}  // namespace kc::dsp
