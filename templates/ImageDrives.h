#pragma once

#include "ui/DiskImage.h"
#include "ui/Error.h"
#include "ui/FileSystem.h"

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <utility>

namespace templates {

// The drives content selection reads: the machine's, and the disk images
// opened as drives of their own. An image's root is its file's path; the
// folders inside it lie below that root.
//
// Reading happens on a worker thread: a reader holds everything it reads
// (the image, the path), so nothing here is touched from the worker.
class ImageDrives {
public:
    explicit ImageDrives(ui::FileSystem& base) : base_(base) {}

    // What reading a folder found.
    struct Read {
        // The drive itself could not be read: nothing is to change.
        std::optional<ui::Error> driveError;
        // The folder could not be read; it opens empty.
        std::optional<ui::Error> error;
        ui::Listing listing;
        // The image, when a reader read it (afresh).
        std::shared_ptr<const ui::DiskImage> image;
    };
    using Reader = std::function<Read(std::stop_token)>;

    // Reads the folder `path`; with `drive`, checks that drive first. An
    // image whose file changed since it was read is read again; when that
    // fails, or the folder is no longer in it, the drive could not be read.
    Reader reader(const QByteArray& path, std::optional<ui::Drive> drive = std::nullopt) const;
    // Reads the image file `imagePath` and the folder `path` in it (its
    // root, or a folder below); any failure is the drive's.
    static Reader opener(const QString& imagePath, const QByteArray& path);

    // Keeps an image read as the drive of its file, in place of an earlier
    // reading of the same file.
    void keep(std::shared_ptr<const ui::DiskImage> image);
    // The drive an image is: its file's path as root, labelled with its name.
    static ui::Drive driveOf(const ui::DiskImage& image);
    // Labels the images' drives among `drives` so that no two look alike:
    // an image whose file's name another image has shows its folder too.
    void tellApart(QList<ui::Drive>& drives) const;
    // The root an image file has as a drive.
    static QByteArray rootOf(const QString& imagePath);

private:
    // The image a path lies in, and the folder inside it.
    std::pair<std::shared_ptr<const ui::DiskImage>, QByteArray> find(const QByteArray& path) const;

    ui::FileSystem& base_;  // the machine's, which lives as long as the program
    QList<std::pair<QByteArray, std::shared_ptr<const ui::DiskImage>>> images_;
};

}  // namespace templates
