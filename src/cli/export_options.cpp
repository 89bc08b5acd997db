#include "cli/export_options.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "cli/command_support.h"

namespace kc::cli {
namespace {

// The value of a choice option among `choices`, each with what it stands for.
template <typename T>
T Choice(const QCommandLineParser& parser, const QCommandLineOption& option,
         std::initializer_list<std::pair<const char*, T>> choices) {
    const QString value = parser.value(option);
    for (const auto& [text, choice] : choices) {
        if (value == QLatin1String(text)) {
            return choice;
        }
    }
    std::string names;
    std::size_t index = 0;
    for (const auto& [text, choice] : choices) {
        names += (index == 0 ? "" : index + 1 == choices.size() ? " or " : ", ");
        names += text;
        ++index;
    }
    throw exporting::ExportRequestError("--" + ToUtf8(option.names().constFirst()) + " takes " +
                                        names + ", not '" + ToUtf8(value) + "'.");
}

}  // namespace

exporting::ExportFormats ReadFormats(const QCommandLineParser& parser, const ExportOptions& o) {
    using exporting::WavSampleFormat;
    exporting::ExportFormats f;
    f.tapsCsv = ToUtf8(parser.value(o.taps));
    f.responseCsv = ToUtf8(parser.value(o.response));
    f.wavPrefix = ToUtf8(parser.value(o.wav));
    f.wavFormat = Choice(parser, o.wavFormat,
                         {std::pair{"float32", WavSampleFormat::Float32},
                          {"float64", WavSampleFormat::Float64},
                          {"pcm24", WavSampleFormat::Pcm24}});
    f.wavLayout = Choice(parser, o.wavLayout,
                         {std::pair{"bands", exporting::WavLayout::Bands},
                          {"multichannel", exporting::WavLayout::Multichannel}});
    f.rawPrefix = ToUtf8(parser.value(o.raw));
    f.rawFormat = Choice(parser, o.rawFormat,
                         {std::pair{"float32", exporting::RawSampleFormat::Float32},
                          {"float64", exporting::RawSampleFormat::Float64}});
    f.textPrefix = ToUtf8(parser.value(o.text));
    f.frdPrefix = ToUtf8(parser.value(o.frd));
    f.frdPhase = Choice(
        parser, o.frdPhase,
        {std::pair{"excess", exporting::FrdPhase::Excess}, {"full", exporting::FrdPhase::Full}});
    f.camillaDsp = ToUtf8(parser.value(o.camillaDsp));
    f.plotPng = ToUtf8(parser.value(o.plot));
    return f;
}

}  // namespace kc::cli
