// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/design_session.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>
#include <utility>

namespace kc::app {
namespace {

// A path as the file system names it, absolute; empty stays empty.
std::string AbsoluteLocalPath(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    const QString absolute =
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absoluteFilePath();
    return QFile::encodeName(absolute).toStdString();
}

// Messages name a driver file by its file name. A text file or an impulse response, by what it
// holds.
acoustic::DriverResponse ReadDriver(const std::string& path,
                                    const acoustic::ImpulseOptions& options) {
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
    return acoustic::ReadDriverFile(path, name.toStdString(), options);
}

void AppendLine(std::string& text, const std::string& line) {
    if (!text.empty()) {
        text += '\n';
    }
    text += line;
}

}  // namespace

DesignSession::DesignSession(QObject* parent) : QObject(parent) {}

void DesignSession::Edit(const std::function<void(design_file::Design&)>& edit) {
    design_file::Design next = design_;
    edit(next);
    if (next != design_) {
        design_ = std::move(next);
        emit designChanged();
    }
}

// The design is kept whatever its files hold: a file that cannot be read is no reason to refuse
// the rest.
std::string DesignSession::Replace(design_file::Design design) {
    acoustic::Drivers drivers;
    std::string problems;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        std::string& path = design.acoustic[b].driverFile;
        path = AbsoluteLocalPath(path);
        try {
            if (!path.empty()) {
                drivers[b] = ReadDriver(path, design.acoustic[b].impulse);
            }
        } catch (const acoustic::EDriverFileError& error) {
            AppendLine(problems, error.what());
        }
    }
    try {
        acoustic::CheckCommonFrequencies(drivers, SampleRateHz());
    } catch (const acoustic::EDriverFileError& error) {
        AppendLine(problems, error.what());
        drivers = {};
    }
    design_ = std::move(design);
    drivers_ = std::move(drivers);
    emit driversChanged();
    emit designChanged();
    return problems;
}

void DesignSession::SetDriverFile(acoustic::Band band, const QString& path) {
    const auto b = static_cast<std::size_t>(band);
    std::array<std::string, dsp::kBandCount> paths;
    for (std::size_t i = 0; i < dsp::kBandCount; ++i) {
        paths[i] = design_.acoustic[i].driverFile;
    }
    acoustic::Drivers drivers = drivers_;
    paths[b] = AbsoluteLocalPath(QFile::encodeName(path).toStdString());
    drivers[b] = paths[b].empty()
                     ? std::nullopt
                     : std::optional(ReadDriver(paths[b], design_.acoustic[b].impulse));
    SetDrivers(paths, std::move(drivers));
}

void DesignSession::SetImpulseOptions(acoustic::Band band,
                                      const acoustic::ImpulseOptions& options) {
    const auto b = static_cast<std::size_t>(band);
    const std::string& path = design_.acoustic[b].driverFile;
    if (options == design_.acoustic[b].impulse) {
        return;
    }
    acoustic::Drivers drivers = drivers_;
    if (!path.empty()) {
        drivers[b] = ReadDriver(path, options);
        acoustic::CheckCommonFrequencies(drivers, SampleRateHz());
    }
    design_.acoustic[b].impulse = options;
    if (!path.empty()) {
        drivers_ = std::move(drivers);
        emit driversChanged();
    }
    emit designChanged();
}

void DesignSession::SetDriverFilesByFrequency(const QStringList& paths) {
    if (paths.size() != static_cast<qsizetype>(dsp::kBandCount)) {
        throw std::invalid_argument("one driver file a band is needed");
    }
    std::array<std::string, dsp::kBandCount> given;
    std::array<acoustic::DriverResponse, dsp::kBandCount> read;
    for (std::size_t i = 0; i < dsp::kBandCount; ++i) {
        given[i] =
            AbsoluteLocalPath(QFile::encodeName(paths[static_cast<qsizetype>(i)]).toStdString());
        read[i] = ReadDriver(given[i], {});
    }
    const std::array<std::size_t, dsp::kBandCount> order = acoustic::BandsByCentreFrequency(read);
    std::array<std::string, dsp::kBandCount> bandPaths;
    acoustic::Drivers drivers;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        bandPaths[b] = given[order[b]];
        drivers[b] = std::move(read[order[b]]);
    }
    // Read as the defaults have it, the bands take the defaults too.
    SetDrivers(bandPaths, std::move(drivers), true);
}

// Checked before anything changes, so that a refusal leaves the last drivers.
void DesignSession::SetDrivers(const std::array<std::string, dsp::kBandCount>& paths,
                               acoustic::Drivers drivers, bool defaultImpulseOptions) {
    acoustic::CheckCommonFrequencies(drivers, SampleRateHz());
    drivers_ = std::move(drivers);
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        design_.acoustic[b].driverFile = paths[b];
        if (defaultImpulseOptions) {
            design_.acoustic[b].impulse = {};
        }
    }
    emit driversChanged();
    emit designChanged();
}

std::vector<std::string> DesignSession::DriverFiles() const {
    std::vector<std::string> files;
    for (const design_file::DriverSettings& driver : design_.acoustic) {
        if (!driver.driverFile.empty()) {
            files.push_back(driver.driverFile);
        }
    }
    return files;
}

std::shared_ptr<const dsp::CrossoverTaps> DesignSession::Taps() const {
    if (!result_) {
        return nullptr;
    }
    return {result_, &result_->taps};
}

void DesignSession::SetResult(std::shared_ptr<const dsp::CalculationResult> result) {
    result_ = std::move(result);
    emit resultChanged();
}

void DesignSession::SetResult(dsp::CalculationResult result) {
    SetResult(std::make_shared<const dsp::CalculationResult>(std::move(result)));
}

int32_t DesignSession::SampleRateHz() const {
    return result_ ? result_->taps.sampleRateHz : dsp::SampleRate;
}

}  // namespace kc::app
