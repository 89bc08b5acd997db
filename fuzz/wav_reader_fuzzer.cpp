// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the impulse-response reader: every input either loads, as a driver the interpolation can
// use, or is refused with EDriverFileError whose message names the file and holds no control
// character. No crash, no hang, nothing else thrown. An input whose first byte is below 0x20
// takes its low bits as the channel (1 ... 4) and the next byte as the gate (0 ... 255 ms); the
// rest is the file.
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "acoustic/acoustic_model.h"
#include "acoustic/impulse_reader.h"
#include "base/message_text.h"

namespace {

void CheckLoaded(const kc::acoustic::DriverResponse& driver) {
    const std::size_t points = driver.frequenciesHz.size();
    if (points < 2 || driver.levelsDb.size() != points || driver.phasesDeg.size() != points ||
        driver.kind != kc::acoustic::DriverKind::ImpulseResponse) {
        std::abort();
    }
    for (std::size_t i = 0; i < points; ++i) {
        const bool rising = i == 0 || driver.frequenciesHz[i] > driver.frequenciesHz[i - 1];
        if (!(driver.frequenciesHz[i] > 0.0) || !rising || !std::isfinite(driver.levelsDb[i]) ||
            !std::isfinite(driver.phasesDeg[i])) {
            std::abort();
        }
    }
    kc::acoustic::Drivers drivers;
    drivers[0] = driver;
    const auto frequencies = kc::acoustic::AcousticFrequencies(drivers, 768000);
    for (const std::complex<double> value : kc::acoustic::InterpolateDriver(driver, frequencies)) {
        if (!std::isfinite(value.real()) || !std::isfinite(value.imag())) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kc::acoustic::ImpulseOptions options;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes.front()) < 0x20) {
        options.channel = 1 + (static_cast<unsigned char>(bytes[0]) & 3);
        options.gateMs = static_cast<unsigned char>(bytes[1]);
        bytes.remove_prefix(2);
    }
    const std::string name = "fuzz\x1b.wav";
    try {
        CheckLoaded(kc::acoustic::ParseImpulseWav(bytes, name, options));
    } catch (const kc::acoustic::EDriverFileError& error) {
        const std::string_view message = error.what();
        if (!message.starts_with(kc::base::EscapedText(name) + ":") ||
            kc::base::HasControlCharacter(message)) {
            std::abort();
        }
    }
    return 0;
}
