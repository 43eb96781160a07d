#pragma once

#include <QHash>
#include <QImage>
#include <QString>

namespace platform {

// Loads BMP, JPEG and GIF pictures (whatever Qt's image plugins read).
// Raises Error 53 for a missing file, 70 and 75 for one that cannot be read
// or is no regular file (a named pipe, a device), and 481 for anything that
// is not a picture, including one too large to decode safely.
class Pictures {
public:
    virtual ~Pictures() = default;
    virtual QImage load(const QString& path) = 0;
};

class FilePictures final : public Pictures {
public:
    // Largest picture decoded, in megabytes of pixels.
    static constexpr int kAllocationLimitMb = 256;
    QImage load(const QString& path) override;
};

}  // namespace platform
