// SPDX-License-Identifier: GPL-3.0-or-later
// The hint that a new user sees on the graph's tooltip until the graph's menu is first used: where
// the menu is, Ctrl+T and design files. Whether it was used is kept between runs in a small
// settings file of its own (the rest of the program keeps nothing between runs).
#pragma once

#include <QString>

namespace kc::app {

class FirstStartHint {
  public:
    // Kept in the settings file at `settingsPath`; an empty path never shows the hint.
    explicit FirstStartHint(QString settingsPath = {});

    // The hint's line, in the language of the window, while it is due; empty after the first use.
    QString Text() const;
    // The graph's menu was used: the hint is gone, also in later runs.
    void Used();

    // The usual settings file: first-start.ini in the user's configuration folder of the
    // program.
    static QString StandardPath();

  private:
    QString settingsPath_;
    bool used_ = true;
};

}  // namespace kc::app
