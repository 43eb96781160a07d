#include "ui/UserFile.h"

#include "ui/Error.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace ui {

namespace {

Error openError(int code)
{
    switch (code) {
    case ENOENT:
    case ENOTDIR: return Error::of(Error::FileNotFound);
    case EACCES:
    case EPERM: return Error::of(Error::PermissionDenied);
    default:
        return Error::of(Error::PathFileAccess, standardDescription(Error::PathFileAccess) + QStringLiteral(" (") +
                                                    QString::fromLocal8Bit(::strerror(code)) + QLatin1Char(')'));
    }
}

}  // namespace

UserFile::UserFile(const QString& path)
{
    if (path.isEmpty())
        throw Error::of(Error::FileNotFound);
    // O_NONBLOCK: opening a named pipe with no writer, or a device that
    // waits for a medium, returns at once instead of hanging.
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0)
        throw openError(errno);
    if (::fstat(fd_, &status_) != 0) {
        const int code = errno;
        ::close(fd_);
        fd_ = -1;
        throw openError(code);
    }
    if (!S_ISREG(status_.st_mode)) {
        const bool folder = S_ISDIR(status_.st_mode);
        ::close(fd_);
        fd_ = -1;
        if (folder)
            throw Error::of(Error::FileNotFound, standardDescription(Error::FileNotFound) +
                                                     QStringLiteral(" (it is a folder)"));
        throw Error::of(Error::PathFileAccess,
                        standardDescription(Error::PathFileAccess) + QStringLiteral(" (it is not a regular file)"));
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

}  // namespace ui
