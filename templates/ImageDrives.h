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
        // The image read, when a reader opened one.
        std::shared_ptr<const ui::DiskImage> image;
    };
    using Reader = std::function<Read(std::stop_token)>;

    // Reads the folder `path`; with `drive`, checks that drive first.
    Reader reader(const QByteArray& path, std::optional<ui::Drive> drive = std::nullopt) const;
    // Opens the image file `imagePath` and reads its root.
    static Reader opener(const QString& imagePath);

    // Makes an opened image a drive, labelled with its file name.
    ui::Drive add(std::shared_ptr<const ui::DiskImage> image);
    // The root an image file has as a drive.
    static QByteArray rootOf(const QString& imagePath);

private:
    // The image a path lies in, and the folder inside it.
    std::pair<std::shared_ptr<const ui::DiskImage>, QByteArray> find(const QByteArray& path) const;

    ui::FileSystem& base_;  // the machine's, which lives as long as the program
    QList<std::pair<QByteArray, std::shared_ptr<const ui::DiskImage>>> images_;
};

}  // namespace templates
