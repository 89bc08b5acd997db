// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace kc::cli {

// "design": the crossover calculation from option texts, its summary and the requested exports.
int RunDesignCommand(const QStringList& arguments);

}  // namespace kc::cli
