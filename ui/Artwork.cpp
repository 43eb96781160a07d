#include "ui/Artwork.h"

#include <QImageReader>

namespace ui {

namespace {

// A built-in PNG picture, at `pixels` when given.
QImage readPng(const QString& resource, QSize pixels = {})
{
    QImageReader reader(resource, "png");
    reader.setAutoDetectImageFormat(false);
    if (pixels.isValid() && reader.size() != pixels)
        reader.setScaledSize(pixels);
    return reader.read();
}

}  // namespace

QIcon programIcon()
{
    QIcon icon;
    for (const QString& resource : {QStringLiteral(":/images/tessera.png"), QStringLiteral(":/images/tessera-64.png")})
        icon.addPixmap(QPixmap::fromImage(readPng(resource)));
    return icon;
}

QPixmap titlePicture(QSize size, qreal ratio)
{
    const QString resource = ratio > 1 ? QStringLiteral(":/images/title@2x.png") : QStringLiteral(":/images/title.png");
    QPixmap picture = QPixmap::fromImage(readPng(resource, (QSizeF(size) * ratio).toSize()));
    picture.setDevicePixelRatio(ratio);
    return picture;
}

}  // namespace ui
