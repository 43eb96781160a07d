#pragma once

#include "media/DiskImage.h"
#include "platform/FileSystem.h"
#include "ui/Result.h"

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <utility>

namespace media {

// The drives content selection reads: the machine's, and the disk images
// opened as drives of their own. An image's root is its file's path; the
// folders inside it lie below that root.
//
// Reading happens on a worker thread: a reader holds everything it reads
// (the image, the path), so nothing here is touched from the worker.
class ImageDrives {
public:
    explicit ImageDrives(platform::FileSystem& base) : base_(base) {}

    // What reading a folder found.
    struct Read {
        // The folder, or why it could not be read (it opens empty).
        ui::Result<platform::Listing> folder;
        // The image, when a reader read it (afresh).
        std::shared_ptr<const DiskImage> image;
    };
    // Raises the Error of a drive that could not be read, when nothing is
    // to change, and Stopped when stopped.
    using Reader = std::function<Read(std::stop_token)>;

    // Reads the folder `path`; with `drive`, checks that drive first. An
    // image whose file changed since it was read is read again; when that
    // fails, or the folder is no longer in it, the drive could not be read.
    Reader reader(const QByteArray& path, std::optional<platform::Drive> drive = std::nullopt) const;
    // Reads the image file `imagePath` and the folder `path` in it (its
    // root, or a folder below); any failure is the drive's.
    static Reader opener(const QString& imagePath, const QByteArray& path);

    // Keeps an image read as the drive of its file, in place of an earlier
    // reading of the same file.
    void keep(std::shared_ptr<const DiskImage> image);
    // The drive an image is: its file's path as root, labelled with its name.
    static platform::Drive driveOf(const DiskImage& image);
    // Labels the images' drives among `drives` so that no two look alike:
    // an image whose file's name another image has shows its folder too.
    void tellApart(QList<platform::Drive>& drives) const;
    // The root an image file has as a drive.
    static QByteArray rootOf(const QString& imagePath);

private:
    // The image a path lies in, and the folder inside it.
    std::pair<std::shared_ptr<const DiskImage>, QByteArray> find(const QByteArray& path) const;

    platform::FileSystem& base_;  // the machine's, which lives as long as the program
    QList<std::pair<QByteArray, std::shared_ptr<const DiskImage>>> images_;
};

}  // namespace media
