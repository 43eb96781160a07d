#pragma once

#include <QByteArrayView>

namespace platform {

// Whether a GIF stream reaches its trailer: its blocks are walked by their
// stated lengths, so bytes after the trailer (common in older files) do not
// count against it, and a stream that ends before it is cut short. Pure
// code over the file's bytes: whatever they hold, it answers.
bool gifReachesTrailer(QByteArrayView bytes);

}  // namespace platform
