#pragma once

#include "media/DiskImage.h"
#include "media/OemCodePage.h"
#include "ui/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSet>
#include <QString>

namespace media {

// 7-Zip's technical listing ("l -slt"), parsed line by line as it comes:
// a header per nesting level, then after "----------" one block of
// "Key = value" lines per entry. Only the entries are kept, never the text.
// Pure code: whatever the bytes hold, it keeps entries or says why the
// listing is not one of a sound disk.
class SevenZipListing {
public:
    explicit SevenZipListing(QList<DiskImage::Entry>& entries) : entries_(entries) {}

    // Parses the complete lines of what came so far. Once it failed, it
    // fails again with the same reason.
    ui::Result<void, QString> feed(QByteArrayView chunk);
    // Parses the last line and ends the listing.
    ui::Result<void, QString> finish();

    // What the header says of the innermost level, the volume: its type in
    // 7-Zip's own name for it ("FAT", "Udf", "MBR", ...)...
    const QString& type() const { return type_; }
    // ... its label as it is shown (a FAT disk's from its root folder),
    // empty when it has none...
    QString label() const;
    // ... and where it starts in the file.
    qint64 volumeOffset() const { return volumeOffset_; }
    // Of a partition table's entries, those that are partitions.
    int partitions() const { return partitions_; }

    // A line no listing has: a damaged or hostile file system.
    static constexpr qsizetype kMaxLineBytes = 1 << 20;

private:
    void line(QByteArrayView text);
    void keep();
    // 7-Zip files what a file system keeps outside its tree (an ext journal,
    // lost inodes) in folders of its own at the root, "[SYS]", "[LOST]",
    // which paths name but which are never listed themselves: they are no
    // folders of the disk, and are left out with what they hold.
    void leaveOutInventedFolders();
    ui::Result<void, QString> outcome() const;

    QList<DiskImage::Entry>& entries_;
    QByteArray pending_;
    QString failure_;  // why the listing is refused, once it is
    bool inEntries_ = false;
    QString type_;
    QByteArray label_;  // as 7-Zip gives it; a FAT disk's in UTF-8
    qint64 volumeOffset_ = 0;
    int partitions_ = 0;
    bool fat_ = false;  // names not in UTF-8 are in the OEM code page
    OemCodePage oem_;
    DiskImage::Entry current_;
    bool haveEntry_ = false;
    QSet<QByteArray> listedRootFolders_;
};

}  // namespace media
