// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/display_check.h"

namespace kc::app {

bool HasGraphicalDisplay(const EnvironmentLookup& lookup) {
    const auto isNamed = [&lookup](const char* name) {
        const char* value = lookup(name);
        return value != nullptr && *value != '\0';
    };
    // QT_QPA_PLATFORM counts even when empty: the toolkit then picks its default and reports
    // for itself.
    return isNamed("DISPLAY") || isNamed("WAYLAND_DISPLAY") || lookup("QT_QPA_PLATFORM") != nullptr;
}

std::string UnreachableDisplayMessage(const EnvironmentLookup& lookup) {
    std::string named;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = lookup(name);
        if (value != nullptr && *value != '\0') {
            named += named.empty() ? "" : " ";
            named += std::string(name) + "=" + value;
        }
    }
    std::string_view advice = kNoDisplayMessage;
    advice.remove_prefix(std::string_view("kaiser-crossover: ").size());
    return "kaiser-crossover: the display cannot be opened (" + named + "); " + std::string(advice);
}

}  // namespace kc::app
