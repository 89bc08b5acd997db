// SPDX-License-Identifier: GPL-3.0-or-later
// The error that an action raises, for tables of failure cases and for comparing the errors of
// two paths of the same calculation.
#pragma once

#include <functional>
#include <string>
#include <typeinfo>

#include "base/errors.h"

namespace kc::testing_support {

// The dynamic type and message of the kc::base::Error that `action` raises ("<type>: <message>"),
// or "none" when it raises nothing.
inline std::string RaisedError(const std::function<void()>& action) {
    try {
        action();
    } catch (const base::Error& error) {
        return std::string(typeid(error).name()) + ": " + error.what();
    }
    return "none";
}

// The part of the design the kc::base::Error that `action` raises names (its Where(), "high
// band"), or "none" when it raises nothing.
inline std::string RaisedWhere(const std::function<void()>& action) {
    try {
        action();
    } catch (const base::Error& error) {
        return error.Where();
    }
    return "none";
}

// The message alone of the kc::base::Error that `action` raises, or "none".
inline std::string RaisedMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (const base::Error& error) {
        return error.what();
    }
    return "none";
}

}  // namespace kc::testing_support
