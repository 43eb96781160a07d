#include "platform/UserFile.h"

#include "ui/Result.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

ui::Error openError(int code)
{
    switch (code) {
    case ENOENT:
    case ENOTDIR: return ui::Error::of(ui::Error::FileNotFound);
    case EACCES:
    case EPERM: return ui::Error::of(ui::Error::PermissionDenied);
    default:
        return ui::Error::of(ui::Error::PathFileAccess,
                             ui::standardDescription(ui::Error::PathFileAccess) + QStringLiteral(" (") +
                                 QString::fromLocal8Bit(::strerror(code)) + QLatin1Char(')'));
    }
}

// Whether what fstat says of a file lets it be read, or why not.
ui::Result<void> regular(const struct stat& status)
{
    if (S_ISREG(status.st_mode))
        return {};
    if (S_ISDIR(status.st_mode))
        return ui::failed(ui::Error::of(ui::Error::FileNotFound, ui::standardDescription(ui::Error::FileNotFound) +
                                                                     QStringLiteral(" (it is a folder)")));
    const QString what = S_ISFIFO(status.st_mode)                             ? QStringLiteral("a pipe, not")
                         : S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode) ? QStringLiteral("a device, not")
                         : S_ISSOCK(status.st_mode)                           ? QStringLiteral("a socket, not")
                                                                              : QStringLiteral("not");
    return ui::failed(ui::Error::of(
        ui::Error::PathFileAccess,
        ui::standardDescription(ui::Error::PathFileAccess) + QStringLiteral(" (it is %1 a regular file)").arg(what)));
}

}  // namespace

UserFile::UserFile(const QString& path) : UserFile(QFile::encodeName(path)) {}

UserFile::UserFile(const QByteArray& name)
{
    if (name.isEmpty())
        throw ui::Error::of(ui::Error::FileNotFound);
    // Looked at before it is opened: opening a device or a named pipe can
    // itself act (rewind a tape, release a writer waiting at the pipe).
    struct stat named {};
    if (::stat(name.constData(), &named) != 0)
        throw openError(errno);
    if (const ui::Result<void> readable = regular(named); !readable)
        throw readable.error();
    // O_NONBLOCK: should the name have become a named pipe or a device that
    // waits for a medium since, opening it returns at once instead of hanging.
    fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0)
        throw openError(errno);
    const ui::Result<void> readable =
        ::fstat(fd_, &status_) != 0 ? ui::Result<void>(ui::failed(openError(errno))) : regular(status_);
    if (!readable) {
        ::close(fd_);
        fd_ = -1;
        throw readable.error();
    }
    // A regular file reads the same either way; later readers get the
    // blocking descriptor they expect.
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}

UserFile::~UserFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

QByteArray UserFile::readUpTo(qint64 limit)
{
    QByteArray out;
    const qint64 want = limit + 1;
    out.resize(qsizetype(std::min<qint64>(want, std::max<qint64>(size(), 0) + 1)));
    qint64 have = 0;
    for (;;) {
        if (have == out.size()) {
            if (have >= want)
                break;
            out.resize(qsizetype(std::min<qint64>(want, out.size() * 2 + 4096)));
        }
        const ssize_t got = ::pread(fd_, out.data() + have, size_t(out.size() - have), off_t(have));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw openError(errno);
        }
        if (got == 0)
            break;
        have += got;
    }
    out.truncate(qsizetype(have));
    return out;
}

int UserFile::release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

}  // namespace platform
