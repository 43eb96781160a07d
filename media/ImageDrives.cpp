#include "media/ImageDrives.h"

#include <QFile>
#include <QFileInfo>

namespace media {

QByteArray ImageDrives::rootOf(const QString& imagePath)
{
    return QFile::encodeName(QFileInfo(imagePath).absoluteFilePath());
}

platform::Drive ImageDrives::driveOf(const DiskImage& image)
{
    return {rootOf(image.path()), QFileInfo(image.path()).fileName(), true};
}

void ImageDrives::keep(std::shared_ptr<const DiskImage> image)
{
    const QByteArray root = rootOf(image->path());
    for (auto& [kept, earlier] : images_) {
        if (kept == root) {
            earlier = std::move(image);
            return;
        }
    }
    images_.append({root, std::move(image)});
}

std::pair<std::shared_ptr<const DiskImage>, QByteArray> ImageDrives::find(const QByteArray& path) const
{
    for (const auto& [root, image] : images_) {
        if (path == root)
            return {image, QByteArray()};
        if (path.startsWith(root + '/'))
            return {image, path.mid(root.size() + 1)};
    }
    return {nullptr, {}};
}

ImageDrives::Reader ImageDrives::reader(const QByteArray& path, std::optional<platform::Drive> drive) const
{
    const auto [found, inside] = find(path);
    if (found) {
        const std::shared_ptr<const DiskImage> image = found;
        const QByteArray folder = inside;
        return [image, folder, reread = opener(image->path(), path)](std::stop_token stop) {
            if (image->changed())
                return reread(stop);
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

ImageDrives::Reader ImageDrives::opener(const QString& imagePath, const QByteArray& path)
{
    const QByteArray root = rootOf(imagePath);
    const QByteArray folder = path.size() > root.size() ? path.mid(root.size() + 1) : QByteArray();
    return [imagePath, folder](std::stop_token stop) {
        Read read;
        try {
            read.image = DiskImage::open(imagePath, stop);
            read.listing = read.image->list(folder);
        } catch (const ui::Error& error) {
            read.driveError = error;
        }
        return read;
    };
}

}  // namespace media
