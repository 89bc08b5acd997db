// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line note in the window that shows for a while and then goes: what an export wrote, for
// instance, where a message box would stop the user for every file.
#pragma once

#include <QLabel>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace kc::app {

class TransientNote final : public QLabel {
  public:
    // How long a note stays.
    static constexpr int kShownMilliseconds = 8000;

    // A hidden note; the parent places it. It takes no focus.
    explicit TransientNote(QWidget* parent);

    // Shows text, shortened in the middle to the note's width (the whole text in its tooltip),
    // until kShownMilliseconds have passed or the next note replaces it.
    void Show(const QString& text);

    // The text last shown in full; empty before the first.
    const QString& FullText() const { return fullText_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Fit();

    QString fullText_;
    QTimer timer_;
};

// The note for an export that wrote `paths` (at least one): "書き出しました  Wrote a.csv in
// /folder", the file names one after another ("a-low.wav, a-mid.wav, a-high.wav") and their folder
// when they share one, else every full path.
QString WrittenFilesNote(const QStringList& paths);

}  // namespace kc::app
