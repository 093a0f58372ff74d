#pragma once

#include <QSortFilterProxyModel>

class QFileDialog;

namespace skerrow {

// Narrows a file dialog's list to what can be started as a program: folders
// (to get around) and files the user may execute. For platforms whose
// programs have no suffix of their own to filter by.
class ExecutableFileFilter final : public QSortFilterProxyModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExecutableFileFilter)

public:
    explicit ExecutableFileFilter(QObject* parent = nullptr);

    // Makes the dialog list the programs the platform can start: on Windows
    // by their suffixes (.exe, .bat, .cmd) in the native dialog, elsewhere
    // through this filter (which the native dialogs do not take), owned by
    // the dialog.
    static void ApplyTo(QFileDialog& dialog);

protected:
    // The source is the dialog's QFileSystemModel.
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
};

} // namespace skerrow
