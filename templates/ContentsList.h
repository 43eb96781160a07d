#pragma once

#include "ui/Error.h"
#include "ui/FileSystem.h"

#include <QStringList>
#include <optional>

namespace templates {

// The contents list of a directory: "[" + upper-cased subdirectory name +
// "]" for each subdirectory, then the file names, each block in the given
// (alphabetical) order. Counts are 16-bit: more than 32767 entries stop the
// list there with Overflow (6).
struct ContentsList {
    static constexpr int kMaxEntries = 32767;

    QStringList entries;
    std::optional<ui::Error> error;  // set when building stopped early

    static ContentsList build(const QList<ui::DirEntry>& directories, const QList<ui::DirEntry>& files);
};

}  // namespace templates
