// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_set.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>
#include <span>

#include "dsp/kaiser.h"
#include "export/alignment.h"
#include "export/file_write.h"

namespace kc::exporting {
namespace {

namespace fs = std::filesystem;

// A kind's files at one rate, made of its name with the rate put in.
std::vector<std::string> KindFiles(const ExportKind& kind, const KindRequest& request,
                                   int32_t sampleRateHz) {
    return kind.files(kind, request, WithRate(request.name, sampleRateHz));
}

// The files of every kind of `scope` at one rate, in the order they are written (a name for
// every rate has no {rate} to put it in).
std::vector<std::string> FilesOf(const ExportRequest& request, KindScope scope,
                                 int32_t sampleRateHz) {
    std::vector<std::string> files;
    for (std::size_t k = 0; k < ExportKinds().size(); ++k) {
        const ExportKind& kind = ExportKinds()[k];
        const KindRequest& asked = request.Kinds()[k];
        if (kind.scope == scope && !asked.name.empty()) {
            const std::vector<std::string> more = KindFiles(kind, asked, sampleRateHz);
            files.insert(files.end(), more.begin(), more.end());
        }
    }
    return files;
}

std::vector<std::string> RateFiles(const ExportRequest& request, int32_t sampleRateHz) {
    return FilesOf(request, KindScope::PerRate, sampleRateHz);
}

std::vector<std::string> SetFiles(const ExportRequest& request) {
    return FilesOf(request, KindScope::PerSet, dsp::SampleRate);
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

void CheckNames(const ExportRequest& request, std::size_t rateCount) {
    const auto holdsRate = [](const std::string& name) {
        return name.find(kRatePlaceholder) != std::string::npos;
    };
    for (std::size_t k = 0; k < ExportKinds().size(); ++k) {
        const std::string& name = request.Kinds()[k].name;
        if (ExportKinds()[k].scope == KindScope::PerRate && rateCount > 1 && !name.empty() &&
            !holdsRate(name)) {
            throw ExportRequestError(
                "With several sample rates every name must hold {rate}, "
                "which each rate replaces; '" +
                name + "' does not.");
        }
    }
    for (std::size_t k = 0; k < ExportKinds().size(); ++k) {
        const ExportKind& kind = ExportKinds()[k];
        // Every option, also of a kind not written: one engine's configuration may use another
        // kind's options (the devices).
        for (std::size_t option = 0; option < kind.options.size(); ++option) {
            kind.CheckOption(request.Kinds()[k].options, option);
        }
        const std::string& name = request.Kinds()[k].name;
        if (name.empty()) {
            continue;
        }
        if (kind.check != nullptr) {
            kind.check(request);
        }
        if (kind.scope == KindScope::PerSet && holdsRate(name)) {
            throw ExportRequestError("The " + std::string(kind.noun) +
                                     " is one file for every rate; its name takes no {rate}.");
        }
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

}  // namespace

ERateError::ERateError(const base::Error& cause, int32_t sampleRateHz)
    : base::Error(base::ReportTextWithFullStop(cause.what()) + " (" + std::to_string(sampleRateHz) +
                  " Hz" + (cause.Where().empty() ? "" : ", " + cause.Where()) + ")") {}

bool IsOneFileName(std::string_view name) {
    return name.find_first_of("/\\") == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

std::vector<std::string> ExportPlan::AllFiles() const {
    std::vector<std::string> files;
    for (const RatePlan& rate : rates) {
        files.insert(files.end(), rate.files.begin(), rate.files.end());
    }
    files.insert(files.end(), setFiles.begin(), setFiles.end());
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

void CheckExportRequest(const std::vector<int32_t>& ratesHz, const ExportRequest& request) {
    CheckRates(ratesHz);
    // Without a rate the design's own is written: one rate, whichever it is.
    const std::vector<int32_t> rates =
        ratesHz.empty() ? std::vector<int32_t>{dsp::SampleRate} : ratesHz;
    CheckNames(request, rates.size());
    std::vector<std::string> files;
    for (int32_t rate : rates) {
        const std::vector<std::string> more = RateFiles(request, rate);
        files.insert(files.end(), more.begin(), more.end());
    }
    const std::vector<std::string> once = SetFiles(request);
    files.insert(files.end(), once.begin(), once.end());
    CheckDistinct(files);
}

ExportPlan PlanExport(const dsp::CrossoverParameters& design, const std::vector<int32_t>& ratesHz,
                      const ExportRequest& request) {
    CheckExportRequest(ratesHz, request);
    ExportPlan plan{request, {}, SetFiles(request)};
    for (int32_t rate : ratesHz.empty() ? std::vector<int32_t>{design.sampleRateHz} : ratesHz) {
        RatePlan r;
        try {
            r.parameters = dsp::AtSampleRate(design, rate);
        } catch (const base::Error& error) {
            throw ERateError(error, rate);
        }
        const int32_t commonCentre =
            dsp::Max3(r.parameters.lowCount, r.parameters.midCount, r.parameters.highCount) / 2 +
            acoustic::CorrectionLatencySamples(request.alignment.correction, r.parameters);
        r.alignment = AlignmentAt(request.alignment, rate);
        r.latency = LatencyAt(r.alignment, commonCentre);
        r.latencySamples = commonCentre + r.alignment.filterHalfLength;
        r.latencyMs = 1000.0 * r.latencySamples / rate;
        r.files = RateFiles(request, rate);
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

// One rate at a time: its design and its files are let go before the next rate is designed, so
// that an export of many rates needs the memory of one.
void WriteExportRates(const ExportPlan& plan, AtomicFileSet& set, const RateFileWriter& plotWriter,
                      const RateObserver& designed, const ExportObserver& exportedObserver) {
    const std::span<const ExportKind> kinds = ExportKinds();
    std::vector<RateLatency> latencies;
    for (const RatePlan& rate : plan.rates) {
        dsp::CalculationResult crossover = DesignRate(rate);
        if (designed) {
            designed(crossover);
        }
        const ExportedRate exported = ExportRate(std::move(crossover), plan.request.alignment);
        if (exportedObserver) {
            exportedObserver(exported);
        }
        const dsp::CalculationResult& design = exported.design;
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            const KindRequest& asked = plan.request.Kinds()[k];
            if (kinds[k].scope == KindScope::PerRate && !asked.name.empty()) {
                const std::vector<std::string> files =
                    KindFiles(kinds[k], asked, design.taps.sampleRateHz);
                kinds[k].writeRate({plan.request, design, kinds[k], asked, files, plotWriter, set});
            }
        }
        latencies.push_back(
            {design.taps.sampleRateHz, design.taps.CommonCentre, design.taps.CommonLength});
    }
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        const KindRequest& asked = plan.request.Kinds()[k];
        if (kinds[k].scope == KindScope::PerSet && !asked.name.empty()) {
            kinds[k].writeSet({plan.request, asked, latencies, asked.name, set});
        }
    }
}

void WriteExportSet(const ExportPlan& plan, const RateFileWriter& plotWriter,
                    const std::vector<std::string>& inputs) {
    AtomicFileSet set(plan.AllFiles(), inputs);
    WriteExportRates(plan, set, plotWriter);
    set.Commit();
}

}  // namespace kc::exporting
