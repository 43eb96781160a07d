#include "templates/DirectoryList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>

namespace templates {

void DirectoryModel::reset(const QByteArray& root, const QByteArray& path, QList<platform::DirEntry> subdirectories)
{
    beginResetModel();
    ancestors_.clear();
    for (QByteArray p = path;; p = platform::parentPath(p)) {
        ancestors_.prepend(p);
        if (p == root || p == "/" || !platform::isUnder(p, root))
            break;
    }
    subdirectories_ = std::move(subdirectories);
    endResetModel();
}

int DirectoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(ancestors_.size() + subdirectories_.size());
}

QByteArray DirectoryModel::pathAt(int row) const
{
    if (row < 0)
        return {};
    if (row < ancestors_.size())
        return ancestors_[row];
    const qsizetype sub = row - ancestors_.size();
    if (sub >= subdirectories_.size())
        return {};
    return platform::joinPath(ancestors_.last(), subdirectories_[sub].name);
}

QVariant DirectoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const bool ancestor = row < ancestors_.size();
    if (role == Qt::DisplayRole) {
        const QString indent(2 * (ancestor ? row : int(ancestors_.size())), QLatin1Char(' '));
        if (ancestor) {
            const QByteArray& path = ancestors_[row];
            return indent +
                   (row == 0 ? platform::displayName(path) : platform::displayName(platform::lastComponent(path)));
        }
        return indent + subdirectories_[row - ancestors_.size()].display;
    }
    if (role == Qt::DecorationRole) {
        return QApplication::style()->standardIcon(ancestor && row == ancestors_.size() - 1 ? QStyle::SP_DirOpenIcon
                                                                                            : QStyle::SP_DirIcon);
    }
    return {};
}

DirectoryList::DirectoryList(QWidget* parent) : QListView(parent)
{
    setModel(&model_);
    setEditTriggers(NoEditTriggers);
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    setSelectionMode(SingleSelection);
}

void DirectoryList::setFolderQuietly(const QByteArray& root, const QByteArray& path,
                                     ui::Result<platform::Listing> folder)
{
    root_ = root;
    path_ = path;
    folder_ = std::move(folder);
    model_.reset(root, path, folder_ ? folder_->directories : QList<platform::DirEntry>());
    const QModelIndex open = model_.index(model_.ancestorCount() - 1);
    setCurrentIndex(open);
    scrollTo(open);
}

void DirectoryList::setFolder(const QByteArray& root, const QByteArray& path, ui::Result<platform::Listing> folder)
{
    setFolderQuietly(root, path, std::move(folder));
    Q_EMIT changed();
}

void DirectoryList::setPath(const QByteArray& root, const QByteArray& path) { Q_EMIT folderWanted(root, path); }

void DirectoryList::openRow(int row)
{
    const QByteArray target = model_.pathAt(row);
    if (!target.isEmpty() && target != path_)
        setPath(root_, target);
}

void DirectoryList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openRow(currentIndex().row());
        return;
    }
    QListView::keyPressEvent(event);
}

void DirectoryList::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        openRow(index.row());
}

}  // namespace templates
