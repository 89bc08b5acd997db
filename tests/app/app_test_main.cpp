// SPDX-License-Identifier: GPL-3.0-or-later
// The window needs an application object before any test creates it; the tests run on the
// offscreen platform unless a platform is named.
#include <gtest/gtest.h>

#include <QApplication>

#include "base/float_checks.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    kc::base::SetFloatingPointMode();
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
