#include "media/DiskImage.h"

#include "platform/UserFile.h"
#include "ui/Error.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QStringDecoder>

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

ui::Error tooManyEntries()
{
    return unreadable(QStringLiteral("it holds more than %1 entries").arg(DiskImage::kMaxEntries));
}

// A path inside an image as the folder names between slashes, without
// empty or "." parts: "./A//B/" is "A/B".
QByteArray cleanPath(QByteArrayView raw)
{
    QByteArray path;
    path.reserve(raw.size());
    const char* at = raw.data();
    const char* const end = at + raw.size();
    while (at < end) {
        const void* slash = std::memchr(at, '/', size_t(end - at));
        const char* const next = slash ? static_cast<const char*>(slash) : end;
        if (next > at && !(next - at == 1 && *at == '.')) {
            if (!path.isEmpty())
                path += '/';
            path.append(at, next - at);
        }
        at = next + 1;
    }
    return path;
}

// The code page DOS and Windows wrote a FAT disk's short names and label in:
// 437 unless the environment variable TESSERA_OEM_CODEPAGE names another
// ("850", "866", "cp1251", any name the system's converter knows).
class OemCodePage {
public:
    OemCodePage() : decoder_(qgetenv("TESSERA_OEM_CODEPAGE").trimmed().constData(), QStringDecoder::Flag::Stateless)
    {
        if (!decoder_.isValid())
            decoder_ = QStringDecoder("437", QStringDecoder::Flag::Stateless);
    }

    QString text(QByteArrayView bytes)
    {
        return decoder_.isValid() ? decoder_.decode(bytes) : QString::fromLatin1(bytes);
    }
    // A name or path as UTF-8: as it is where it is UTF-8 already, else
    // each part between slashes that is not read in the code page.
    QByteArray toUtf8(const QByteArray& name)
    {
        if (QByteArrayView(name).isValidUtf8())
            return name;
        QByteArray out;
        for (const QByteArray& part : name.split('/')) {
            if (!out.isEmpty())
                out += '/';
            out += QByteArrayView(part).isValidUtf8() ? part : text(part).toUtf8();
        }
        return out;
    }

private:
    QStringDecoder decoder_;
};

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

// A little-endian number of `size` bytes at `at`.
quint64 littleEndian(QByteArrayView bytes, qsizetype at, int size)
{
    quint64 v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | uchar(bytes[at + i]);
    return v;
}

// A name as it is shown: control characters as "?", without the blanks
// around it.
QString shownLabel(const QString& text) { return platform::displayName(text.toUtf8()).trimmed(); }

// A fixed-size text field without the blanks or NULs that pad it.
QByteArrayView unpadded(QByteArrayView field)
{
    while (!field.isEmpty() && (field.back() == ' ' || field.back() == '\0'))
        field.chop(1);
    return field;
}

// A CD image states its size in its primary volume descriptor (sector 16):
// an image shorter than that was cut short.
bool isoCutShort(const platform::UserFile& file)
{
    const QByteArray pvd = readAt(file, 16 * 2048, 136);
    if (pvd.size() < 136 || !pvd.startsWith(QByteArray("\x01"
                                                       "CD001",
                                                       6)))
        return false;
    const quint64 blocks = littleEndian(pvd, 80, 4);      // volume space size
    const quint64 blockSize = littleEndian(pvd, 128, 2);  // logical block size
    return quint64(file.size()) < blocks * blockSize;
}

// A CD's name: the volume identifier of its Joliet descriptor, where it has
// one (UCS-2, so in the case and letters it was given), else that of its
// primary volume descriptor. A Joliet name holds 16 characters: when it is
// the start of a longer primary one, it was cut short, and the primary one
// is the name.
QString isoVolumeLabel(const platform::UserFile& file)
{
    QString primary, joliet;
    for (int sector = 16; sector < 16 + 64; ++sector) {
        const QByteArray descriptor = readAt(file, qint64(sector) * 2048, 91);
        if (descriptor.size() < 91 || descriptor.mid(1, 5) != "CD001" || uchar(descriptor[0]) == 255)
            break;
        const QByteArrayView identifier = QByteArrayView(descriptor).sliced(40, 32);
        const QByteArrayView escapes = QByteArrayView(descriptor).sliced(88, 3);
        if (descriptor[0] == 1 && primary.isNull()) {
            primary = platform::displayName(unpadded(identifier).toByteArray()).trimmed();
        } else if (descriptor[0] == 2 && joliet.isNull() && escapes.startsWith("%/") &&
                   QByteArrayView("@CE").contains(escapes[2])) {
            QString name;
            for (qsizetype i = 0; i + 1 < identifier.size(); i += 2)
                name += QChar(char16_t(uchar(identifier[i]) << 8 | uchar(identifier[i + 1])));
            joliet = shownLabel(name.remove(QChar(0)));
        }
    }
    if (joliet.isEmpty() || (primary.size() > joliet.size() && primary.startsWith(joliet)))
        return primary;
    return joliet;
}

// The label in a FAT boot sector (FAT12 and FAT16 at byte 43, FAT32 at 71,
// where the extended boot signature says it is there); "NO NAME" is none.
QString fatBootLabel(const platform::UserFile& file, qint64 volume)
{
    const QByteArray boot = readAt(file, volume, 90);
    if (boot.size() < 90)
        return {};
    const bool fat32 = littleEndian(boot, 17, 2) == 0 && littleEndian(boot, 22, 2) == 0;
    const int signature = fat32 ? 66 : 38;
    if (uchar(boot[signature]) != 0x29)
        return {};
    const QByteArrayView label = unpadded(QByteArrayView(boot).sliced(signature + 5, 11));
    if (label == "NO NAME")
        return {};
    return shownLabel(OemCodePage().text(label));
}

// The identifier of a UDF descriptor tag that is sound and lies where it
// says (its checksum and its location match), or -1.
int udfTag(QByteArrayView tag, quint64 location)
{
    if (tag.size() < 16)
        return -1;
    uchar sum = 0;
    for (int i = 0; i < 16; ++i)
        sum += i == 4 ? 0 : uchar(tag[i]);
    if (sum != uchar(tag[4]) || littleEndian(tag, 12, 4) != location)
        return -1;
    return int(littleEndian(tag, 0, 2));
}

// A UDF disk's name: the logical volume identifier of its logical volume
// descriptor, found through the anchor at sector 256 (of 512 to 4096 bytes).
QString udfVolumeLabel(const platform::UserFile& file)
{
    enum { Anchor = 2, LogicalVolume = 6, Terminator = 8 };
    for (const qint64 sectorSize : {512, 2048, 1024, 4096}) {
        const QByteArray anchor = readAt(file, 256 * sectorSize, 24);
        if (anchor.size() < 24 || udfTag(anchor, 256) != Anchor)
            continue;
        // The main volume descriptor sequence; of several logical volume
        // descriptors, the one with the highest sequence number holds.
        const quint64 length = littleEndian(anchor, 16, 4), location = littleEndian(anchor, 20, 4);
        QString label;
        qint64 sequence = -1;
        for (quint64 i = 0; i < std::min<quint64>(length / quint64(sectorSize), 64); ++i) {
            const QByteArray descriptor = readAt(file, qint64(location + i) * sectorSize, 212);
            const int tag = udfTag(descriptor, location + i);
            if (tag == Terminator)
                break;
            if (tag != LogicalVolume || descriptor.size() < 212 || qint64(littleEndian(descriptor, 16, 4)) < sequence)
                continue;
            sequence = qint64(littleEndian(descriptor, 16, 4));
            // A d-string: a compression id (8 for one byte a character, 16
            // for two), the text, and its length in the last byte.
            const QByteArrayView field = QByteArrayView(descriptor).sliced(84, 128);
            const int used = uchar(field.back());
            QString name;
            if (used >= 2 && used < field.size() && field[0] == 8)
                name = QString::fromLatin1(field.sliced(1, used - 1));
            else if (used >= 2 && used < field.size() && field[0] == 16)
                for (int at = 1; at + 1 < used; at += 2)
                    name += QChar(char16_t(uchar(field[at]) << 8 | uchar(field[at + 1])));
            label = shownLabel(name);
        }
        return label;
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
            throw tooManyEntries();
        if (stop.stop_requested())
            throw ui::Stopped();
        const char* utf8 = utf8Locale ? archive_entry_pathname(entry) : archive_entry_pathname_utf8(entry);
        const QByteArray name = cleanPath(utf8 ? utf8 : archive_entry_pathname(entry));
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

// 7-Zip's technical listing ("l -slt"), parsed line by line as it comes:
// a header per nesting level, then after "----------" one block of
// "Key = value" lines per entry. Only the entries are kept, never the text.
class SevenZipListing {
public:
    explicit SevenZipListing(QList<DiskImage::Entry>& entries) : entries_(entries) {}

    // Parses the complete lines of what came so far.
    void feed(const QByteArray& chunk)
    {
        pending_ += chunk;
        qsizetype from = 0;
        for (qsizetype end; (end = pending_.indexOf('\n', from)) >= 0; from = end + 1)
            line(QByteArrayView(pending_).sliced(from, end - from));
        pending_.remove(0, from);
        // A line no listing has: a damaged or hostile file system.
        if (pending_.size() > kMaxLineBytes)
            throw unreadable(QStringLiteral("the image is damaged"));
    }
    void finish()
    {
        line(pending_);
        pending_.clear();
        keep();
        leaveOutInventedFolders();
    }

    // What the header says of the innermost level, the volume.
    QString type;
    QByteArray label;         // its label, as 7-Zip gives it
    qint64 volumeOffset = 0;  // where it starts in the file
    // Of a partition table's entries, those that are partitions.
    int partitions = 0;

private:
    static constexpr qsizetype kMaxLineBytes = 1 << 20;

    void line(QByteArrayView text)
    {
        if (text.endsWith('\r'))
            text.chop(1);
        if (!inEntries_) {
            if (text == "----------") {
                inEntries_ = true;
            } else if (text.startsWith("Type = ")) {
                type = QString::fromUtf8(text.sliced(7));
                label.clear();
                fat_ = type == QLatin1String("FAT");
            } else if (text.startsWith("Label = ")) {
                label = fat_ ? oem_.toUtf8(text.sliced(8).toByteArray()) : text.sliced(8).toByteArray();
            } else if (text.startsWith("Offset = ")) {
                // A partition's, and a volume's within it.
                volumeOffset += text.sliced(9).toByteArray().toLongLong();
            }
            return;
        }
        if (text.startsWith("Path = ")) {
            keep();
            current_.path = cleanPath(text.sliced(7));
            if (fat_)
                current_.path = oem_.toUtf8(current_.path);
            haveEntry_ = true;
        } else if (text.startsWith("Folder = ")) {
            current_.folder = text.sliced(9) == "+";
        } else if (text.startsWith("Attributes = ")) {
            // FAT's attribute letters come first: H is hidden.
            const QByteArrayView attributes = text.sliced(13);
            const qsizetype blank = attributes.indexOf(' ');
            current_.hidden = (blank < 0 ? attributes : attributes.first(blank)).contains('H');
        } else if (text.startsWith("File System = ") && text.size() > 14) {
            ++partitions;
        }
    }
    void keep()
    {
        if (haveEntry_ && !current_.path.isEmpty()) {
            if (entries_.size() >= DiskImage::kMaxEntries)
                throw tooManyEntries();
            if (current_.folder && !current_.path.contains('/'))
                listedRootFolders_.insert(current_.path);
            entries_.append(current_);
        }
        current_ = {};
        haveEntry_ = false;
    }
    // 7-Zip files what a file system keeps outside its tree (an ext journal,
    // lost inodes) in folders of its own at the root, "[SYS]", "[LOST]",
    // which paths name but which are never listed themselves: they are no
    // folders of the disk, and are left out with what they hold.
    void leaveOutInventedFolders()
    {
        entries_.removeIf([this](const DiskImage::Entry& e) {
            const qsizetype slash = e.path.indexOf('/');
            if (slash < 0 || !e.path.startsWith('[') || e.path[slash - 1] != ']')
                return false;
            return !listedRootFolders_.contains(e.path.first(slash));
        });
    }

    QList<DiskImage::Entry>& entries_;
    QByteArray pending_;
    bool inEntries_ = false;
    bool fat_ = false;  // names not in UTF-8 are in the OEM code page
    OemCodePage oem_;
    DiskImage::Entry current_;
    bool haveEntry_ = false;
    QSet<QByteArray> listedRootFolders_;
};

// What 7-Zip's lister found of the volume.
struct SevenZipVolume {
    QString type;
    QString label;
    qint64 offset = 0;
};

// FAT, partitioned disks and UDF through 7-Zip's lister.
SevenZipVolume readWithSevenZip(const QString& path, QList<DiskImage::Entry>& entries, const std::stop_token& stop)
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
    const auto end = [&lister] {
        lister.kill();
        lister.waitForFinished();
    };
    SevenZipListing listing(entries);
    QElapsedTimer timer;
    timer.start();
    try {
        while (lister.state() != QProcess::NotRunning) {
            lister.waitForReadyRead(100);
            listing.feed(lister.readAllStandardOutput());
            lister.readAllStandardError();
            if (stop.stop_requested())
                throw ui::Stopped();
            if (timer.elapsed() > kListingTimeoutMs)
                throw unreadable(QStringLiteral("reading it took too long"));
        }
        listing.feed(lister.readAllStandardOutput());
    } catch (...) {
        end();
        throw;
    }
    listing.finish();

    // The exit status says how it went: 0 read, 1 read with warnings only
    // (data after the image's end), 2 a fatal error, 8 out of memory.
    if (lister.exitStatus() != QProcess::NormalExit)
        throw unreadable(QStringLiteral("7-Zip's lister stopped unexpectedly"));
    const int status = lister.exitCode();
    if (status == 8)
        throw unreadable(QStringLiteral("7-Zip ran out of memory reading it"));
    if (status > 2)
        throw unreadable(QStringLiteral("7-Zip's lister failed with exit status %1").arg(status));
    // An image 7-Zip could not open at all has no type.
    if (listing.type.isEmpty())
        throw unreadable(QStringLiteral("not a disk image, or a damaged one"));
    // A disk of one partition is listed as its file system; the partition
    // table itself only when 7-Zip cannot choose one.
    if (partitionTables().contains(listing.type)) {
        if (listing.partitions > 1)
            throw unreadable(
                QStringLiteral("the disk has %1 partitions: only a disk with one can be read").arg(listing.partitions));
        throw unreadable(QStringLiteral("the file system on the disk's partition cannot be read"));
    }
    if (!fileSystemTypes().contains(listing.type))
        throw unreadable(QStringLiteral("not a disk image but a %1 file").arg(listing.type));
    if (status == 2)
        throw unreadable(QStringLiteral("the image is damaged or cut short"));
    return {listing.type, platform::displayName(listing.label).trimmed(), listing.volumeOffset};
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
    // 7-Zip's lister opens the path that was just checked; a name that is
    // not valid in the locale's encoding cannot be passed on as text, so the
    // lister then opens the very file checked, through its descriptor here.
    const QString listed = QFile::encodeName(path) == nativePath
                               ? path
                               : QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(file.descriptor());
    const SevenZipVolume volume = readWithSevenZip(listed, entries, stop);
    // 7-Zip gives a FAT disk's label from its root folder; the boot sector
    // holds one too, and a UDF or CD disk's is in its descriptors.
    QString label = volume.label;
    if (label.isEmpty() && volume.type == QLatin1String("FAT"))
        label = fatBootLabel(file, volume.offset);
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
