// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program of the project as a user would, for the tests of the command line.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

namespace kc::testing_support {

// How a program ended: its exit status (-1 when it crashed or did not end within two minutes)
// and what it wrote to standard output and standard error.
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// What a run adds to the test's own process: environment entries "NAME=value", a function run in
// the child before the program starts, and the working folder (the test's own when empty).
struct RunSettings {
    QStringList environment;
    std::function<void()> inChild;
    QString workingFolder;
};

inline Outcome RunProgram(const QString& program, const QStringList& arguments,
                          const RunSettings& settings = {}) {
    QProcess process;
    if (settings.inChild) {
        process.setChildProcessModifier(settings.inChild);
    }
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : settings.environment) {
        variables.insert(entry.section('=', 0, 0), entry.section('=', 1));
    }
    process.setProcessEnvironment(variables);
    process.setWorkingDirectory(settings.workingFolder);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000);
    return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

}  // namespace kc::testing_support
