// Runs a call and reports the message of the error kind it raised, for tables of failure cases.
#pragma once

#include <functional>
#include <string>

#include "base/errors.h"

namespace kc::graph::testing {

// The message of the kc::base::Error that call raises, or "no error".
inline std::string ErrorMessageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const base::Error& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace kc::graph::testing
