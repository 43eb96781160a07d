#pragma once

#include "platform/FileSystem.h"

#include <QHash>
#include <QString>
#include <memory>
#include <stop_token>

namespace media {

// A file as it was read: another size, modification time or inode means it
// has changed since.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    bool operator==(const FileStamp&) const = default;
};

// The directory tree of a disk image file, read without mounting, writing
// or extracting anything: ISO 9660 CD images (with Joliet and Rock Ridge
// names) through libarchive; FAT floppy and hard-disk images (long names
// included), Zip disks with their partition table, and UDF through
// 7-Zip's lister. Only directory records are read, never file data.
//
// FAT short names and labels that are not UTF-8 are read in the OEM code
// page DOS and Windows wrote them in: 437, or the one the environment
// variable TESSERA_OEM_CODEPAGE names ("850", "866", "cp1251", ...).
class DiskImage {
public:
    // At most this many entries in one image, so that memory stays bounded.
    static constexpr int kMaxEntries = 1000000;
    // Why an image of more entries is not read.
    static QString tooManyEntries() { return QStringLiteral("it holds more than %1 entries").arg(kMaxEntries); }

    // Reads the image's directories. Raises Error 53 for a missing file or a
    // folder, 70 when permission is denied, 75 for anything that is no
    // regular file (a named pipe, a device) or cannot be read, and 68 for
    // anything that is no readable disk image: "The file is not a disk
    // image", with what it is where its first bytes tell ("a PE file (a
    // Windows program)", "plain text", ...), or Device unavailable with the
    // reason: empty, cut short, damaged, looping, too large, or a disk of
    // several partitions.
    // Raises Stopped when `stop` is requested on the way (7-Zip's lister is
    // ended then). Safe on any thread.
    static std::shared_ptr<const DiskImage> open(const QString& path, std::stop_token stop = {});
    // The same for a path as the bytes the system names the file by, which
    // need not be valid in the locale's encoding.
    static std::shared_ptr<const DiskImage> open(const QByteArray& nativePath, std::stop_token stop = {});

    // The subdirectories and files of a folder ("" is the root, "A/B" a
    // folder inside), sorted and without hidden entries. Raises Error 76 for
    // a folder the image does not have.
    platform::Listing list(const QByteArray& folder) const;

    const QString& path() const { return path_; }
    // "ISO 9660", "FAT", ...
    const QString& format() const { return format_; }
    // The name the volume was given: a CD's volume identifier, a FAT disk's
    // label, a UDF disk's logical volume identifier. Empty when the format
    // has none or it is blank.
    const QString& volumeLabel() const { return volumeLabel_; }

    // Whether the file at path() is no longer the one read, or is gone.
    // Safe on any thread.
    bool changed() const;

    // One entry as a reader found it: its path inside the image, with "/"
    // between folders, and whether it is a folder or hidden.
    struct Entry {
        QByteArray path;
        bool folder = false;
        bool hidden = false;
    };
    // Builds the tree from a reader's entries (folders a path implies are
    // made as needed). Public for tests.
    static std::shared_ptr<const DiskImage> fromEntries(const QString& path, const QString& format,
                                                        const QList<Entry>& entries, FileStamp stamp = {},
                                                        const QString& volumeLabel = {});

private:
    QString path_;
    QString format_;
    QString volumeLabel_;
    FileStamp stamp_;
    QHash<QByteArray, platform::Listing> folders_;
};

}  // namespace media
