#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <stop_token>

#include "ui/Error.h"

namespace platform {

// A name on disk: the bytes as stored, and the text shown for them.
// Names that are not valid in the system's encoding still open correctly.
struct DirEntry {
    QByteArray name;
    QString display;
};

// A drive is a mounted volume, or a removable-media mount point of the
// system's mount table that has no medium mounted now.
struct Drive {
    QByteArray root;
    QString label;
    bool mounted = true;
};

struct Listing {
    QList<DirEntry> directories;  // alphabetical, case-insensitive
    QList<DirEntry> files;        // alphabetical, case-insensitive
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual QList<Drive> drives() = 0;
    // The process's current directory.
    virtual QByteArray currentDirectory() = 0;
    // Raises Error 68 when the drive has no medium, 76 when its root is gone.
    virtual void checkDrive(const Drive& drive) = 0;
    // The subdirectories and files of `path`, hidden entries (names starting
    // with ".") left out. Raises Error 76 or 70 when it cannot be read, and
    // Stopped when `stop` is requested on the way. Safe on any thread.
    virtual Listing list(const QByteArray& path, std::stop_token stop = {}) = 0;
};

class LocalFileSystem final : public FileSystem {
public:
    QList<Drive> drives() override;
    QByteArray currentDirectory() override;
    void checkDrive(const Drive& drive) override;
    Listing list(const QByteArray& path, std::stop_token stop = {}) override;

    // Parses a mount table in the form of /proc/self/mounts or /etc/fstab.
    struct MountLine {
        QByteArray device, mountPoint, type, options;
    };
    static QList<MountLine> parseMountTable(const QByteArray& text);
    static bool isPseudoFileSystem(const MountLine& line);
    static bool isRemovableMountPoint(const MountLine& line);
};

// Case-insensitive alphabetical order with the stored bytes as tie-break, so
// the order is total and stable.
void sortEntries(QList<DirEntry>& entries);

// The text shown for a name or path stored as bytes: UTF-8, or Latin-1 for
// bytes that are not valid UTF-8; control characters show as "?".
QString displayName(const QByteArray& name);

// Path helpers on stored bytes.
QByteArray joinPath(const QByteArray& directory, const QByteArray& name);
QByteArray parentPath(const QByteArray& path);
QByteArray lastComponent(const QByteArray& path);
// A path as the names between its slashes, without empty or "." parts:
// "./A//B/" is "A/B".
QByteArray cleanPath(QByteArrayView raw);
// Whether `path` is `root` or lies below it ("/media/u2" is not below
// "/media/u"); every absolute path lies below "/".
bool isUnder(const QByteArray& path, const QByteArray& root);

}  // namespace platform
