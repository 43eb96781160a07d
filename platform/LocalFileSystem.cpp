#include "platform/FileSystem.h"

#include "ui/Error.h"

#include <QFile>
#include <algorithm>

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

ui::Error errorFromErrno(int code)
{
    switch (code) {
    case EACCES:
    case EPERM: return ui::Error::of(ui::Error::PermissionDenied);
    case ENOENT:
    case ENOTDIR:
    case ELOOP: return ui::Error::of(ui::Error::PathNotFound);
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV: return ui::Error::of(ui::Error::DeviceUnavailable);
    default: return ui::Error::of(ui::Error::PathFileAccess);
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

}  // namespace

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
        throw ui::Error::of(ui::Error::DeviceUnavailable);
    struct stat info {};
    if (::stat(drive.root.constData(), &info) != 0)
        throw errorFromErrno(errno);
    if (!S_ISDIR(info.st_mode))
        throw ui::Error::of(ui::Error::PathNotFound);
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
            throw ui::Stopped();
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

}  // namespace platform
