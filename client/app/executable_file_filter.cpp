#include "executable_file_filter.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>

namespace skerrow {

ExecutableFileFilter::ExecutableFileFilter(QObject* parent) : QSortFilterProxyModel(parent) {}

void ExecutableFileFilter::ApplyTo(QFileDialog& dialog) {
#if defined(Q_OS_WIN)
    // Windows programs are told by their suffix, as the engine dialog always
    // showed them there.
    dialog.setNameFilter(QStringLiteral("EXE Files (*.exe)"));
#else
    // Programs here have no suffix of their own: the list shows the files
    // that may be run, and the folders to get to them.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(QStringLiteral("実行ファイル (*)"));
    dialog.setProxyModel(new ExecutableFileFilter(&dialog));
#endif
}

bool ExecutableFileFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr) {
        return true;
    }
    const QFileInfo info = files->fileInfo(files->index(sourceRow, 0, sourceParent));
    return info.isDir() || (info.isFile() && info.isExecutable());
}

} // namespace skerrow
