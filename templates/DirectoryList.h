#pragma once

#include "platform/FileSystem.h"
#include "ui/Result.h"

#include <QAbstractListModel>
#include <QListView>

namespace templates {

// The open directory's ancestors (from the drive's root), then its
// subdirectories, as one list model.
class DirectoryModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void reset(const QByteArray& root, const QByteArray& path, QList<platform::DirEntry> subdirectories);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The full path of a row.
    QByteArray pathAt(int row) const;
    int ancestorCount() const { return int(ancestors_.size()); }

private:
    QList<QByteArray> ancestors_;  // full paths, root first, the open one last
    QList<platform::DirEntry> subdirectories_;
};

// The directory list: a double-click or Enter opens an entry; a single
// click only highlights it.
class DirectoryList final : public QListView {
    Q_OBJECT
public:
    explicit DirectoryList(QWidget* parent);

    const QByteArray& path() const { return path_; }
    const QByteArray& root() const { return root_; }
    // Asks for `path` on the drive at `root` to be read and shown.
    void setPath(const QByteArray& root, const QByteArray& path);
    // Shows `path` with what was read of it and reports the change. A
    // directory that could not be read opens empty; its error is kept.
    void setFolder(const QByteArray& root, const QByteArray& path, ui::Result<platform::Listing> folder);
    // The same without reporting a change.
    void setFolderQuietly(const QByteArray& root, const QByteArray& path, ui::Result<platform::Listing> folder);

    // The open directory as read, or why it could not be read.
    const ui::Result<platform::Listing>& folder() const { return folder_; }

    // Opens the entry at `row`, as a double-click does.
    void openRow(int row);

Q_SIGNALS:
    // A directory is to be read and shown (setFolder), or left as it is.
    void folderWanted(const QByteArray& root, const QByteArray& path);
    // Another directory is open (Dir1_Change).
    void changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    DirectoryModel model_;
    QByteArray root_, path_;
    ui::Result<platform::Listing> folder_ = platform::Listing();
};

}  // namespace templates
