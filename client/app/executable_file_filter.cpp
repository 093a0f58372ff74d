#include "executable_file_filter.h"

#include <QFileInfo>
#include <QFileSystemModel>

namespace skerrow {

ExecutableFileFilter::ExecutableFileFilter(QObject* parent) : QSortFilterProxyModel(parent) {}

bool ExecutableFileFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr) {
        return true;
    }
    const QFileInfo info = files->fileInfo(files->index(sourceRow, 0, sourceParent));
    return info.isDir() || (info.isFile() && info.isExecutable());
}

} // namespace skerrow
