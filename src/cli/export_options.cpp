// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/export_options.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "cli/command_support.h"

namespace kc::cli {
namespace {

// The value of a choice option given among `choices`; `target` unchanged when it is not given.
template <typename T, std::size_t N>
void Choice(const QCommandLineParser& parser, const QCommandLineOption& option,
            const std::array<exporting::NamedChoice<T>, N>& choices, T& target) {
    if (!parser.isSet(option)) {
        return;
    }
    const std::string value = ToUtf8(parser.value(option));
    for (const auto& [name, choice] : choices) {
        if (value == name) {
            target = choice;
            return;
        }
    }
    std::string names;
    for (std::size_t i = 0; i < N; ++i) {
        names += (i == 0 ? "" : i + 1 == N ? " or " : ", ");
        names += choices[i].name;
    }
    throw exporting::ExportRequestError("--" + ToUtf8(option.names().constFirst()) + " takes " +
                                        names + ", not '" + value + "'.");
}

// The rates of `text`, or none when it is not a list of rates.
std::vector<int32_t> ParseRatesOrNone(const std::string& text) {
    try {
        return exporting::ParseRates(text);
    } catch (const exporting::ExportRequestError&) {
        return {};
    }
}

}  // namespace

void TakeExportOptions(const QCommandLineParser& parser, const ExportOptions& o,
                       design_file::ExportSettings& settings) {
    if (parser.isSet(o.rates)) {
        settings.ratesHz = exporting::ParseRates(ToUtf8(parser.value(o.rates)));
    }
    if (parser.isSet(o.countsRate)) {
        const std::string text = ToUtf8(parser.value(o.countsRate));
        const std::vector<int32_t> rates = ParseRatesOrNone(text);
        if (rates.size() != 1) {
            throw exporting::ExportRequestError(
                "--counts-rate takes one rate in whole hertz from 22050 to 768000, not '" + text +
                "'.");
        }
        settings.countsRateHz = rates.front();
    }
    Choice(parser, o.wavFormat, exporting::kWavFormatNames, settings.wavFormat);
    Choice(parser, o.wavLayout, exporting::kWavLayoutNames, settings.wavLayout);
    Choice(parser, o.rawFormat, exporting::kRawFormatNames, settings.rawFormat);
    Choice(parser, o.frdPhase, exporting::kFrdPhaseNames, settings.frdPhase);
}

exporting::ExportFormats ReadFormats(const QCommandLineParser& parser, const ExportOptions& o,
                                     const design_file::ExportSettings& settings) {
    exporting::ExportFormats f;
    f.tapsCsv = ToUtf8(parser.value(o.taps));
    f.responseCsv = ToUtf8(parser.value(o.response));
    f.wavPrefix = ToUtf8(parser.value(o.wav));
    f.wavFormat = settings.wavFormat;
    f.wavLayout = settings.wavLayout;
    f.rawPrefix = ToUtf8(parser.value(o.raw));
    f.rawFormat = settings.rawFormat;
    f.textPrefix = ToUtf8(parser.value(o.text));
    f.frdPrefix = ToUtf8(parser.value(o.frd));
    f.frdPhase = settings.frdPhase;
    f.camillaDsp = ToUtf8(parser.value(o.camillaDsp));
    f.plotPng = ToUtf8(parser.value(o.plot));
    return f;
}

}  // namespace kc::cli
