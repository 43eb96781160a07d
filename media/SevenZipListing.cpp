#include "media/SevenZipListing.h"

#include "media/VolumeDescriptors.h"

namespace media {

ui::Result<void, QString> SevenZipListing::outcome() const
{
    if (!failure_.isEmpty())
        return ui::failed(failure_);
    return {};
}

ui::Result<void, QString> SevenZipListing::feed(QByteArrayView chunk)
{
    if (!failure_.isEmpty())
        return outcome();
    pending_ += chunk;
    qsizetype from = 0;
    for (qsizetype end; failure_.isEmpty() && (end = pending_.indexOf('\n', from)) >= 0; from = end + 1)
        line(QByteArrayView(pending_).sliced(from, end - from));
    pending_.remove(0, from);
    if (failure_.isEmpty() && pending_.size() > kMaxLineBytes)
        failure_ = QStringLiteral("the image is damaged");
    return outcome();
}

ui::Result<void, QString> SevenZipListing::finish()
{
    if (failure_.isEmpty())
        line(pending_);
    pending_.clear();
    if (failure_.isEmpty())
        keep();
    if (failure_.isEmpty())
        leaveOutInventedFolders();
    return outcome();
}

QString SevenZipListing::label() const
{
    return fat_ ? descriptors::fatLabel(QString::fromUtf8(label_)) : descriptors::shownLabel(label_);
}

void SevenZipListing::line(QByteArrayView text)
{
    if (text.endsWith('\r'))
        text.chop(1);
    if (!inEntries_) {
        if (text == "----------") {
            inEntries_ = true;
        } else if (text.startsWith("Type = ")) {
            type_ = QString::fromUtf8(text.sliced(7));
            label_.clear();
            fat_ = type_ == QLatin1String("FAT");
        } else if (text.startsWith("Label = ")) {
            label_ = fat_ ? oem_.toUtf8(text.sliced(8).toByteArray()) : text.sliced(8).toByteArray();
        } else if (text.startsWith("Offset = ")) {
            // A partition's, and a volume's within it: each a byte count
            // from where the level above starts.
            bool number = false;
            const qint64 offset = text.sliced(9).toByteArray().toLongLong(&number);
            if (!number || offset < 0 || qAddOverflow(volumeOffset_, offset, &volumeOffset_))
                failure_ = QStringLiteral("the image is damaged: a volume on it starts at an impossible offset");
        }
        return;
    }
    if (text.startsWith("Path = ")) {
        keep();
        current_.path = platform::cleanPath(text.sliced(7));
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
        if (partitions_ < DiskImage::kMaxEntries)
            ++partitions_;
    }
}

void SevenZipListing::keep()
{
    if (haveEntry_ && !current_.path.isEmpty()) {
        if (entries_.size() >= DiskImage::kMaxEntries) {
            failure_ = DiskImage::tooManyEntries();
            return;
        }
        if (current_.folder && !current_.path.contains('/'))
            listedRootFolders_.insert(current_.path);
        entries_.append(current_);
    }
    current_ = {};
    haveEntry_ = false;
}

void SevenZipListing::leaveOutInventedFolders()
{
    entries_.removeIf([this](const DiskImage::Entry& e) {
        const qsizetype slash = e.path.indexOf('/');
        if (slash < 0 || !e.path.startsWith('[') || e.path[slash - 1] != ']')
            return false;
        return !listedRootFolders_.contains(e.path.first(slash));
    });
}

}  // namespace media
