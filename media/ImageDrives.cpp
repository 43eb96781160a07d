#include "media/ImageDrives.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace media {

namespace {
// A file's name or folder as the drive list shows it.
QString shown(const QString& text) { return platform::displayName(QFile::encodeName(text)); }
}  // namespace

QByteArray ImageDrives::rootOf(const QString& imagePath)
{
    return QFile::encodeName(QFileInfo(imagePath).absoluteFilePath());
}

platform::Drive ImageDrives::driveOf(const DiskImage& image)
{
    return {rootOf(image.path()), shown(QFileInfo(image.path()).fileName()), true};
}

void ImageDrives::tellApart(QList<platform::Drive>& drives) const
{
    QHash<QString, int> named;  // how many images have each file name
    for (const auto& [root, image] : images_)
        ++named[QFileInfo(image->path()).fileName()];
    for (platform::Drive& drive : drives) {
        const auto [image, inside] = find(drive.root);
        if (!image || !inside.isEmpty())
            continue;
        const QFileInfo file(image->path());
        drive.label = shown(file.fileName());
        if (named.value(file.fileName()) > 1)
            drive.label += QStringLiteral(" (%1)").arg(shown(file.absolutePath()));
    }
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
        if (platform::isUnder(path, root))
            return {image, path == root ? QByteArray() : path.mid(root.size() + 1)};
    }
    return {nullptr, {}};
}

namespace {
// A folder as a listing gives it, or the error that listing raised.
template <typename List>
ui::Result<platform::Listing> folder(const List& list)
{
    try {
        return list();
    } catch (const ui::Error& error) {
        return ui::failed(error);
    }
}
}  // namespace

ImageDrives::Reader ImageDrives::reader(const QByteArray& path, std::optional<platform::Drive> drive) const
{
    const auto [found, inside] = find(path);
    if (found) {
        return [image = found, inside = inside, reread = opener(found->path(), path)](std::stop_token stop) {
            if (image->changed())
                return reread(stop);
            return Read{folder([&] { return image->list(inside); }), nullptr};
        };
    }
    return [&base = base_, path, drive](std::stop_token stop) {
        if (drive)
            base.checkDrive(*drive);
        return Read{folder([&] { return base.list(path, stop); }), nullptr};
    };
}

ImageDrives::Reader ImageDrives::opener(const QString& imagePath, const QByteArray& path)
{
    const QByteArray root = rootOf(imagePath);
    const QByteArray inside = path.size() > root.size() ? path.mid(root.size() + 1) : QByteArray();
    return [imagePath, inside](std::stop_token stop) {
        std::shared_ptr<const DiskImage> image = DiskImage::open(imagePath, stop);
        platform::Listing listing = image->list(inside);
        return Read{std::move(listing), std::move(image)};
    };
}

}  // namespace media
