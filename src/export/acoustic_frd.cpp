// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/acoustic_frd.h"

#include "base/text_convert.h"
#include "export/file_write.h"
#include "export/frd_export.h"

namespace kc::exporting {
namespace {

// Fixed notation with a full stop whatever the locale and a sign, "+" or "-".
std::string Signed(double value, int decimals) {
    const std::string text = base::FixedPointText(value, decimals);
    return text.starts_with('-') ? text : "+" + text;
}

// A name as a comment line may hold it: no line end or other control character.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = '?';
        }
    }
    return text;
}

std::string BandLine(const acoustic::AcousticModel& model, const acoustic::Settings& settings,
                     std::size_t band) {
    const auto& driver = model.DriverFiles()[band];
    const acoustic::BandSettings& s = settings[band];
    return "* " + std::string(dsp::kCurveNames[band].id) + " band: " +
           (driver
                ? "driver " + OneLine(driver->name) +
                      (acoustic::IsPlainFrd(*driver) ? "" : " (" + OneLine(driver->reading) + ")")
                : "ideal driver (" + Signed(acoustic::IdealLevelDb(model.DriverFiles()), 2) +
                      " dB: the mean of the measured drivers' median levels, 0 degrees)") +
           ", gain " + Signed(s.gainDb, 2) + " dB, delay " + Signed(s.delayMs, 3) +
           " ms, polarity " + (s.inverted ? "inverted" : "normal") + "\n";
}

}  // namespace

std::array<std::string, dsp::kCurveCount> AcousticFrdNames(const std::string& prefix) {
    std::array<std::string, dsp::kCurveCount> names;
    for (std::size_t curve = 0; curve < names.size(); ++curve) {
        names[curve] = prefix + '-' + std::string(dsp::kCurveNames[curve].id) + ".frd";
    }
    return names;
}

std::array<std::string, dsp::kCurveCount> AcousticFrdTexts(
    const acoustic::AcousticModel& model, const acoustic::Settings& settings,
    const acoustic::AcousticResponse& response) {
    std::string common;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        common += BandLine(model, settings, b);
    }
    const int32_t rate = model.SampleRateHz();
    const int32_t latency = model.LatencySamples();
    common += "* Sample rate: " + std::to_string(rate) + " Hz\n";
    common += "* Crossover latency: " + std::to_string(latency) + " samples (" +
              base::FixedPointText(1000.0 * latency / rate, 3) + " ms), taken out of the phase\n";
    common += "* Frequency/Hz Magnitude/dB Phase/degrees\n";
    std::array<std::string, dsp::kCurveCount> texts;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        texts[b] = "* Kaiser Crossover acoustic response of the " +
                   std::string(dsp::kCurveNames[b].id) + " band\n" + common +
                   FrdDataLines(response.frequenciesHz, response.bands[b]);
    }
    texts[dsp::kSumCurve] = "* Kaiser Crossover acoustic response of the sum of the three bands\n" +
                            common + FrdDataLines(response.frequenciesHz, response.sum);
    return texts;
}

void WriteAcousticFrd(const std::string& prefix,
                      const std::array<std::string, dsp::kCurveCount>& texts,
                      const std::vector<std::string>& inputs) {
    const std::array<std::string, dsp::kCurveCount> names = AcousticFrdNames(prefix);
    AtomicFileSet files({names.begin(), names.end()}, inputs);
    for (std::size_t i = 0; i < names.size(); ++i) {
        files.Write(names[i], [&texts, i](const std::string& temporary) {
            WriteBytes(temporary, texts[i].data(), texts[i].size());
        });
    }
    files.Commit();
}

}  // namespace kc::exporting
