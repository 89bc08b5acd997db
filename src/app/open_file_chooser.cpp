#include "app/open_file_chooser.h"

#include <QDir>
#include <QFileDialog>

namespace kc::app {

// Like the save dialog (file_chooser.cpp): the toolkit's dialog keeps no list of recent files.
QString ChooseOpenFileName(QWidget* owner, const QString& caption, const QStringList& filters) {
    QFileDialog dialog(owner, caption, QDir::currentPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace kc::app
