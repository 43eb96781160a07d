#include "ui/FileSystem.h"

#include "ui/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <vector>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ui {

namespace {

Error errorFromErrno(int code)
{
    switch (code) {
    case EACCES:
    case EPERM: return Error::of(Error::PermissionDenied);
    case ENOENT:
    case ENOTDIR:
    case ELOOP: return Error::of(Error::PathNotFound);
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV: return Error::of(Error::DeviceUnavailable);
    default: return Error::of(Error::PathFileAccess);
    }
}

// Mount tables write blanks and backslashes in octal (\040).
QByteArray unescapeMountField(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

QByteArray readWholeFile(const char* path)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool isUnder(const QByteArray& path, const QByteArray& root)
{
    if (root == "/")
        return path.startsWith('/');
    return path == root || path.startsWith(root + '/');
}

QString errorText(int code) { return QString::fromLocal8Bit(::strerror(code)); }

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

QString syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errorText(errno);
    // Some file systems cannot sync a folder; the file itself was synced.
    const int code = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return code == 0 ? QString() : errorText(code);
}

// For a folder that takes no new file: the file is overwritten, but no old
// byte is touched before the new bytes are known to fit. The part beyond the
// old length is written first, so a full disk or a size limit fails there
// and the file is cut back to its old length; only then is the start
// overwritten and the file cut to its new length.
QString writeInPlace(const QString& path, const QByteArray& bytes)
{
    // O_NONBLOCK: a named pipe without a reader fails at once, not hangs.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errorText(errno);
    const auto fail = [fd](int code) {
        ::close(fd);
        return errorText(code);
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return fail(errno);
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return QStringLiteral("that is not a regular file");
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
        return errorText(errno);
    return {};
}

}  // namespace

QString displayName(const QByteArray& name)
{
    // Names from older disks are often Latin-1 rather than UTF-8: shown as
    // Latin-1 they read as written instead of as replacement characters.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8(name);
    if (utf8.hasError())
        decoded = QString::fromLatin1(name);
    // A control character (a tab, a newline that would split the entry in
    // two) shows as "?", as do the separators that break a line.
    for (QChar& c : decoded) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0x2028 || u == 0x2029)
            c = QLatin1Char('?');
    }
    return decoded;
}

QString replaceFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo target(path);
    if (target.isDir())
        return QStringLiteral("that is a folder");
    // A named pipe or a device is never replaced by a file (nor written to).
    if (target.exists() && !target.isFile())
        return QStringLiteral("that is not a regular file");
    // QSaveFile's own fallback truncates the file before it writes: a full
    // disk would cost the old bytes. Writing in place is done here instead.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        const QByteArray folder = QFile::encodeName(target.absolutePath());
        if (target.exists() && ::access(folder.constData(), W_OK) != 0 && errno == EACCES)
            return writeInPlace(path, bytes);
        return file.errorString();
    }
    // Written and synced through the descriptor, so that every failure is
    // seen before the rename: Qt 6.4's commit() ignores a failed write of
    // its buffer and a failed sync, and renames a short file over the old one.
    if (const int code = writeAt(file.handle(), bytes, 0); code != 0) {
        file.cancelWriting();
        return errorText(code);
    }
    if (::fsync(file.handle()) != 0) {
        const int code = errno;
        file.cancelWriting();
        return errorText(code);
    }
    if (!file.commit())
        return file.errorString();
    // The rename itself reaches the disk with its folder.
    const QFileInfo renamed(target.isSymLink() ? target.symLinkTarget() : path);
    return syncFolder(QFile::encodeName(renamed.absolutePath()));
}

QByteArray joinPath(const QByteArray& directory, const QByteArray& name)
{
    return directory.endsWith('/') ? directory + name : directory + '/' + name;
}

QByteArray parentPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash <= 0)
        return QByteArray("/");
    return path.left(slash);
}

QByteArray lastComponent(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

void sortEntries(QList<DirEntry>& entries)
{
    // Each name is case-folded once, not at every comparison.
    struct Key {
        QString folded;
        qsizetype index;
    };
    std::vector<Key> keys;
    keys.reserve(size_t(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i)
        keys.push_back({entries[i].display.toCaseFolded(), i});
    std::sort(keys.begin(), keys.end(), [&entries](const Key& a, const Key& b) {
        const int byText = QString::compare(a.folded, b.folded, Qt::CaseSensitive);
        if (byText != 0)
            return byText < 0;
        return entries[a.index].name < entries[b.index].name;
    });
    QList<DirEntry> sorted;
    sorted.reserve(entries.size());
    for (const Key& key : keys)
        sorted.append(std::move(entries[key.index]));
    entries = std::move(sorted);
}

QList<LocalFileSystem::MountLine> LocalFileSystem::parseMountTable(const QByteArray& text)
{
    QList<MountLine> lines;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        lines.append({unescapeMountField(fields[0]), unescapeMountField(fields[1]), fields[2],
                      fields.size() > 3 ? fields[3] : QByteArray()});
    }
    return lines;
}

bool LocalFileSystem::isPseudoFileSystem(const MountLine& line)
{
    static const QList<QByteArray> pseudo = {
        "proc",        "sysfs",      "devtmpfs", "devpts",   "cgroup",  "cgroup2",   "securityfs",      "pstore",
        "bpf",         "debugfs",    "tracefs",  "configfs", "fusectl", "mqueue",    "hugetlbfs",       "autofs",
        "binfmt_misc", "rpc_pipefs", "nsfs",     "efivarfs", "ramfs",   "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal",
        "swap",        "none"};
    if (pseudo.contains(line.type))
        return true;
    for (const char* system : {"/proc", "/sys", "/dev", "/run"}) {
        if (isUnder(line.mountPoint, system))
            return true;
    }
    return !line.mountPoint.startsWith('/');
}

bool LocalFileSystem::isRemovableMountPoint(const MountLine& line)
{
    static const QList<QByteArray> mediaTypes = {"vfat", "msdos", "udf", "iso9660", "auto", "hfs", "exfat"};
    const bool removableType = mediaTypes.contains(line.type);
    const bool onDemand = line.options.split(',').contains("noauto");
    const bool mediaPlace = line.mountPoint.startsWith("/media/") || line.mountPoint.startsWith("/mnt/");
    return !isPseudoFileSystem(line) && (onDemand || (removableType && mediaPlace));
}

QList<Drive> LocalFileSystem::drives()
{
    QList<Drive> drives;
    QList<QByteArray> seen;
    for (const MountLine& line : parseMountTable(readWholeFile("/proc/self/mounts"))) {
        if (isPseudoFileSystem(line) || seen.contains(line.mountPoint))
            continue;
        seen.append(line.mountPoint);
        drives.append({line.mountPoint, displayName(line.mountPoint), true});
    }
    for (const MountLine& line : parseMountTable(readWholeFile("/etc/fstab"))) {
        if (!isRemovableMountPoint(line) || seen.contains(line.mountPoint))
            continue;
        seen.append(line.mountPoint);
        drives.append({line.mountPoint, displayName(line.mountPoint), false});
    }
    std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) { return a.root < b.root; });
    return drives;
}

QByteArray LocalFileSystem::currentDirectory()
{
    QByteArray buffer(4096, '\0');
    while (!::getcwd(buffer.data(), size_t(buffer.size()))) {
        if (errno != ERANGE || buffer.size() > (1 << 20))
            return QByteArray("/");
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.constData());
}

void LocalFileSystem::checkDrive(const Drive& drive)
{
    if (!drive.mounted)
        throw Error::of(Error::DeviceUnavailable);
    struct stat info {};
    if (::stat(drive.root.constData(), &info) != 0)
        throw errorFromErrno(errno);
    if (!S_ISDIR(info.st_mode))
        throw Error::of(Error::PathNotFound);
}

Listing LocalFileSystem::list(const QByteArray& path, std::stop_token stop)
{
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        throw errorFromErrno(errno);
    const int dirFd = ::dirfd(dir);
    Listing listing;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.'))
            continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Follow links; a broken link or a link loop is listed as a file.
            struct stat info {};
            isDirectory = ::fstatat(dirFd, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        (isDirectory ? listing.directories : listing.files).append({name, displayName(name)});
        if (stop.stop_requested()) {
            ::closedir(dir);
            throw Stopped();
        }
        errno = 0;
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0)
        throw errorFromErrno(readError);
    sortEntries(listing.directories);
    sortEntries(listing.files);
    return listing;
}

}  // namespace ui
