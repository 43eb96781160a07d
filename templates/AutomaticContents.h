#pragma once

#include "platform/FileSystem.h"
#include "ui/Result.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace templates {

// What automatic contents makes of a folder as read: its contents list, and
// what content selection tells the user about it. Free of widgets, so that
// content selection and labels made without a window fill a label alike.
struct AutomaticContents {
    // The contents list; none when the folder could not be read, which
    // leaves the list as it was.
    std::optional<QStringList> entries;
    // Why the list is missing or cut short (the message content selection
    // shows, with the error's number), or empty.
    QString problem;
};

inline const QString kChangeDirectoryError = QStringLiteral("An error has occured while trying to change directories.");

AutomaticContents automaticContents(const ui::Result<platform::Listing>& folder);

}  // namespace templates
