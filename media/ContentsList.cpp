#include "media/ContentsList.h"

namespace media {

ui::Result<void> ContentsList::fill(QStringList& entries, const QList<platform::DirEntry>& directories,
                                    const QList<platform::DirEntry>& files)
{
    entries.clear();
    const qsizetype total = directories.size() + files.size();
    entries.reserve(std::min<qsizetype>(total, kMaxEntries));
    for (const platform::DirEntry& directory : directories) {
        if (entries.size() == kMaxEntries)
            return ui::failed(ui::Error::of(ui::Error::Overflow));
        entries.append(QLatin1Char('[') + directory.display.toUpper() + QLatin1Char(']'));
    }
    for (const platform::DirEntry& file : files) {
        if (entries.size() == kMaxEntries)
            return ui::failed(ui::Error::of(ui::Error::Overflow));
        entries.append(file.display);
    }
    return {};
}

}  // namespace media
