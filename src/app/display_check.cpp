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

}  // namespace kc::app
