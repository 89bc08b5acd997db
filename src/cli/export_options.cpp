// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/export_options.h"

#include <cstddef>
#include <span>
#include <string>

#include "cli/command_support.h"

namespace kc::cli {
namespace {

// The value of a choice option given among `choices`; `target` unchanged when it is not given.
void Choice(const QCommandLineParser& parser, const QCommandLineOption& option,
            std::span<const exporting::OptionChoice> choices, std::string& target) {
    if (!parser.isSet(option)) {
        return;
    }
    const std::string value = ToUtf8(parser.value(option));
    for (const exporting::OptionChoice& choice : choices) {
        if (value == choice.name) {
            target = value;
            return;
        }
    }
    std::string names;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        names += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ");
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

QCommandLineOption Option(std::string_view name, std::string_view help,
                          std::string_view valueName) {
    return {FromUtf8(name), FromUtf8(help), FromUtf8(valueName)};
}

}  // namespace

ExportOptions::ExportOptions() {
    for (const exporting::ExportKind& kind : exporting::ExportKinds()) {
        kindNames.push_back(Option(kind.cliOption, kind.help, kind.cliValueName));
        std::vector<QCommandLineOption>& settings = kindSettings.emplace_back();
        for (const exporting::KindOption& option : kind.options) {
            QCommandLineOption setting = Option(option.cliOption, option.help, option.valueName);
            setting.setDefaultValue(FromUtf8(option.Default()));
            settings.push_back(setting);
        }
    }
}

QList<QCommandLineOption> ExportOptions::All() const {
    QList<QCommandLineOption> all{rates, countsRate, noAlignment, normalize};
    for (std::size_t k = 0; k < kindNames.size(); ++k) {
        all.append(kindNames[k]);
        for (const QCommandLineOption& setting : kindSettings[k]) {
            all.append(setting);
        }
    }
    return all;
}

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
    settings.alignment &= !parser.isSet(o.noAlignment);
    Choice(parser, o.normalize, exporting::NormalizationChoices(), settings.normalize);
    const std::span<const exporting::ExportKind> kinds = exporting::ExportKinds();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        for (std::size_t option = 0; option < kinds[k].options.size(); ++option) {
            const QCommandLineOption& given = o.kindSettings[k][option];
            std::string& target = settings.kinds.at(k).options.at(option);
            if (!kinds[k].options[option].IsText()) {
                Choice(parser, given, kinds[k].options[option].choices, target);
            } else if (parser.isSet(given)) {
                target = ToUtf8(parser.value(given));  // checked with the request
            }
        }
    }
}

exporting::ExportRequest ReadRequest(const QCommandLineParser& parser, const ExportOptions& o,
                                     const design_file::ExportSettings& settings) {
    std::vector<std::string> names;
    for (const QCommandLineOption& option : o.kindNames) {
        names.push_back(ToUtf8(parser.value(option)));
    }
    return exporting::RequestOfNames(settings.kinds, names);
}

}  // namespace kc::cli
