#include "templates/AutomaticContents.h"

#include "media/ContentsList.h"

namespace templates {

namespace {
QString changeDirectoryMessage(const ui::Error& error)
{
    return kChangeDirectoryError + QStringLiteral("Error No.") + QString::number(error.number);
}
}  // namespace

AutomaticContents automaticContents(const ui::Result<platform::Listing>& folder)
{
    AutomaticContents made;
    // A folder that could not be read gives no list.
    if (!folder) {
        made.problem = changeDirectoryMessage(folder.error());
        return made;
    }
    QStringList entries;
    const ui::Result<void> filled = media::ContentsList::fill(entries, folder->directories, folder->files);
    made.entries = std::move(entries);
    if (!filled) {
        made.problem = changeDirectoryMessage(filled.error());
    }
    return made;
}

}  // namespace templates
