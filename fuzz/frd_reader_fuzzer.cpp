// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the FRD reader: every input either loads, as a driver the interpolation can use, or is
// refused with EDriverFileError whose message names the file (escaped) and holds no control
// character and no more than a bounded text, whatever the file's name. No crash, no hang, nothing
// else thrown. An input whose first byte is below 0x20 gives that many of the next bytes as the
// file's name (a path may hold anything), the rest as its text.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "acoustic/acoustic_model.h"
#include "acoustic/frd_reader.h"
#include "base/message_text.h"

namespace {

void CheckLoaded(const kc::acoustic::DriverResponse& driver) {
    const std::size_t points = driver.frequenciesHz.size();
    if (points < 2 || driver.levelsDb.size() != points || driver.phasesDeg.size() != points) {
        std::abort();
    }
    for (std::size_t i = 0; i < points; ++i) {
        const bool rising = i == 0 || driver.frequenciesHz[i] > driver.frequenciesHz[i - 1];
        // Half a turn at most; the slack covers the rounding of storing an unwrapped phase, a
        // few ulps of phases that may reach tens of millions of degrees.
        const bool unwrapped =
            i == 0 || std::fabs(driver.phasesDeg[i] - driver.phasesDeg[i - 1]) <= 180.0 + 1e-6;
        if (!(driver.frequenciesHz[i] > 0.0) || !rising || !unwrapped ||
            !std::isfinite(driver.levelsDb[i]) || !std::isfinite(driver.phasesDeg[i])) {
            std::abort();
        }
    }
    // The driver at the frequencies the view would use: finite wherever it is evaluated.
    kc::acoustic::Drivers drivers;
    drivers[0] = driver;
    const auto frequencies = kc::acoustic::AcousticFrequencies(drivers, 768000);
    for (const std::complex<double> value : kc::acoustic::InterpolateDriver(driver, frequencies)) {
        if (!std::isfinite(value.real()) || !std::isfinite(value.imag())) {
            std::abort();
        }
    }
}

void CheckRefusal(std::string_view message, const std::string& name) {
    const std::string shownName = kc::base::EscapedText(name);
    // The name, then at most a few texts of the file of 60 characters each, escaped.
    if (!message.starts_with(shownName + ":") || message.size() > shownName.size() + 1200 ||
        kc::base::HasControlCharacter(message) || kc::base::EscapedText(message) != message) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string name = "fuzz.frd";
    if (!text.empty() && static_cast<unsigned char>(text.front()) < 0x20) {
        const std::size_t length = std::min<std::size_t>(text.front(), text.size() - 1);
        name = std::string(text.substr(1, length));
        text.remove_prefix(1 + length);
    }
    try {
        CheckLoaded(kc::acoustic::ParseFrd(text, name));
    } catch (const kc::acoustic::EDriverFileError& error) {
        CheckRefusal(error.what(), name);
    }
    return 0;
}
