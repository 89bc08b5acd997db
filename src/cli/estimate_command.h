// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace kc::cli {

// "estimate": the filter length estimate from option texts, printed as the window shows it.
int RunEstimateCommand(const QStringList& arguments);

}  // namespace kc::cli
