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
    for (const Opened& opened : images_)
        ++named[QFileInfo(opened.path).fileName()];
    for (platform::Drive& drive : drives) {
        const Opened* opened = find(drive.root);
        if (!opened || opened->root != drive.root)
            continue;
        const QFileInfo file(opened->path);
        drive.label = shown(file.fileName());
        if (named.value(file.fileName()) > 1)
            drive.label += QStringLiteral(" (%1)").arg(shown(file.absolutePath()));
    }
}

void ImageDrives::keep(std::shared_ptr<const DiskImage> image)
{
    Opened* opened = find(rootOf(image->path()));
    if (!opened) {
        images_.append({rootOf(image->path()), image->path(), nullptr});
        opened = &images_.last();
    }
    opened->image = std::move(image);
    use(*opened);
}

void ImageDrives::use(Opened& opened)
{
    opened.used = ++uses_;
    for (;;) {
        Opened* oldest = nullptr;
        int kept = 0;
        for (Opened& other : images_) {
            if (!other.image)
                continue;
            ++kept;
            if (!oldest || other.used < oldest->used)
                oldest = &other;
        }
        if (kept <= kImagesKept)
            return;
        oldest->image.reset();
    }
}

std::shared_ptr<const DiskImage> ImageDrives::kept(const QByteArray& root) const
{
    const Opened* opened = find(root);
    return opened && opened->root == root ? opened->image : nullptr;
}

const ImageDrives::Opened* ImageDrives::find(const QByteArray& path) const
{
    for (const Opened& opened : images_) {
        if (platform::isUnder(path, opened.root))
            return &opened;
    }
    return nullptr;
}

ImageDrives::Opened* ImageDrives::find(const QByteArray& path)
{
    return const_cast<Opened*>(std::as_const(*this).find(path));
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

ImageDrives::Reader ImageDrives::reader(const QByteArray& path, std::optional<platform::Drive> drive)
{
    if (Opened* opened = find(path)) {
        Reader reread = opener(opened->path, path);
        if (!opened->image)
            return reread;
        use(*opened);
        const QByteArray inside = path == opened->root ? QByteArray() : path.mid(opened->root.size() + 1);
        return [image = opened->image, inside, reread = std::move(reread)](std::stop_token stop) {
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
