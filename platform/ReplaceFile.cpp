#include "platform/ReplaceFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

using Saved = ui::Result<void, QString>;

// The system's words for an errno, as a failure.
Saved failure(int code) { return ui::failed(QString::fromLocal8Bit(::strerror(code))); }

// Writes all of `size` bytes at `offset`; returns 0, or the errno of the failure.
int writeAt(int fd, const char* data, qint64 size, off_t offset)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t wrote = ::pwrite(fd, data + done, size_t(size - done), offset + off_t(done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return wrote < 0 ? errno : EIO;
        done += wrote;
    }
    return 0;
}

// Copies `size` bytes of `from`, starting at `offset`, to the same place of
// `to`; returns 0, or the errno of the failure.
int copyAt(int from, int to, off_t offset, qint64 size)
{
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const ssize_t got =
            ::pread(from, chunk.data(), size_t(std::min<qint64>(chunk.size(), size - done)), offset + off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? errno : EIO;
        if (const int code = writeAt(to, chunk.constData(), got, offset + off_t(done)); code != 0)
            return code;
        done += got;
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

// A file of the system's temporary folder that no name leads to.
int scratchFile()
{
    QByteArray name = QFile::encodeName(QDir::tempPath()) + "/tessera-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        ::unlink(name.constData());
    return fd;
}

// For a folder that takes no new file: the file is overwritten with the
// `size` bytes of `scratch`, but no old byte is touched before the new bytes
// are known to fit. The part beyond the old length is written first, so a
// full disk or a size limit fails there and the file is cut back to its old
// length; only then is the start overwritten and the file cut to its new
// length.
Saved writeInPlace(const QString& path, int scratch, qint64 size)
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
    if (size > oldSize) {
        if (const int code = copyAt(scratch, fd, off_t(oldSize), size - oldSize); code != 0) {
            (void)::ftruncate(fd, off_t(oldSize));
            return fail(code);
        }
    }
    if (const int code = copyAt(scratch, fd, 0, std::min(oldSize, size)); code != 0)
        return fail(code);
    if (::ftruncate(fd, off_t(size)) != 0 || ::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0)
        return failure(errno);
    return {};
}

}  // namespace

FileReplacement::FileReplacement(const QString& path) : path_(path) {}

FileReplacement::~FileReplacement() { cancel(); }

ui::Result<void, QString> FileReplacement::start()
{
    cancel();
    const QFileInfo target(path_);
    if (target.isDir())
        return ui::failed(QStringLiteral("that is a folder"));
    // A named pipe or a device is never replaced by a file (nor written to).
    if (target.exists() && !target.isFile())
        return ui::failed(QStringLiteral("that is not a regular file"));
    // QSaveFile's own fallback truncates the file before it writes: a full
    // disk would cost the old bytes. Writing in place is done here instead.
    auto file = std::make_unique<QSaveFile>(path_);
    file->setDirectWriteFallback(false);
    if (file->open(QIODevice::WriteOnly)) {
        fd_ = file->handle();
        file_ = std::move(file);
    } else {
        const QByteArray folder = QFile::encodeName(target.absolutePath());
        const QByteArray self = QFile::encodeName(path_);
        if (!target.exists() || ::access(folder.constData(), W_OK) == 0 || errno != EACCES)
            return ui::failed(file->errorString());
        if (::access(self.constData(), W_OK) != 0)
            return failure(errno);
        scratch_ = scratchFile();
        if (scratch_ < 0)
            return failure(errno);
        fd_ = scratch_;
    }
    written_ = 0;
    error_ = 0;
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return {};
}

qint64 FileReplacement::writeData(const char* data, qint64 size)
{
    if (error_ == 0 && fd_ >= 0)
        error_ = writeAt(fd_, data, size, off_t(written_));
    if (error_ != 0) {
        setErrorString(QString::fromLocal8Bit(::strerror(error_)));
        return -1;
    }
    written_ += size;
    return size;
}

ui::Result<void, QString> FileReplacement::commit()
{
    const auto dropped = [this](const Saved& why) {
        cancel();
        return why;
    };
    if (fd_ < 0)
        return ui::failed(QStringLiteral("nothing was written"));
    if (error_ != 0)
        return dropped(failure(error_));
    if (scratch_ >= 0) {
        const Saved saved = writeInPlace(path_, scratch_, written_);
        cancel();
        return saved;
    }
    // Synced through the descriptor, so that every failure is seen before
    // the rename: Qt 6.4's commit() ignores a failed write of its buffer and
    // a failed sync, and renames a short file over the old one.
    if (::fsync(fd_) != 0)
        return dropped(failure(errno));
    QIODevice::close();
    fd_ = -1;
    const bool renamed = file_->commit();
    const QString why = file_->errorString();
    file_.reset();
    if (!renamed)
        return ui::failed(why);
    // The rename itself reaches the disk with its folder.
    const QFileInfo target(path_);
    const QFileInfo placed(target.isSymLink() ? target.symLinkTarget() : path_);
    return syncFolder(QFile::encodeName(placed.absolutePath()));
}

void FileReplacement::cancel()
{
    if (isOpen())
        QIODevice::close();
    if (file_)
        file_->cancelWriting();
    file_.reset();
    if (scratch_ >= 0)
        ::close(scratch_);
    scratch_ = -1;
    fd_ = -1;
}

ui::Result<void, QString> replaceFile(const QString& path, const QByteArray& bytes)
{
    FileReplacement file(path);
    if (ui::Result<void, QString> started = file.start(); !started)
        return started;
    file.write(bytes);
    return file.commit();
}

}  // namespace platform
