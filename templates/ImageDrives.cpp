#include "templates/ImageDrives.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace templates {

namespace {
// A file's name or folder as the drive list shows it.
QString shown(const QString& text) { return ui::displayName(QFile::encodeName(text)); }
}  // namespace

QByteArray ImageDrives::rootOf(const QString& imagePath)
{
    return QFile::encodeName(QFileInfo(imagePath).absoluteFilePath());
}

ui::Drive ImageDrives::driveOf(const ui::DiskImage& image)
{
    return {rootOf(image.path()), shown(QFileInfo(image.path()).fileName()), true};
}

void ImageDrives::tellApart(QList<ui::Drive>& drives) const
{
    QHash<QString, int> named;  // how many images have each file name
    for (const auto& [root, image] : images_)
        ++named[QFileInfo(image->path()).fileName()];
    for (ui::Drive& drive : drives) {
        const auto [image, inside] = find(drive.root);
        if (!image || !inside.isEmpty())
            continue;
        const QFileInfo file(image->path());
        drive.label = shown(file.fileName());
        if (named.value(file.fileName()) > 1)
            drive.label += QStringLiteral(" (%1)").arg(shown(file.absolutePath()));
    }
}

void ImageDrives::keep(std::shared_ptr<const ui::DiskImage> image)
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
            read.image = ui::DiskImage::open(imagePath, stop);
            read.listing = read.image->list(folder);
        } catch (const ui::Error& error) {
            read.driveError = error;
        }
        return read;
    };
}

}  // namespace templates
