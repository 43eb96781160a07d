#include "templates/ContentsList.h"

namespace templates {

ContentsList ContentsList::build(const QList<ui::DirEntry>& directories, const QList<ui::DirEntry>& files)
{
    ContentsList list;
    const qsizetype total = directories.size() + files.size();
    list.entries.reserve(std::min<qsizetype>(total, kMaxEntries));
    for (const ui::DirEntry& directory : directories) {
        if (list.entries.size() == kMaxEntries) {
            list.error = ui::Error::of(ui::Error::Overflow);
            return list;
        }
        list.entries.append(QLatin1Char('[') + directory.display.toUpper() + QLatin1Char(']'));
    }
    for (const ui::DirEntry& file : files) {
        if (list.entries.size() == kMaxEntries) {
            list.error = ui::Error::of(ui::Error::Overflow);
            return list;
        }
        list.entries.append(file.display);
    }
    return list;
}

}  // namespace templates
