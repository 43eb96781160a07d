#include "ui/Pictures.h"

#include "ui/Error.h"

#include <QFileInfo>
#include <QImageReader>

namespace ui {

QImage FilePictures::load(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        throw Error::of(Error::FileNotFound);
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > qint64(kAllocationLimitMb) * 1024 * 1024)
        throw Error::of(Error::InvalidPicture);
    QImage image = reader.read();
    if (image.isNull())
        throw Error::of(Error::InvalidPicture);
    return image;
}

}  // namespace ui
