#include "media/VolumeDescriptors.h"

#include "platform/FileSystem.h"

#include <algorithm>

namespace media::descriptors {

namespace {

// A little-endian number of `size` bytes at `at`.
quint64 littleEndian(QByteArrayView bytes, qsizetype at, int size)
{
    quint64 v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | uchar(bytes[at + i]);
    return v;
}

// UCS-2 text, big-endian, as Joliet and UDF store it.
QString bigEndianUcs2(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(uchar(bytes[i]) << 8 | uchar(bytes[i + 1])));
    return text;
}

// A fixed-size text field without the blanks or NULs that pad it.
QByteArrayView unpadded(QByteArrayView field)
{
    while (!field.isEmpty() && (field.back() == ' ' || field.back() == '\0'))
        field.chop(1);
    return field;
}

bool reordersText(char16_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

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

}  // namespace

QString shownLabel(const QByteArray& bytes)
{
    QString shown = platform::displayName(bytes);
    for (QChar& c : shown) {
        if (reordersText(c.unicode()))
            c = QLatin1Char('?');
    }
    return shown.trimmed();
}

QString shownLabel(const QString& text) { return shownLabel(text.toUtf8()); }

std::optional<quint64> isoStatedSize(QByteArrayView descriptors)
{
    if (descriptors.size() < 136 || !descriptors.startsWith(QByteArrayView("\x01"
                                                                           "CD001",
                                                                           6)))
        return std::nullopt;
    const quint64 blocks = littleEndian(descriptors, 80, 4);      // volume space size
    const quint64 blockSize = littleEndian(descriptors, 128, 2);  // logical block size
    return blocks * blockSize;
}

QString isoLabel(QByteArrayView descriptors)
{
    // A Joliet name holds 16 characters: when it is the start of a longer
    // primary one, it was cut short, and the primary one is the name.
    QString primary, joliet;
    for (qsizetype at = 0; at + 91 <= descriptors.size() && at < kIsoDescriptorsSize; at += kIsoSectorSize) {
        const QByteArrayView descriptor = descriptors.sliced(at, 91);
        if (descriptor.sliced(1, 5) != "CD001" || uchar(descriptor[0]) == 255)
            break;
        const QByteArrayView identifier = descriptor.sliced(40, 32);
        const QByteArrayView escapes = descriptor.sliced(88, 3);
        if (descriptor[0] == 1 && primary.isNull()) {
            primary = shownLabel(unpadded(identifier).toByteArray());
        } else if (descriptor[0] == 2 && joliet.isNull() && escapes.startsWith("%/") &&
                   QByteArrayView("@CE").contains(escapes[2])) {
            joliet = shownLabel(bigEndianUcs2(identifier).remove(QChar(0)));
        }
    }
    if (joliet.isEmpty() || (primary.size() > joliet.size() && primary.startsWith(joliet)))
        return primary;
    return joliet;
}

QString fatBootLabel(QByteArrayView bootSector, OemCodePage& oem)
{
    if (bootSector.size() < kFatBootSize)
        return {};
    const bool fat32 = littleEndian(bootSector, 17, 2) == 0 && littleEndian(bootSector, 22, 2) == 0;
    const int signature = fat32 ? 66 : 38;
    if (uchar(bootSector[signature]) != 0x29)
        return {};
    return fatLabel(oem.text(unpadded(bootSector.sliced(signature + 5, 11))));
}

QString fatLabel(const QString& decoded)
{
    const QString shown = shownLabel(decoded);
    return shown == QLatin1String("NO NAME") ? QString() : shown;
}

std::optional<UdfExtent> udfAnchor(QByteArrayView anchor)
{
    enum { Anchor = 2 };
    if (anchor.size() < kUdfAnchorSize || udfTag(anchor, kUdfAnchorSector) != Anchor)
        return std::nullopt;
    return UdfExtent{littleEndian(anchor, 20, 4), littleEndian(anchor, 16, 4)};
}

QString udfLabel(QByteArrayView sequence, quint64 location, qsizetype sectorSize)
{
    enum { LogicalVolume = 6, Terminator = 8 };
    if (sectorSize <= 0)
        return {};
    QString label;
    qint64 sequenceNumber = -1;
    const qsizetype sectors = std::min<qsizetype>(sequence.size() / sectorSize, kUdfMaxSequenceSectors);
    for (qsizetype i = 0; i < sectors; ++i) {
        const QByteArrayView descriptor = sequence.sliced(i * sectorSize, std::min<qsizetype>(sectorSize, 212));
        const int tag = udfTag(descriptor, location + quint64(i));
        if (tag == Terminator)
            break;
        if (tag != LogicalVolume || descriptor.size() < 212 || qint64(littleEndian(descriptor, 16, 4)) < sequenceNumber)
            continue;
        sequenceNumber = qint64(littleEndian(descriptor, 16, 4));
        // A d-string: a compression id (8 for one byte a character, 16 for
        // two), the text, and its length in the last byte.
        const QByteArrayView field = descriptor.sliced(84, 128);
        const int used = uchar(field.back());
        QString name;
        if (used >= 2 && used < field.size() && field[0] == 8)
            name = QString::fromLatin1(field.sliced(1, used - 1));
        else if (used >= 2 && used < field.size() && field[0] == 16)
            name = bigEndianUcs2(field.sliced(1, used - 1));
        label = shownLabel(name);
    }
    return label;
}

}  // namespace media::descriptors
