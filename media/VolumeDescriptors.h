#pragma once

#include "media/OemCodePage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// What a disk image says of itself in its own descriptors: a CD's volume
// descriptors, a FAT disk's boot sector and label, a UDF disk's anchor and
// logical volume descriptor. Pure code over bytes the caller read: it
// touches no file, and takes whatever the bytes hold.
namespace media::descriptors {

// A label as it is shown: control characters, the separators that break a
// line and the controls that reorder text (U+202A to U+202E, U+2066 to
// U+2069) as "?", without the blanks around it.
QString shownLabel(const QString& text);
// The same for a label's bytes, as UTF-8 or else Latin-1.
QString shownLabel(const QByteArray& bytes);

// An ISO 9660 image's volume descriptors start at sector 16 (of 2048
// bytes); a CD's name lies in the first 64 of them.
constexpr qint64 kIsoDescriptorsOffset = 16 * 2048;
constexpr qsizetype kIsoSectorSize = 2048;
constexpr qsizetype kIsoDescriptorsSize = 64 * kIsoSectorSize;

// The size in bytes the primary volume descriptor states, where
// `descriptors` starts with one.
std::optional<quint64> isoStatedSize(QByteArrayView descriptors);
// A CD's name: the volume identifier of its Joliet descriptor, where it has
// one (UCS-2, so in the case and letters it was given), else that of its
// primary volume descriptor. Empty when it has none.
QString isoLabel(QByteArrayView descriptors);

// The bytes of a FAT volume's boot sector that hold its label.
constexpr qsizetype kFatBootSize = 90;
// The label in a FAT boot sector (FAT12 and FAT16 at byte 43, FAT32 at 71,
// where the extended boot signature says it is there), read in `oem`.
QString fatBootLabel(QByteArrayView bootSector, OemCodePage& oem);
// A FAT label as it is shown, decoded already: the "NO NAME" that formatting
// leaves in place of a label is none.
QString fatLabel(const QString& decoded);

// A UDF disk's anchor volume descriptor pointer lies at sector 256 (of 512
// to 4096 bytes) and points at the main volume descriptor sequence.
constexpr quint64 kUdfAnchorSector = 256;
constexpr qsizetype kUdfAnchorSize = 24;
// A UDF disk's name is in the first descriptors of its sequence.
constexpr quint64 kUdfMaxSequenceSectors = 64;
struct UdfExtent {
    quint64 location = 0;  // its first sector
    quint64 length = 0;    // in bytes
};
// The main volume descriptor sequence the anchor at sector 256 points at,
// where `anchor` is a sound one.
std::optional<UdfExtent> udfAnchor(QByteArrayView anchor);
// The logical volume identifier of the sequence's logical volume descriptor
// (of several, the one with the highest sequence number); `sequence` is its
// sectors from `location` on. Empty when it has none.
QString udfLabel(QByteArrayView sequence, quint64 location, qsizetype sectorSize);

}  // namespace media::descriptors
