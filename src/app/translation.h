// SPDX-License-Identifier: GPL-3.0-or-later
// The language of the added windows (the time and acoustic window, the export dialog, the graph
// menu, the plots' menus, the first-start hint): their texts are English in the code and
// translated by Qt's translation system, from the .qm files embedded at
// :/kaiser-crossover/translations (src/app/translations). The main window's own captions and
// messages are fixed and are not translated.
#pragma once

#include <QLocale>
#include <QTranslator>
#include <memory>

namespace kc::app {

// Installs the translation for `locale` into the application (Japanese for a Japanese locale);
// nothing for English or a language without a translation. The translation holds while the
// returned object lives; windows made before it keep their texts.
class ScopedTranslation {
  public:
    explicit ScopedTranslation(const QLocale& locale);
    ~ScopedTranslation();
    ScopedTranslation(const ScopedTranslation&) = delete;
    ScopedTranslation& operator=(const ScopedTranslation&) = delete;

    // Whether a translation was found and installed.
    bool Installed() const { return installed_; }

  private:
    std::unique_ptr<QTranslator> translator_;
    bool installed_ = false;
};

}  // namespace kc::app
