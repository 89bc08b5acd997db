// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translation.h"

#include <QCoreApplication>
#include <QString>

namespace kc::app {

// QTranslator::load tries the locale's UI languages in order ("ja_JP", "ja", ...), so that any
// Japanese locale finds kaiser-crossover_ja.qm; the source texts are English, which needs none.
ScopedTranslation::ScopedTranslation(const QLocale& locale)
    : translator_(std::make_unique<QTranslator>()) {
    if (locale.language() == QLocale::English || locale.language() == QLocale::C) {
        return;
    }
    if (translator_->load(locale, QStringLiteral("kaiser-crossover"), QStringLiteral("_"),
                          QStringLiteral(":/kaiser-crossover/translations"))) {
        installed_ = QCoreApplication::installTranslator(translator_.get());
    }
}

ScopedTranslation::~ScopedTranslation() {
    if (installed_) {
        QCoreApplication::removeTranslator(translator_.get());
    }
}

}  // namespace kc::app
