// SPDX-License-Identifier: GPL-3.0-or-later
// The main of the benchmarks that draw with Qt or drive a window: they need an application object,
// and without a display the offscreen platform serves.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QByteArray>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
