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
// folders inside it lie below that root. The trees of the last few images
// used stay in memory; an older image stays a drive, and is read again
// when it is used again.
//
// Reading happens on a worker thread: a reader holds everything it reads
// (the image, the path), so nothing here is touched from the worker.
class ImageDrives {
public:
    // How many images' trees are kept.
    static constexpr int kImagesKept = 4;

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
    // image whose file changed since it was read, or whose tree was let go,
    // is read again; when that fails, or the folder is no longer in it, the
    // drive could not be read.
    Reader reader(const QByteArray& path, std::optional<platform::Drive> drive = std::nullopt);
    // Reads the image file `imagePath` and the folder `path` in it (its
    // root, or a folder below); any failure is the drive's.
    static Reader opener(const QString& imagePath, const QByteArray& path);

    // Keeps an image read as the drive of its file, in place of an earlier
    // reading of the same file; the tree of the image used longest ago
    // beyond kImagesKept is let go.
    void keep(std::shared_ptr<const DiskImage> image);
    // The image whose drive has `root`, while its tree is kept.
    std::shared_ptr<const DiskImage> kept(const QByteArray& root) const;
    // The drive an image is: its file's path as root, labelled with its name.
    static platform::Drive driveOf(const DiskImage& image);
    // Labels the images' drives among `drives` so that no two look alike:
    // an image whose file's name another image has shows its folder too.
    void tellApart(QList<platform::Drive>& drives) const;
    // The root an image file has as a drive.
    static QByteArray rootOf(const QString& imagePath);

private:
    // An image opened as a drive; its tree while it is kept.
    struct Opened {
        QByteArray root;
        QString path;
        std::shared_ptr<const DiskImage> image;
        quint64 used = 0;  // when it was used last
    };
    // The image a path lies in, or nothing.
    Opened* find(const QByteArray& path);
    const Opened* find(const QByteArray& path) const;
    // Marks `opened` as the image used last.
    void use(Opened& opened);

    platform::FileSystem& base_;  // the machine's, which lives as long as the program
    QList<Opened> images_;
    quint64 uses_ = 0;
};

}  // namespace media
