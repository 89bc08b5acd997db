// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/equalizer_apo_export.h"

#include "export/export_set.h"
#include "export/file_write.h"
#include "export/wav_export.h"

namespace kc::exporting {

std::string EqualizerApoInclude(const std::vector<EqualizerApoRate>& rates) {
    std::string text =
        "# Kaiser Crossover: a three-way linear-phase crossover for Equalizer APO.\n"
        "# Include it (Include: THIS-FILE) for a device of six channels: left low, mid, high on\n"
        "# 1-3, right low, mid, high on 4-6. A rate without its block passes unfiltered.\n"
        "Copy: 6=R 5=R 4=R 3=L 2=L 1=L\n";
    for (const EqualizerApoRate& rate : rates) {
        text += "\n# At " + std::to_string(rate.sampleRateHz) + " Hz " +
                LatencyText(rate.latencySamples, rate.sampleRateHz) +
                ".\nIf: sampleRate == " + std::to_string(rate.sampleRateHz) + "\n";
        for (std::size_t output = 0; output < kOutputCount; ++output) {  // channel 1, 2, ...
            text += "Channel: " + std::to_string(output + 1) +
                    "\nConvolution: " + rate.bands.files[BandOf(output)] + "\n";
        }
        text += "EndIf:\n";
    }
    return text + "Channel: all\n";
}

void CheckEqualizerApoRequest(const ExportRequest& request) {
    const KindRequest& wav = request.Kind("wav");
    const std::size_t layout = ExportKinds()[KindIndex("wav")].ChoiceIndex(wav.options, 1);
    if (wav.name.empty() || static_cast<WavLayout>(layout) != WavLayout::Bands) {
        throw ExportRequestError(
            "The Equalizer APO include file names the WAV files of the bands: it needs the WAV "
            "files written one per band.");
    }
}

void WriteEqualizerApoInclude(const SetWrite& w) {
    std::vector<EqualizerApoRate> rates;
    for (const RateLatency& rate : w.rates) {
        EqualizerApoRate r{rate.sampleRateHz, rate.latencySamples,
                           CoefficientsAt(w.request, rate.sampleRateHz, {"wav"}).value()};
        for (std::string& file : r.bands.files) {
            file = PathFromConfig(file, w.file);
        }
        rates.push_back(std::move(r));
    }
    w.set.WriteText(w.file, EqualizerApoInclude(rates));
}

}  // namespace kc::exporting
