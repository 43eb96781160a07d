// 7-Zip's technical listing on arbitrary bytes, as the lister's output could
// come from a hostile disk: the parser keeps entries or says why not, never
// crashes, hangs or leaks; it finds the same however the text is cut into
// chunks; and the tree built from what it keeps holds every folder it lists.

#include "SoundLabel.h"
#include "media/DiskImage.h"
#include "media/SevenZipListing.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Parsed {
    QList<media::DiskImage::Entry> entries;
    ui::Result<void, QString> outcome;
    QString type, label;
    qint64 offset = 0;
    int partitions = 0;
};

Parsed parse(QByteArrayView text, qsizetype chunk)
{
    Parsed p;
    media::SevenZipListing listing(p.entries);
    for (qsizetype at = 0; at < text.size() && p.outcome; at += chunk)
        p.outcome = listing.feed(text.sliced(at, std::min(chunk, text.size() - at)));
    if (p.outcome)
        p.outcome = listing.finish();
    p.type = listing.type();
    p.label = listing.label();
    p.offset = listing.volumeOffset();
    p.partitions = listing.partitions();
    return p;
}

bool same(const Parsed& a, const Parsed& b)
{
    if (a.outcome.ok() != b.outcome.ok() || (!a.outcome && a.outcome.error() != b.outcome.error()))
        return false;
    if (!a.outcome)
        return true;
    if (a.type != b.type || a.label != b.label || a.offset != b.offset || a.partitions != b.partitions ||
        a.entries.size() != b.entries.size())
        return false;
    for (qsizetype i = 0; i < a.entries.size(); ++i) {
        const media::DiskImage::Entry &x = a.entries[i], &y = b.entries[i];
        if (x.path != y.path || x.folder != y.folder || x.hidden != y.hidden)
            return false;
    }
    return true;
}

// Every folder a listing names has a listing of its own.
bool everyFolderListed(const media::DiskImage& image, const QByteArray& folder, int depth)
{
    if (depth > 1000)
        return false;
    const platform::Listing listing = image.list(folder);
    for (const platform::DirEntry& directory : listing.directories) {
        if (directory.name.isEmpty() || directory.name.contains('/'))
            return false;
        if (!everyFolderListed(image, folder.isEmpty() ? directory.name : folder + '/' + directory.name, depth + 1))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
    const Parsed whole = parse(text, qMax<qsizetype>(text.size(), 1));
    const Parsed cut = parse(text, 1 + (size > 0 ? data[0] % 97 : 0));
    if (!same(whole, cut))
        std::abort();
    if (!whole.outcome) {
        if (whole.outcome.error().isEmpty())
            std::abort();
        return 0;
    }
    if (whole.offset < 0 || !soundLabel(whole.label, media::SevenZipListing::kMaxLineBytes))
        std::abort();
    for (const media::DiskImage::Entry& e : whole.entries) {
        if (e.path.isEmpty() || e.path.startsWith('/') || e.path.endsWith('/') || e.path.contains("//"))
            std::abort();
    }
    const auto image = media::DiskImage::fromEntries(QStringLiteral("fuzz.img"), whole.type, whole.entries);
    if (!everyFolderListed(*image, {}, 0))
        std::abort();
    return 0;
}
