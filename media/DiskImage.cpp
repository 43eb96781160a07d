#include "media/DiskImage.h"

#include "media/OemCodePage.h"
#include "media/SevenZipListing.h"
#include "media/VolumeDescriptors.h"
#include "platform/FileKind.h"
#include "platform/UserFile.h"
#include "ui/Error.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

namespace media {

namespace {

constexpr int kListingTimeoutMs = 60000;

ui::Error unreadable(const QString& why)
{
    return ui::Error::of(ui::Error::DeviceUnavailable, ui::standardDescription(ui::Error::DeviceUnavailable) +
                                                           QStringLiteral(" (") + why + QLatin1Char(')'));
}

// Up to `size` bytes of the file from `offset`: fewer at its end.
QByteArray readAt(const platform::UserFile& file, qint64 offset, qsizetype size)
{
    QByteArray bytes(size, '\0');
    ssize_t got;
    do
        got = ::pread(file.descriptor(), bytes.data(), size_t(size), off_t(offset));
    while (got < 0 && errno == EINTR);
    bytes.truncate(got < 0 ? 0 : qsizetype(got));
    return bytes;
}

// A CD image states its size in its primary volume descriptor: an image
// shorter than that was cut short.
bool isoCutShort(const platform::UserFile& file)
{
    const std::optional<quint64> stated =
        descriptors::isoStatedSize(readAt(file, descriptors::kIsoDescriptorsOffset, 136));
    return stated && quint64(file.size()) < *stated;
}

QString isoVolumeLabel(const platform::UserFile& file)
{
    return descriptors::isoLabel(readAt(file, descriptors::kIsoDescriptorsOffset, descriptors::kIsoDescriptorsSize));
}

// A UDF disk's name, found through the anchor at sector 256, of a sector
// size of 512 to 4096 bytes.
QString udfVolumeLabel(const platform::UserFile& file)
{
    for (const qint64 sectorSize : {512, 2048, 1024, 4096}) {
        const std::optional<descriptors::UdfExtent> sequence = descriptors::udfAnchor(
            readAt(file, qint64(descriptors::kUdfAnchorSector) * sectorSize, descriptors::kUdfAnchorSize));
        if (!sequence)
            continue;
        const quint64 sectors = std::min(sequence->length / quint64(sectorSize), descriptors::kUdfMaxSequenceSectors);
        return descriptors::udfLabel(
            readAt(file, qint64(sequence->location) * sectorSize, qsizetype(sectors) * sectorSize), sequence->location,
            sectorSize);
    }
    return {};
}

// The image as libarchive reads it: from the checked descriptor, at an offset
// of its own. Skipping over file data only moves that offset; the reader
// that libarchive offers for a descriptor makes two lseek calls for every
// file it skips, most of the time a CD of many small files takes.
class IsoSource {
public:
    explicit IsoSource(const platform::UserFile& file) : fd_(file.descriptor()), size_(file.size()) {}

    bool open(archive* a)
    {
        archive_read_set_callback_data(a, this);
        archive_read_set_read_callback(a, &IsoSource::read);
        archive_read_set_skip_callback(a, &IsoSource::skip);
        return archive_read_open1(a) == ARCHIVE_OK;
    }

private:
    static la_ssize_t read(archive* a, void* data, const void** block)
    {
        auto* self = static_cast<IsoSource*>(data);
        for (;;) {
            const ssize_t got = ::pread(self->fd_, self->buffer_.data(), size_t(self->buffer_.size()), self->offset_);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                archive_set_error(a, errno, "%s", ::strerror(errno));
                return -1;
            }
            self->offset_ += got;
            *block = self->buffer_.constData();
            return got;
        }
    }
    // Never past the end, as libarchive expects of a file.
    static la_int64_t skip(archive*, void* data, la_int64_t request)
    {
        auto* self = static_cast<IsoSource*>(data);
        const la_int64_t step = std::clamp<la_int64_t>(request, 0, std::max<qint64>(self->size_ - self->offset_, 0));
        self->offset_ += step;
        return step;
    }

    int fd_;
    qint64 size_;
    qint64 offset_ = 0;
    QByteArray buffer_ = QByteArray(64 * 1024, Qt::Uninitialized);
};

// ISO 9660 through libarchive: Rock Ridge names where the image has them,
// else Joliet, else the plain names. Returns false for anything that is no
// ISO 9660 image.
bool readIso(const platform::UserFile& file, QList<DiskImage::Entry>& entries, const std::stop_token& stop)
{
    const std::unique_ptr<archive, int (*)(archive*)> a(archive_read_new(), archive_read_free);
    archive_read_support_format_iso9660(a.get());
    IsoSource source(file);
    if (!source.open(a.get()))
        return false;
    if (isoCutShort(file))
        throw unreadable(QStringLiteral("the image is cut short"));
    // libarchive gives names in the locale's encoding; asked for UTF-8 it
    // converts every name afresh, which costs more than reading the entry.
    // In a UTF-8 locale the names are UTF-8 already.
    const bool utf8Locale = std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0;
    archive_entry* entry = nullptr;
    for (;;) {
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r == ARCHIVE_FATAL || r == ARCHIVE_RETRY)
            throw unreadable(QString::fromLocal8Bit(archive_error_string(a.get())));
        if (entries.size() >= DiskImage::kMaxEntries)
            throw unreadable(DiskImage::tooManyEntries());
        if (stop.stop_requested())
            throw ui::Stopped();
        const char* utf8 = utf8Locale ? archive_entry_pathname(entry) : archive_entry_pathname_utf8(entry);
        const QByteArray name = platform::cleanPath(utf8 ? utf8 : archive_entry_pathname(entry));
        if (!name.isEmpty())
            entries.append({name, archive_entry_filetype(entry) == AE_IFDIR, false});
        // Only the directory records are read: the next header skips the
        // file's data.
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

// The partition tables 7-Zip lists (its own names for them).
const QSet<QString>& partitionTables()
{
    static const QSet<QString> types = {QStringLiteral("MBR"), QStringLiteral("GPT"), QStringLiteral("APM")};
    return types;
}

// A FAT file system's boot sector: its jump, the type it names, its signature.
bool isFatBootSector(QByteArrayView head)
{
    return head.size() >= 512 && (uchar(head[0]) == 0xEB || uchar(head[0]) == 0xE9) && uchar(head[510]) == 0x55 &&
           uchar(head[511]) == 0xAA && (head.sliced(54, 3) == "FAT" || head.sliced(82, 5) == "FAT32");
}

// Why a file 7-Zip found no file system in cannot be read: what it is
// instead, as its first bytes or 7-Zip (`listedType`) tell, or a FAT disk
// whose file system is damaged.
ui::Error notADiskImage(const platform::UserFile& file, const QString& listedType)
{
    const QByteArray head = readAt(file, 0, 4096);
    QString kind = platform::fileKind(head, file.size());
    if (kind.isEmpty() && !listedType.isEmpty())
        kind = QStringLiteral("a %1 file").arg(listedType);
    if (kind.isEmpty() && isFatBootSector(head))
        return unreadable(QStringLiteral("the FAT file system on it is damaged"));
    return ui::Error::of(ui::Error::DeviceUnavailable, kind.isEmpty()
                                                           ? QStringLiteral("The file is not a disk image")
                                                           : QStringLiteral("The file is not a disk image: ") + kind);
}

// What 7-Zip's lister found of the volume.
struct SevenZipVolume {
    QString type;
    QString label;
    qint64 offset = 0;
};

// FAT, partitioned disks and UDF through 7-Zip's lister. It opens the very
// file checked, through its descriptor here: the name may have changed
// since, be no valid text in the locale's encoding, or be one that means
// another file to the lister ("/dev/stdin").
SevenZipVolume readWithSevenZip(const platform::UserFile& file, QList<DiskImage::Entry>& entries,
                                const std::stop_token& stop)
{
    const QString program = sevenZip();
    if (program.isEmpty())
        throw unreadable(QStringLiteral("the disk image reader 7-Zip (7zz) is not installed"));
    QProcess lister;
    lister.setProgram(program);
    // -p-: never ask for a password; the listing comes out in UTF-8.
    lister.setArguments({QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-sccUTF-8"),
                         QStringLiteral("-p-"), QStringLiteral("--"),
                         QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(file.descriptor())});
    lister.setStandardInputFile(QProcess::nullDevice());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    lister.setProcessEnvironment(env);
    lister.start();
    if (!lister.waitForStarted())
        throw unreadable(QStringLiteral("7-Zip could not be started: %1").arg(lister.errorString()));
    const auto end = [&lister] {
        lister.kill();
        lister.waitForFinished();
    };
    SevenZipListing listing(entries);
    const auto parsed = [](const ui::Result<void, QString>& result) {
        if (!result)
            throw unreadable(result.error());
    };
    QElapsedTimer timer;
    timer.start();
    try {
        while (lister.state() != QProcess::NotRunning) {
            lister.waitForReadyRead(100);
            parsed(listing.feed(lister.readAllStandardOutput()));
            lister.readAllStandardError();
            if (stop.stop_requested())
                throw ui::Stopped();
            if (timer.elapsed() > kListingTimeoutMs)
                throw unreadable(QStringLiteral("reading it took too long"));
        }
        parsed(listing.feed(lister.readAllStandardOutput()));
    } catch (...) {
        end();
        throw;
    }
    parsed(listing.finish());

    // The exit status says how it went: 0 read, 1 read with warnings only
    // (data after the image's end), 2 a fatal error, 8 out of memory.
    if (lister.exitStatus() != QProcess::NormalExit)
        throw unreadable(QStringLiteral("7-Zip's lister stopped unexpectedly"));
    const int status = lister.exitCode();
    if (status == 8)
        throw unreadable(QStringLiteral("7-Zip ran out of memory reading it"));
    if (status > 2)
        throw unreadable(QStringLiteral("7-Zip's lister failed with exit status %1").arg(status));
    // A disk of one partition is listed as its file system; the partition
    // table itself only when 7-Zip cannot choose one.
    if (partitionTables().contains(listing.type())) {
        if (listing.partitions() > 1)
            throw unreadable(QStringLiteral("the disk has %1 partitions: only a disk with one can be read")
                                 .arg(listing.partitions()));
        throw unreadable(QStringLiteral("the file system on the disk's partition cannot be read"));
    }
    // An image 7-Zip could not open at all has no type.
    if (!fileSystemTypes().contains(listing.type()))
        throw notADiskImage(file, listing.type());
    if (status == 2)
        throw unreadable(QStringLiteral("the image is damaged or cut short"));
    return {listing.type(), listing.label(), listing.volumeOffset()};
}

FileStamp stampOf(const struct stat& status)
{
    return {qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
            quint64(status.st_ino)};
}

}  // namespace

std::shared_ptr<const DiskImage> DiskImage::open(const QString& path, std::stop_token stop)
{
    return open(QFile::encodeName(path), std::move(stop));
}

std::shared_ptr<const DiskImage> DiskImage::open(const QByteArray& nativePath, std::stop_token stop)
{
    // Only a regular file is read: a named pipe or a device is refused
    // before anything waits on it.
    const platform::UserFile file(nativePath);
    const QString path = QFile::decodeName(nativePath);
    if (file.size() == 0)
        throw unreadable(QStringLiteral("the file is empty"));

    QList<Entry> entries;
    const FileStamp stamp = stampOf(file.status());
    if (readIso(file, entries, stop))
        return fromEntries(path, QStringLiteral("ISO 9660"), entries, stamp, isoVolumeLabel(file));
    entries.clear();
    const SevenZipVolume volume = readWithSevenZip(file, entries, stop);
    // 7-Zip gives a FAT disk's label from its root folder; the boot sector
    // holds one too, and a UDF or CD disk's is in its descriptors.
    QString label = volume.label;
    if (label.isEmpty() && volume.type == QLatin1String("FAT")) {
        OemCodePage oem;
        label = descriptors::fatBootLabel(readAt(file, volume.offset, descriptors::kFatBootSize), oem);
    }
    if (label.isEmpty() && volume.type == QLatin1String("Udf"))
        label = udfVolumeLabel(file);
    if (label.isEmpty() && volume.type == QLatin1String("Iso"))
        label = isoVolumeLabel(file);
    return fromEntries(path, volume.type == QLatin1String("Udf") ? QStringLiteral("UDF") : volume.type, entries, stamp,
                       label);
}

bool DiskImage::changed() const
{
    struct stat now {};
    return ::stat(QFile::encodeName(path_).constData(), &now) != 0 || stampOf(now) != stamp_;
}

std::shared_ptr<const DiskImage> DiskImage::fromEntries(const QString& path, const QString& format,
                                                        const QList<Entry>& entries, FileStamp stamp,
                                                        const QString& volumeLabel)
{
    auto image = std::make_shared<DiskImage>();
    image->path_ = path;
    image->format_ = format;
    image->volumeLabel_ = volumeLabel;
    image->stamp_ = stamp;
    QHash<QByteArray, platform::Listing>& folders = image->folders_;
    folders.insert(QByteArray(), platform::Listing());

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
        if (hiddenFolders.isEmpty())
            return false;
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
                folders[cut < 0 ? QByteArray() : step.left(cut)].directories.append(
                    {name, platform::displayName(name)});
                folders.insert(step, platform::Listing());
            }
            if (slash < 0)
                return;
            from = slash + 1;
        }
    };
    for (const Entry& e : entries) {
        if (isHidden(e.path, e.hidden))
            continue;
        if (e.folder) {
            makeFolder(e.path);
            continue;
        }
        const qsizetype slash = e.path.lastIndexOf('/');
        const QByteArray parent = slash < 0 ? QByteArray() : e.path.left(slash);
        makeFolder(parent);
        const QByteArray name = e.path.mid(slash + 1);
        folders[parent].files.append({name, platform::displayName(name)});
    }
    // A name seen twice is listed once, and a file that has a folder's name
    // is left out: sorted, the same names lie next to each other.
    for (platform::Listing& listing : folders) {
        platform::sortEntries(listing.directories);
        platform::sortEntries(listing.files);
        QSet<QByteArray> folderNames;
        for (const platform::DirEntry& directory : listing.directories)
            folderNames.insert(directory.name);
        QByteArray previous;
        bool first = true;
        listing.files.removeIf([&](const platform::DirEntry& file) {
            const bool repeated = (!first && previous == file.name) || folderNames.contains(file.name);
            previous = file.name;
            first = false;
            return repeated;
        });
    }
    return image;
}

platform::Listing DiskImage::list(const QByteArray& folder) const
{
    const auto found = folders_.constFind(folder);
    if (found == folders_.constEnd())
        throw ui::Error::of(ui::Error::PathNotFound);
    return *found;
}

}  // namespace media
