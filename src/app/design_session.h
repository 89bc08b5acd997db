// SPDX-License-Identifier: GPL-3.0-or-later
// The design the window works on, in one place: everything a design file keeps (the field texts
// and boxes, the export, time and acoustic settings, the driver files), the drivers read from
// those files, and the latest completed calculation, shared and immutable. The main window, the
// time window, the acoustic view, the export dialog and the design document observe it through
// its signals; no widget is the only holder of a setting.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "design_file/design_file.h"
#include "dsp/calculation.h"

namespace kc::app {

class DesignSession final : public QObject {
    Q_OBJECT

  public:
    // The window as it starts: a default design, ideal drivers, no calculation.
    explicit DesignSession(QObject* parent = nullptr);

    // The design as the window shows it; its driver files are absolute paths.
    const design_file::Design& Design() const { return design_; }
    // Changes the design through `edit`, which sets what a control now shows; designChanged when
    // that changed anything. A control's handler calls it; the driver files change only through
    // the driver functions below.
    void Edit(const std::function<void(design_file::Design&)>& edit);
    // Replaces the whole design, as opening a design file does: its driver files made absolute
    // and read. A file that cannot be read leaves its band with the ideal driver and its name kept
    // (so that saving keeps it); the drivers are all ideal when no file holds a frequency below
    // half the rate.
    // Returns the message that names every such file and why, empty when all were read.
    std::string Replace(design_file::Design design);

    // The drivers read from the design's files, an empty entry for the ideal driver or a file that
    // could not be read.
    const acoustic::Drivers& Drivers() const { return drivers_; }
    // Reads the driver file at `path` (a text file or an impulse-response WAV, read with the
    // band's impulse options) as the band's driver (an empty path: the ideal driver).
    // EDriverFileError (naming the file and the line, or the files' ranges when no file would
    // hold a frequency below half the rate) leaves everything as it was.
    void SetDriverFile(acoustic::Band band, const QString& path);
    // The channel and gate of the band's impulse response: its file read again with them (a
    // text file is not affected). EDriverFileError leaves everything as it was.
    void SetImpulseOptions(acoustic::Band band, const acoustic::ImpulseOptions& options);
    // Reads kBandCount dropped files, all or none, and gives them to the bands by where their sound
    // lies (acoustic::BandsByCentreFrequency), with the default impulse options;
    // std::invalid_argument for another number.
    void SetDriverFilesByFrequency(const QStringList& paths);
    // The design's driver files as the system names them, the ideal drivers left out: what no
    // export may replace.
    std::vector<std::string> DriverFiles() const;

    // The latest completed calculation, null before the first; it never changes once made.
    const std::shared_ptr<const dsp::CalculationResult>& Result() const { return result_; }
    // Its taps, sharing the result; null before the first calculation.
    std::shared_ptr<const dsp::CrossoverTaps> Taps() const;
    // A completed calculation replaces the last one; resultChanged.
    void SetResult(std::shared_ptr<const dsp::CalculationResult> result);
    void SetResult(dsp::CalculationResult result);

  signals:
    // The design changed (any setting, a driver file included).
    void designChanged();
    // The drivers changed: another file read, or a band made ideal.
    void driversChanged();
    // A new calculation result.
    void resultChanged();

  private:
    int32_t SampleRateHz() const;
    void SetDrivers(const std::array<std::string, dsp::kBandCount>& paths,
                    acoustic::Drivers drivers, bool defaultImpulseOptions = false);

    design_file::Design design_;
    acoustic::Drivers drivers_;
    std::shared_ptr<const dsp::CalculationResult> result_;
};

}  // namespace kc::app
