// The save-file dialog on Qt: QFileDialog, the desktop's own where the
// platform theme offers one.

#include <QFile>
#include <QFileDialog>

#include "framework/backend.h"
#include "framework/qt/qt_access.h"

namespace nolt::fw {
namespace {

constexpr auto kAllFiles = "All files (*)";

}  // namespace

std::optional<std::filesystem::path> backend::showNativeSaveFileDialog(const SaveFileRequest& r, CDialogEx* owner)
{
    QFileDialog dialog(owner ? DialogAccess::window(*owner) : nullptr, QString::fromStdWString(r.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString extension = QString::fromStdWString(r.extension);
    dialog.setNameFilters({QString::fromStdWString(r.description) + " (*." + extension + ")", kAllFiles});
    dialog.setDefaultSuffix(extension);
    dialog.selectFile(QString::fromStdWString(r.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    // The file system's own bytes for the name, as the system spells it.
    return std::filesystem::path(QFile::encodeName(dialog.selectedFiles().first()).toStdString());
}

}  // namespace nolt::fw
