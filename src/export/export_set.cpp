// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_set.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <set>

#include "dsp/kaiser.h"
#include "export/camilladsp_export.h"
#include "export/csv_export.h"
#include "export/file_write.h"

namespace kc::exporting {
namespace {

namespace fs = std::filesystem;

constexpr std::array<const char*, 3> kBandSuffixes = {"-low", "-mid", "-high"};
constexpr std::array<const char*, 4> kFrdSuffixes = {"-low", "-mid", "-high", "-sum"};

// What one rate's files are written from: its design, and its FRD texts when any are written.
struct RateContent {
    const dsp::CalculationResult& design;
    std::array<std::string, 4> frd;
};

using ContentWriter =
    std::function<void(const RateContent& content, const std::string& temporaryPath)>;

struct RateFile {
    std::string path;
    ContentWriter write;
};

void WriteString(const std::string& path, const std::string& content) {
    WriteBytes(path, content.data(), content.size());
}

const std::vector<double>& BandTaps(const dsp::CrossoverTaps& taps, std::size_t band) {
    return band == 0 ? taps.LowTaps : band == 1 ? taps.MidTaps : taps.HighTaps;
}

void AddWavFiles(const ExportFormats& f, const std::string& prefix, std::vector<RateFile>& files) {
    if (f.wavLayout == WavLayout::Multichannel) {
        files.push_back({prefix + ".wav", [format = f.wavFormat](const RateContent& c,
                                                                 const std::string& temporary) {
                             const dsp::CrossoverTaps& t = c.design.taps;
                             WriteWavChannels(temporary, {&t.LowTaps, &t.MidTaps, &t.HighTaps},
                                              t.sampleRateHz, format);
                         }});
        return;
    }
    for (std::size_t band = 0; band < 3; ++band) {
        files.push_back(
            {prefix + kBandSuffixes[band] + ".wav",
             [band, format = f.wavFormat](const RateContent& c, const std::string& temporary) {
                 const dsp::CrossoverTaps& t = c.design.taps;
                 WriteWavChannels(temporary, {&BandTaps(t, band)}, t.sampleRateHz, format);
             }});
    }
}

void AddCoefficientFiles(const ExportFormats& f, int32_t rate, std::vector<RateFile>& files) {
    for (std::size_t band = 0; band < 3 && !f.rawPrefix.empty(); ++band) {
        files.push_back(
            {WithRate(f.rawPrefix, rate) + kBandSuffixes[band] + "." + RawExtension(f.rawFormat),
             [band, format = f.rawFormat](const RateContent& c, const std::string& tmp) {
                 WriteString(tmp, RawSamples(BandTaps(c.design.taps, band), format));
             }});
    }
    for (std::size_t band = 0; band < 3 && !f.textPrefix.empty(); ++band) {
        files.push_back({WithRate(f.textPrefix, rate) + kBandSuffixes[band] + ".txt",
                         [band](const RateContent& c, const std::string& tmp) {
                             WriteString(tmp, CoefficientLines(BandTaps(c.design.taps, band)));
                         }});
    }
}

// Every file of one rate with its writer, in the order they are written.
std::vector<RateFile> RateFiles(const ExportFormats& f, int32_t rate,
                                const RateFileWriter& plotWriter) {
    std::vector<RateFile> files;
    if (!f.tapsCsv.empty()) {
        files.push_back(
            {WithRate(f.tapsCsv, rate), [](const RateContent& c, const std::string& tmp) {
                 WriteString(tmp, TapsCsv(c.design.taps));
             }});
    }
    if (!f.responseCsv.empty()) {
        files.push_back(
            {WithRate(f.responseCsv, rate), [](const RateContent& c, const std::string& tmp) {
                 WriteString(tmp, ResponseCsv(*c.design.evaluation.store));
             }});
    }
    if (!f.wavPrefix.empty()) {
        AddWavFiles(f, WithRate(f.wavPrefix, rate), files);
    }
    AddCoefficientFiles(f, rate, files);
    for (std::size_t i = 0; i < kFrdSuffixes.size() && !f.frdPrefix.empty(); ++i) {
        files.push_back(
            {WithRate(f.frdPrefix, rate) + kFrdSuffixes[i] + ".frd",
             [i](const RateContent& c, const std::string& tmp) { WriteString(tmp, c.frd[i]); }});
    }
    if (!f.plotPng.empty()) {
        files.push_back(
            {WithRate(f.plotPng, rate), [plotWriter](const RateContent& c, const std::string& tmp) {
                 plotWriter(c.design, tmp);
             }});
    }
    return files;
}

std::vector<std::string> Names(const ExportFormats& f) {
    return {f.tapsCsv,    f.responseCsv, f.wavPrefix, f.rawPrefix,
            f.textPrefix, f.frdPrefix,   f.plotPng};
}

void CheckRates(const std::vector<int32_t>& ratesHz) {
    for (std::size_t i = 0; i < ratesHz.size(); ++i) {
        if (!dsp::IsSupportedSampleRate(ratesHz[i])) {
            throw ExportRequestError("The sample rate " + std::to_string(ratesHz[i]) +
                                     " Hz lies outside 22050 to 768000 Hz.");
        }
        if (std::find(ratesHz.begin(), ratesHz.begin() + static_cast<std::ptrdiff_t>(i),
                      ratesHz[i]) != ratesHz.begin() + static_cast<std::ptrdiff_t>(i)) {
            throw ExportRequestError("The sample rate " + std::to_string(ratesHz[i]) +
                                     " Hz is given twice.");
        }
    }
}

void CheckNames(const ExportFormats& f, std::size_t rateCount) {
    for (const std::string& name : Names(f)) {
        if (rateCount > 1 && !name.empty() && name.find(kRatePlaceholder) == std::string::npos) {
            throw ExportRequestError(
                "With several sample rates every name must hold {rate}, "
                "which each rate replaces; '" +
                name + "' does not.");
        }
    }
    if (f.camillaDsp.empty()) {
        return;
    }
    if (f.wavPrefix.empty() || f.wavLayout != WavLayout::Bands) {
        throw ExportRequestError(
            "The CamillaDSP fragment names the WAV files of the bands: it needs the WAV files "
            "written one per band.");
    }
    if (f.camillaDsp.find(kRatePlaceholder) != std::string::npos) {
        throw ExportRequestError(
            "The CamillaDSP fragment is one file for every rate; its name "
            "takes no {rate}.");
    }
}

void CheckDistinct(const std::vector<std::string>& files) {
    std::set<fs::path> seen;
    for (const std::string& file : files) {
        if (!seen.insert(fs::absolute(fs::path(file)).lexically_normal()).second) {
            throw ExportRequestError("Two files of the export would both be named '" + file + "'.");
        }
    }
}

// The band WAV files as the fragment names them: absolute, and with "$samplerate$" for the rate
// when the files were written for several rates.
std::array<std::string, 3> CamillaDspWavPaths(const ExportPlan& plan) {
    const std::string& pattern = plan.formats.wavPrefix;
    const std::string prefix = plan.rates.size() > 1
                                   ? pattern
                                   : WithRate(pattern, plan.rates.front().parameters.sampleRateHz);
    std::array<std::string, 3> paths;
    for (std::size_t band = 0; band < 3; ++band) {
        std::string path = prefix + kBandSuffixes[band] + ".wav";
        for (std::size_t at = path.find(kRatePlaceholder); at != std::string::npos;
             at = path.find(kRatePlaceholder, at)) {
            path.replace(at, kRatePlaceholder.size(), "$samplerate$");
        }
        paths[band] = fs::absolute(fs::path(path)).lexically_normal().string();
    }
    return paths;
}

}  // namespace

ERateError::ERateError(const base::Error& cause, int32_t sampleRateHz)
    : base::Error(base::ReportTextWithFullStop(cause.what()) + " (" + std::to_string(sampleRateHz) +
                  " Hz" + (cause.Where().empty() ? "" : ", " + cause.Where()) + ")") {}

bool IsOneFileName(std::string_view name) {
    return name.find_first_of("/\\") == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

bool ExportFormats::WritesAnything() const {
    return !tapsCsv.empty() || !responseCsv.empty() || !wavPrefix.empty() || !rawPrefix.empty() ||
           !textPrefix.empty() || !frdPrefix.empty() || !camillaDsp.empty() || !plotPng.empty();
}

std::vector<std::string> ExportPlan::AllFiles() const {
    std::vector<std::string> files;
    for (const RatePlan& rate : rates) {
        files.insert(files.end(), rate.files.begin(), rate.files.end());
    }
    if (!camillaDsp.empty()) {
        files.push_back(camillaDsp);
    }
    return files;
}

std::vector<int32_t> ParseRates(std::string_view text) {
    std::vector<int32_t> rates;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        int64_t rate = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), rate);
        if (item.empty() || item.front() == '-' || error != std::errc() ||
            end != item.data() + item.size() || !dsp::IsSupportedSampleRate(rate)) {
            throw ExportRequestError(
                "Sample rates are whole hertz from 22050 to 768000, "
                "separated by commas; '" +
                std::string(text) + "' is not.");
        }
        rates.push_back(static_cast<int32_t>(rate));
        if (comma == text.size()) {
            return rates;
        }
        start = comma + 1;
    }
}

std::string WithRate(const std::string& pattern, int32_t sampleRateHz) {
    std::string name = pattern;
    const std::string rate = std::to_string(sampleRateHz);
    for (std::size_t at = name.find(kRatePlaceholder); at != std::string::npos;
         at = name.find(kRatePlaceholder, at + rate.size())) {
        name.replace(at, kRatePlaceholder.size(), rate);
    }
    return name;
}

void CheckExportRequest(const std::vector<int32_t>& ratesHz, const ExportFormats& formats) {
    CheckRates(ratesHz);
    // Without a rate the design's own is written: one rate, whichever it is.
    const std::vector<int32_t> rates =
        ratesHz.empty() ? std::vector<int32_t>{dsp::SampleRate} : ratesHz;
    CheckNames(formats, rates.size());
    std::vector<std::string> files;
    for (int32_t rate : rates) {
        for (const RateFile& file : RateFiles(formats, rate, {})) {
            files.push_back(file.path);
        }
    }
    files.push_back(formats.camillaDsp);
    std::erase(files, std::string());
    CheckDistinct(files);
}

ExportPlan PlanExport(const dsp::CrossoverParameters& design, const std::vector<int32_t>& ratesHz,
                      const ExportFormats& formats) {
    CheckExportRequest(ratesHz, formats);
    ExportPlan plan{formats, {}, formats.camillaDsp};
    for (int32_t rate : ratesHz.empty() ? std::vector<int32_t>{design.sampleRateHz} : ratesHz) {
        RatePlan r;
        try {
            r.parameters = dsp::AtSampleRate(design, rate);
        } catch (const base::Error& error) {
            throw ERateError(error, rate);
        }
        r.latencySamples =
            dsp::Max3(r.parameters.lowCount, r.parameters.midCount, r.parameters.highCount) / 2;
        r.latencyMs = 1000.0 * r.latencySamples / rate;
        for (const RateFile& file : RateFiles(formats, rate, {})) {
            r.files.push_back(file.path);
        }
        plan.rates.push_back(std::move(r));
    }
    return plan;
}

namespace {

// The design of one rate of the plan; what the calculation raises is raised as an ERateError
// naming the rate and the band.
dsp::CalculationResult DesignRate(const RatePlan& rate) {
    try {
        return dsp::CalculateCrossover(rate.parameters);
    } catch (const base::Error& error) {
        throw ERateError(error, rate.parameters.sampleRateHz);
    }
}

}  // namespace

// One rate at a time: its design, its FRD texts and its files are let go before the next rate is
// designed, so that an export of many rates needs the memory of one.
void WriteExportRates(const ExportPlan& plan, AtomicFileSet& set, const RateFileWriter& plotWriter,
                      const RateObserver& designed) {
    std::vector<CamillaDspRate> camillaRates;
    for (const RatePlan& rate : plan.rates) {
        const dsp::CalculationResult design = DesignRate(rate);
        if (designed) {
            designed(design);
        }
        RateContent content{design, {}};
        if (!plan.formats.frdPrefix.empty()) {
            content.frd = FrdTexts(design, plan.formats.frdPhase);
        }
        for (const RateFile& file : RateFiles(plan.formats, design.taps.sampleRateHz, plotWriter)) {
            set.Write(file.path,
                      [&](const std::string& temporary) { file.write(content, temporary); });
        }
        camillaRates.push_back({design.taps.sampleRateHz, design.taps.CommonCentre});
    }
    if (!plan.camillaDsp.empty()) {
        const std::string fragment = CamillaDspFragment(CamillaDspWavPaths(plan), camillaRates);
        set.Write(plan.camillaDsp,
                  [&](const std::string& temporary) { WriteString(temporary, fragment); });
    }
}

void WriteExportSet(const ExportPlan& plan, const RateFileWriter& plotWriter,
                    const std::vector<std::string>& inputs) {
    AtomicFileSet set(plan.AllFiles(), inputs);
    WriteExportRates(plan, set, plotWriter);
    set.Commit();
}

}  // namespace kc::exporting
