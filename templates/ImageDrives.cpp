#include "templates/ImageDrives.h"

#include <QFile>
#include <QFileInfo>

namespace templates {

QByteArray ImageDrives::rootOf(const QString& imagePath)
{
    return QFile::encodeName(QFileInfo(imagePath).absoluteFilePath());
}

ui::Drive ImageDrives::add(std::shared_ptr<const ui::DiskImage> image)
{
    const QByteArray root = rootOf(image->path());
    images_.append({root, std::move(image)});
    return {root, QFileInfo(images_.last().second->path()).fileName(), true};
}

std::pair<const ui::DiskImage*, QByteArray> ImageDrives::find(const QByteArray& path) const
{
    for (const auto& [root, image] : images_) {
        if (path == root)
            return {image.get(), QByteArray()};
        if (path.startsWith(root + '/'))
            return {image.get(), path.mid(root.size() + 1)};
    }
    return {nullptr, {}};
}

void ImageDrives::checkDrive(const ui::Drive& drive)
{
    // An open image is read already: it is always there.
    if (!find(drive.root).first)
        base_.checkDrive(drive);
}

ui::Listing ImageDrives::list(const QByteArray& path)
{
    const auto [image, folder] = find(path);
    return image ? image->list(folder) : base_.list(path);
}

}  // namespace templates
