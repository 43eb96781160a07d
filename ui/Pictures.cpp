#include "ui/Pictures.h"

#include "ui/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>

namespace ui {

namespace {

// Warnings the image plugins give while decoding (libjpeg's "Premature end
// of JPEG file" among them) mean a damaged picture, drawn only in part.
QStringList* decodeWarnings = nullptr;
QtMessageHandler previousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (decodeWarnings && type == QtWarningMsg && context.category &&
        QByteArray(context.category).startsWith("qt.gui.imageio")) {
        decodeWarnings->append(message);
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

// A file cut short: the size its BMP header states, or a GIF's trailer byte.
bool cutShort(const QString& path, const QByteArray& format)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (format == "bmp") {
        const QByteArray header = file.read(6);
        if (header.size() < 6)
            return true;
        const quint32 stated = quint32(uchar(header[2])) | quint32(uchar(header[3])) << 8 |
                               quint32(uchar(header[4])) << 16 | quint32(uchar(header[5])) << 24;
        return stated != 0 && qint64(stated) > size;
    }
    if (format == "gif") {
        if (!file.seek(size - 1))
            return true;
        return file.read(1) != QByteArray(1, 0x3B);
    }
    return false;
}

}  // namespace

QImage FilePictures::load(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        throw Error::of(Error::FileNotFound, QStringLiteral("File not found"));
    if (info.isDir())
        throw Error::of(Error::FileNotFound, QStringLiteral("File not found (it is a folder)"));
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format();
    if (format.isEmpty())
        throw Error::of(Error::InvalidPicture, QStringLiteral("Invalid picture (not a BMP, JPEG or GIF picture)"));
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > qint64(kAllocationLimitMb) * 1024 * 1024)
        throw Error::of(Error::InvalidPicture, QStringLiteral("Invalid picture (%1 x %2 pixels is too large to load)")
                                                   .arg(size.width())
                                                   .arg(size.height()));
    QStringList warnings;
    decodeWarnings = &warnings;
    previousHandler = qInstallMessageHandler(collectWarnings);
    QImage image = reader.read();
    qInstallMessageHandler(previousHandler);
    decodeWarnings = nullptr;
    if (image.isNull())
        throw Error::of(Error::InvalidPicture,
                        QStringLiteral("Invalid picture (%1)").arg(reader.errorString().toLower()));
    if (!warnings.isEmpty() || cutShort(path, format))
        throw Error::of(Error::InvalidPicture, QStringLiteral("Invalid picture (the file is damaged or cut short)"));
    return image;
}

}  // namespace ui
