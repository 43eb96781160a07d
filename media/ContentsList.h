#pragma once

#include "platform/FileSystem.h"
#include "ui/Error.h"

#include <QStringList>
#include <optional>

namespace media {

// The contents list of a directory: "[" + upper-cased subdirectory name +
// "]" for each subdirectory, then the file names, each block in the given
// (alphabetical) order. Counts are 16-bit: more than 32767 entries stop the
// list there with Overflow (6).
struct ContentsList {
    static constexpr int kMaxEntries = 32767;

    QStringList entries;
    std::optional<ui::Error> error;  // set when building stopped early

    static ContentsList build(const QList<platform::DirEntry>& directories, const QList<platform::DirEntry>& files);
};

}  // namespace media
