#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace platform {

// A file the program reads on the user's behalf: a label file, a picture, a
// disk image. It is opened without blocking, so that a named pipe or a
// device never hangs the program; it is checked on the open descriptor to be
// a regular file; and it is read through that same descriptor, so what was
// checked is what is read.
class UserFile {
public:
    // Raises Error 53 for a missing file or a folder, 70 when permission is
    // denied, and 75 for anything that is no regular file (a named pipe, a
    // device, a socket) or cannot be opened.
    explicit UserFile(const QString& path);
    // The same for a path as the bytes the system names the file by, which
    // need not be valid in the locale's encoding.
    explicit UserFile(const QByteArray& nativePath);
    ~UserFile();
    UserFile(const UserFile&) = delete;
    UserFile& operator=(const UserFile&) = delete;

    // The open descriptor, or -1 once released.
    int descriptor() const { return fd_; }
    // What fstat said of the descriptor when it was opened.
    const struct stat& status() const { return status_; }
    qint64 size() const { return qint64(status_.st_size); }

    // Reads from the start, at most `limit` + 1 bytes, so that the caller can
    // tell a file larger than `limit`. Raises Error 75 when a read fails.
    QByteArray readUpTo(qint64 limit);

    // Hands the descriptor over: the caller closes it.
    int release();

private:
    int fd_ = -1;
    struct stat status_ {};
};

}  // namespace platform
