#pragma once

#include "ui/Result.h"

#include <QByteArray>
#include <QString>

namespace platform {

// Writes `bytes` to `path` so that a failure never costs the file it was
// replacing: into a new file beside it, written, flushed and synced through
// its descriptor, then renamed over the old one. When the folder takes no new
// file but the file itself is writable, it is written in place, the part
// beyond the old length first. A folder, a named pipe or a device is never
// written. Otherwise says why it failed, in the system's words.
ui::Result<void, QString> replaceFile(const QString& path, const QByteArray& bytes);

}  // namespace platform
