#include "media/ContentsList.h"

namespace media {

ContentsList ContentsList::build(const QList<platform::DirEntry>& directories, const QList<platform::DirEntry>& files)
{
    ContentsList list;
    const qsizetype total = directories.size() + files.size();
    list.entries.reserve(std::min<qsizetype>(total, kMaxEntries));
    const auto add = [&list](const QString& entry) {
        if (list.entries.size() == kMaxEntries) {
            list.error = ui::Error::of(ui::Error::Overflow);
            return false;
        }
        list.entries.append(entry);
        return true;
    };
    for (const platform::DirEntry& directory : directories) {
        if (!add(QLatin1Char('[') + directory.display.toUpper() + QLatin1Char(']')))
            return list;
    }
    for (const platform::DirEntry& file : files) {
        if (!add(file.display))
            return list;
    }
    return list;
}

}  // namespace media
