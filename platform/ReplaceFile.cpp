#include "platform/ReplaceFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

using Saved = ui::Result<void, QString>;

// The system's words for an errno, as a failure.
Saved failure(int code) { return ui::failed(QString::fromLocal8Bit(::strerror(code))); }

// Writes all of `bytes` at `offset`; returns 0, or the errno of the failure.
int writeAt(int fd, const QByteArray& bytes, off_t offset)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), offset + done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return wrote < 0 ? errno : EIO;
        done += wrote;
    }
    return 0;
}

Saved syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    // Some file systems cannot sync a folder; the file itself was synced.
    const int code = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return code == 0 ? Saved() : failure(code);
}

// For a folder that takes no new file: the file is overwritten, but no old
// byte is touched before the new bytes are known to fit. The part beyond the
// old length is written first, so a full disk or a size limit fails there
// and the file is cut back to its old length; only then is the start
// overwritten and the file cut to its new length.
Saved writeInPlace(const QString& path, const QByteArray& bytes)
{
    // O_NONBLOCK: a named pipe without a reader fails at once, not hangs.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failure(errno);
    const auto fail = [fd](int code) {
        ::close(fd);
        return failure(code);
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return fail(errno);
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return ui::failed(QStringLiteral("that is not a regular file"));
    }
    const qint64 oldSize = qint64(info.st_size);
    if (bytes.size() > oldSize) {
        if (const int code = writeAt(fd, bytes.mid(oldSize), off_t(oldSize)); code != 0) {
            (void)::ftruncate(fd, off_t(oldSize));
            return fail(code);
        }
    }
    if (const int code = writeAt(fd, bytes.left(std::min<qint64>(oldSize, bytes.size())), 0); code != 0)
        return fail(code);
    if (::ftruncate(fd, off_t(bytes.size())) != 0 || ::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0)
        return failure(errno);
    return {};
}

}  // namespace

ui::Result<void, QString> replaceFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo target(path);
    if (target.isDir())
        return ui::failed(QStringLiteral("that is a folder"));
    // A named pipe or a device is never replaced by a file (nor written to).
    if (target.exists() && !target.isFile())
        return ui::failed(QStringLiteral("that is not a regular file"));
    // QSaveFile's own fallback truncates the file before it writes: a full
    // disk would cost the old bytes. Writing in place is done here instead.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        const QByteArray folder = QFile::encodeName(target.absolutePath());
        if (target.exists() && ::access(folder.constData(), W_OK) != 0 && errno == EACCES)
            return writeInPlace(path, bytes);
        return ui::failed(file.errorString());
    }
    // Written and synced through the descriptor, so that every failure is
    // seen before the rename: Qt 6.4's commit() ignores a failed write of
    // its buffer and a failed sync, and renames a short file over the old one.
    if (const int code = writeAt(file.handle(), bytes, 0); code != 0) {
        file.cancelWriting();
        return failure(code);
    }
    if (::fsync(file.handle()) != 0) {
        const int code = errno;
        file.cancelWriting();
        return failure(code);
    }
    if (!file.commit())
        return ui::failed(file.errorString());
    // The rename itself reaches the disk with its folder.
    const QFileInfo renamed(target.isSymLink() ? target.symLinkTarget() : path);
    return syncFolder(QFile::encodeName(renamed.absolutePath()));
}

}  // namespace platform
