#include "ui/DiskImage.h"

#include "ui/Error.h"
#include "ui/UserFile.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

#include <unistd.h>

namespace ui {

namespace {

// The lister's output is about 150 bytes an entry; more than this is no
// image that fits the entry limit.
constexpr qint64 kMaxListingBytes = 64ll * 1024 * 1024;
constexpr int kListingTimeoutMs = 60000;

Error unreadable(const QString& why)
{
    return Error::of(Error::DeviceUnavailable,
                     standardDescription(Error::DeviceUnavailable) + QStringLiteral(" (") + why + QLatin1Char(')'));
}

Error tooManyEntries()
{
    return unreadable(QStringLiteral("it holds more than %1 entries").arg(DiskImage::kMaxEntries));
}

QByteArray cleanPath(QByteArray path)
{
    while (path.contains("//"))
        path.replace("//", "/");
    while (path.startsWith("./"))
        path.remove(0, 2);
    while (path.startsWith('/'))
        path.remove(0, 1);
    while (path.endsWith('/'))
        path.chop(1);
    return path == "." ? QByteArray() : path;
}

// A CD image states its size in its primary volume descriptor (sector 16):
// an image shorter than that was cut short.
bool isoCutShort(const UserFile& file)
{
    QByteArray pvd(2048, '\0');
    const ssize_t got = ::pread(file.descriptor(), pvd.data(), size_t(pvd.size()), 16 * 2048);
    if (got < 136 || !pvd.startsWith(QByteArray("\x01"
                                                "CD001",
                                                6)))
        return false;
    const auto le = [&pvd](int at, int bytes) {
        quint64 v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | uchar(pvd[at + i]);
        return v;
    };
    const quint64 blocks = le(80, 4);      // volume space size
    const quint64 blockSize = le(128, 2);  // logical block size
    return quint64(file.size()) < blocks * blockSize;
}

// ISO 9660 through libarchive: Rock Ridge names where the image has them,
// else Joliet, else the plain names. Returns false for anything that is no
// ISO 9660 image.
bool readIso(const UserFile& file, QList<DiskImage::Entry>& entries)
{
    const std::unique_ptr<archive, int (*)(archive*)> a(archive_read_new(), archive_read_free);
    archive_read_support_format_iso9660(a.get());
    if (archive_read_open_fd(a.get(), file.descriptor(), 64 * 1024) != ARCHIVE_OK)
        return false;
    if (isoCutShort(file))
        throw unreadable(QStringLiteral("the image is cut short"));
    archive_entry* entry = nullptr;
    for (;;) {
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r == ARCHIVE_FATAL || r == ARCHIVE_RETRY)
            throw unreadable(QString::fromLocal8Bit(archive_error_string(a.get())));
        if (entries.size() >= DiskImage::kMaxEntries)
            throw tooManyEntries();
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const QByteArray name = cleanPath(QByteArray(utf8 ? utf8 : archive_entry_pathname(entry)));
        if (!name.isEmpty())
            entries.append({name, archive_entry_filetype(entry) == AE_IFDIR, false});
        // Only the directory records are read: file data is skipped by seeking.
        if (archive_read_data_skip(a.get()) == ARCHIVE_FATAL)
            throw unreadable(QString::fromLocal8Bit(archive_error_string(a.get())));
    }
    return true;
}

QString sevenZip()
{
    for (const QString& name : {QStringLiteral("7zz"), QStringLiteral("7z")}) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

// The formats 7-Zip lists as a file system (its own names for them).
const QSet<QString>& fileSystemTypes()
{
    static const QSet<QString> types = {QStringLiteral("FAT"),  QStringLiteral("Udf"),      QStringLiteral("Iso"),
                                        QStringLiteral("NTFS"), QStringLiteral("HFS"),      QStringLiteral("Ext"),
                                        QStringLiteral("APFS"), QStringLiteral("SquashFS"), QStringLiteral("CramFS")};
    return types;
}

// FAT, partitioned disks and UDF through 7-Zip's technical listing
// ("l -slt"): a header per nesting level, then after "----------" one block
// of "Key = value" lines per entry.
QString readWithSevenZip(const QString& path, QList<DiskImage::Entry>& entries)
{
    const QString program = sevenZip();
    if (program.isEmpty())
        throw unreadable(QStringLiteral("the disk image reader 7-Zip (7zz) is not installed"));
    QProcess lister;
    lister.setProgram(program);
    // -p-: never ask for a password; the listing comes out in UTF-8.
    lister.setArguments({QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-sccUTF-8"),
                         QStringLiteral("-p-"), QStringLiteral("--"), path});
    lister.setStandardInputFile(QProcess::nullDevice());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    lister.setProcessEnvironment(env);
    lister.start();
    if (!lister.waitForStarted())
        throw unreadable(QStringLiteral("7-Zip could not be started: %1").arg(lister.errorString()));
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (lister.state() != QProcess::NotRunning) {
        lister.waitForReadyRead(100);
        out += lister.readAllStandardOutput();
        lister.readAllStandardError();
        if (out.size() > kMaxListingBytes || timer.elapsed() > kListingTimeoutMs) {
            lister.kill();
            lister.waitForFinished();
            throw out.size() > kMaxListingBytes ? tooManyEntries()
                                                : unreadable(QStringLiteral("reading it took too long"));
        }
    }
    out += lister.readAllStandardOutput();

    QString type;
    QStringList problems;
    bool inEntries = false;
    DiskImage::Entry current;
    bool haveEntry = false;
    const auto finish = [&] {
        if (haveEntry && !current.path.isEmpty()) {
            if (entries.size() >= DiskImage::kMaxEntries)
                throw tooManyEntries();
            entries.append(current);
        }
        current = {};
        haveEntry = false;
    };
    for (const QByteArray& raw : out.split('\n')) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        if (!inEntries) {
            if (line == "----------")
                inEntries = true;
            else if (line.startsWith("Type = "))
                type = QString::fromUtf8(line.mid(7));
            else if (line.startsWith("ERROR") || line == "ERRORS:" || line.contains("Unexpected end"))
                problems << QString::fromUtf8(line);
            continue;
        }
        if (line.startsWith("Path = ")) {
            finish();
            current.path = cleanPath(line.mid(7));
            haveEntry = true;
        } else if (line.startsWith("Folder = ")) {
            current.folder = line.mid(9) == "+";
        } else if (line.startsWith("Attributes = ")) {
            // FAT's attribute letters come first: H is hidden.
            current.hidden = line.mid(13).split(' ').value(0).contains('H');
        } else if (line.startsWith("ERROR") || line.contains("Unexpected end")) {
            problems << QString::fromUtf8(line);
        }
    }
    finish();
    if (lister.exitStatus() != QProcess::NormalExit || lister.exitCode() != 0 || !problems.isEmpty()) {
        if (type.isEmpty() || out.contains("Cannot open the file as archive"))
            throw unreadable(QStringLiteral("not a disk image, or a damaged one"));
        throw unreadable(QStringLiteral("the image is damaged or cut short"));
    }
    if (!fileSystemTypes().contains(type))
        throw unreadable(QStringLiteral("not a disk image but a %1 file").arg(type));
    return type;
}

}  // namespace

std::shared_ptr<const DiskImage> DiskImage::open(const QString& path)
{
    // Only a regular file is read: a named pipe or a device is refused
    // before anything waits on it.
    const UserFile file(path);
    if (file.size() == 0)
        throw unreadable(QStringLiteral("the file is empty"));

    QList<Entry> entries;
    if (readIso(file, entries))
        return fromEntries(path, QStringLiteral("ISO 9660"), entries);
    entries.clear();
    // 7-Zip's lister opens the path that was just checked.
    const QString type = readWithSevenZip(path, entries);
    return fromEntries(path, type == QLatin1String("Udf") ? QStringLiteral("UDF") : type, entries);
}

std::shared_ptr<const DiskImage> DiskImage::fromEntries(const QString& path, const QString& format,
                                                        const QList<Entry>& entries)
{
    auto image = std::make_shared<DiskImage>();
    image->path_ = path;
    image->format_ = format;
    QHash<QByteArray, Listing>& folders = image->folders_;
    folders.insert(QByteArray(), Listing());

    // Hidden folders are left out with everything in them.
    QSet<QByteArray> hiddenFolders;
    for (const Entry& e : entries) {
        if (e.folder && (e.hidden || e.path.mid(e.path.lastIndexOf('/') + 1).startsWith('.')))
            hiddenFolders.insert(e.path);
    }
    // An entry is hidden itself, by its name, or by a folder it lies in.
    const auto isHidden = [&](const QByteArray& p, bool hiddenEntry) {
        if (hiddenEntry || p.startsWith('.') || p.contains("/."))
            return true;
        for (qsizetype slash = p.indexOf('/'); slash >= 0; slash = p.indexOf('/', slash + 1)) {
            if (hiddenFolders.contains(p.left(slash)))
                return true;
        }
        return false;
    };
    // A folder and the parents its path implies, made from the root down.
    const auto makeFolder = [&](const QByteArray& folder) {
        if (folders.contains(folder))
            return;
        qsizetype from = 0;
        for (;;) {
            const qsizetype slash = folder.indexOf('/', from);
            const QByteArray step = slash < 0 ? folder : folder.left(slash);
            if (!folders.contains(step)) {
                const qsizetype cut = step.lastIndexOf('/');
                const QByteArray name = step.mid(cut + 1);
                folders[cut < 0 ? QByteArray() : step.left(cut)].directories.append({name, displayName(name)});
                folders.insert(step, Listing());
            }
            if (slash < 0)
                return;
            from = slash + 1;
        }
    };
    QSet<QByteArray> files;
    for (const Entry& e : entries) {
        if (isHidden(e.path, e.hidden))
            continue;
        if (e.folder) {
            makeFolder(e.path);
            continue;
        }
        const qsizetype slash = e.path.lastIndexOf('/');
        const QByteArray parent = slash < 0 ? QByteArray() : e.path.left(slash);
        if (files.contains(e.path) || folders.contains(e.path))
            continue;
        makeFolder(parent);
        files.insert(e.path);
        const QByteArray name = e.path.mid(slash + 1);
        folders[parent].files.append({name, displayName(name)});
    }
    for (Listing& listing : folders) {
        sortEntries(listing.directories);
        sortEntries(listing.files);
    }
    return image;
}

Listing DiskImage::list(const QByteArray& folder) const
{
    const auto found = folders_.constFind(folder);
    if (found == folders_.constEnd())
        throw Error::of(Error::PathNotFound);
    return *found;
}

}  // namespace ui
