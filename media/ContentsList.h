#pragma once

#include "platform/FileSystem.h"
#include "ui/Result.h"

#include <QStringList>

namespace media {

// The contents list of a directory: "[" + upper-cased subdirectory name +
// "]" for each subdirectory, then the file names, each block in the given
// (alphabetical) order.
struct ContentsList {
    // Counts are 16-bit.
    static constexpr int kMaxEntries = 32767;

    // Makes `entries` the contents list of a directory. More than
    // kMaxEntries entries stop the list there with Overflow (6), `entries`
    // keeping what fit.
    static ui::Result<void> fill(QStringList& entries, const QList<platform::DirEntry>& directories,
                                 const QList<platform::DirEntry>& files);
};

}  // namespace media
