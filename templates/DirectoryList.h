#pragma once

#include "platform/FileSystem.h"
#include "ui/Error.h"

#include <QAbstractListModel>
#include <QListView>
#include <functional>
#include <optional>

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
    const QList<platform::DirEntry>& subdirectories() const { return subdirectories_; }

private:
    QList<QByteArray> ancestors_;  // full paths, root first, the open one last
    QList<platform::DirEntry> subdirectories_;
};

// A directory as read: its listing, or why it could not be read.
struct Folder {
    platform::Listing listing;
    std::optional<ui::Error> error;
};

// The directory list: a double-click or Enter opens an entry; a single
// click only highlights it.
class DirectoryList final : public QListView {
    Q_OBJECT
public:
    explicit DirectoryList(QWidget* parent);

    const QByteArray& path() const { return path_; }
    const QByteArray& root() const { return root_; }
    // Reads `path` on the drive at `root` through `read`, then shows it.
    // Nothing changes when `read` gives nothing.
    void setPath(const QByteArray& root, const QByteArray& path);
    // Shows `path` with what was read of it and reports the change. A
    // directory that could not be read opens empty; its error is kept.
    void setFolder(const QByteArray& root, const QByteArray& path, Folder folder);
    // The same without reporting a change.
    void setFolderQuietly(const QByteArray& root, const QByteArray& path, Folder folder);

    const QList<platform::DirEntry>& subdirectories() const { return model_.subdirectories(); }
    const QList<platform::DirEntry>& files() const { return files_; }
    const std::optional<ui::Error>& listingError() const { return error_; }

    // Opens the entry at `row`, as a double-click does.
    void openRow(int row);

    std::function<void()> onChange;  // Dir1_Change
    // Reads a directory for the list, or gives nothing: the reading was
    // cancelled, or it failed and has said so.
    std::function<std::optional<Folder>(const QByteArray& path)> read;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    DirectoryModel model_;
    QByteArray root_, path_;
    QList<platform::DirEntry> files_;
    std::optional<ui::Error> error_;
};

}  // namespace templates
