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

std::pair<std::shared_ptr<const ui::DiskImage>, QByteArray> ImageDrives::find(const QByteArray& path) const
{
    for (const auto& [root, image] : images_) {
        if (path == root)
            return {image, QByteArray()};
        if (path.startsWith(root + '/'))
            return {image, path.mid(root.size() + 1)};
    }
    return {nullptr, {}};
}

ImageDrives::Reader ImageDrives::reader(const QByteArray& path, std::optional<ui::Drive> drive) const
{
    const auto [found, inside] = find(path);
    if (found) {
        const std::shared_ptr<const ui::DiskImage> image = found;
        const QByteArray folder = inside;
        // An open image is read already: it is always there.
        return [image, folder](std::stop_token) {
            Read read;
            try {
                read.listing = image->list(folder);
            } catch (const ui::Error& error) {
                read.error = error;
            }
            return read;
        };
    }
    return [&base = base_, path, drive](std::stop_token stop) {
        Read read;
        try {
            if (drive)
                base.checkDrive(*drive);
        } catch (const ui::Error& error) {
            read.driveError = error;
            return read;
        }
        try {
            read.listing = base.list(path, stop);
        } catch (const ui::Error& error) {
            read.error = error;
        }
        return read;
    };
}

ImageDrives::Reader ImageDrives::opener(const QString& imagePath)
{
    return [imagePath](std::stop_token stop) {
        Read read;
        try {
            read.image = ui::DiskImage::open(imagePath, stop);
            read.listing = read.image->list({});
        } catch (const ui::Error& error) {
            read.driveError = error;
        }
        return read;
    };
}

}  // namespace templates
