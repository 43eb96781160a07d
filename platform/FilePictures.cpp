#include "platform/Pictures.h"

#include "platform/GifStream.h"
#include "platform/UserFile.h"
#include "ui/Error.h"

#include <QFile>
#include <QImageReader>
#include <QLoggingCategory>

#include <mutex>

namespace platform {

namespace {

// Warnings the image plugins give while decoding (libjpeg's "Premature end
// of JPEG file" among them) mean a damaged picture, drawn only in part.
// The handler is process-wide; each thread collects only its own decoding's
// warnings, and everything else goes on to the handler that was there before.
thread_local QStringList* decodeWarnings = nullptr;
std::mutex handlerMutex;
int handlerUsers = 0;
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

// Collects this thread's decoding warnings while it lives; the earlier
// handler is back when the last collector ends, on every path out.
class WarningCollector {
public:
    explicit WarningCollector(QStringList& warnings)
    {
        decodeWarnings = &warnings;
        const std::lock_guard lock(handlerMutex);
        if (handlerUsers++ == 0)
            previousHandler = qInstallMessageHandler(collectWarnings);
    }
    ~WarningCollector()
    {
        decodeWarnings = nullptr;
        const std::lock_guard lock(handlerMutex);
        if (--handlerUsers == 0)
            qInstallMessageHandler(previousHandler);
    }
    WarningCollector(const WarningCollector&) = delete;
    WarningCollector& operator=(const WarningCollector&) = delete;
};

// A file cut short: the size its BMP header states, or a GIF's blocks.
bool cutShort(QFile& file, const QByteArray& format)
{
    if (format == "bmp") {
        const QByteArray header = file.seek(0) ? file.read(6) : QByteArray();
        if (header.size() < 6)
            return true;
        const quint32 stated = quint32(uchar(header[2])) | quint32(uchar(header[3])) << 8 |
                               quint32(uchar(header[4])) << 16 | quint32(uchar(header[5])) << 24;
        return stated != 0 && qint64(stated) > file.size();
    }
    if (format == "gif") {
        // Mapped, the file is walked without a copy of it.
        const qint64 size = file.size();
        if (uchar* mapped = size > 0 ? file.map(0, size) : nullptr) {
            const bool whole = gifReachesTrailer(QByteArrayView(reinterpret_cast<const char*>(mapped), size));
            file.unmap(mapped);
            return !whole;
        }
        return !file.seek(0) || !gifReachesTrailer(file.readAll());
    }
    return false;
}

}  // namespace

QImage FilePictures::load(const QString& path)
{
    // Raises 53 for a missing file or a folder, and refuses a named pipe or
    // a device before anything waits on it; what it checked is read.
    UserFile source(path);
    QFile file;
    if (!file.open(source.descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        throw ui::Error::of(ui::Error::PathFileAccess, ui::standardDescription(ui::Error::PathFileAccess) +
                                                           QStringLiteral(" (%1)").arg(file.errorString()));
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    QImageReader reader(&file);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format();
    if (format.isEmpty())
        throw ui::Error::of(ui::Error::InvalidPicture,
                            QStringLiteral("Invalid picture (not a BMP, JPEG or GIF picture)"));
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > qint64(kAllocationLimitMb) * 1024 * 1024)
        throw ui::Error::of(ui::Error::InvalidPicture,
                            QStringLiteral("Invalid picture (%1 x %2 pixels is too large to load)")
                                .arg(size.width())
                                .arg(size.height()));
    QStringList warnings;
    QImage image;
    {
        const WarningCollector collector(warnings);
        image = reader.read();
    }
    if (image.isNull())
        throw ui::Error::of(ui::Error::InvalidPicture,
                            QStringLiteral("Invalid picture (%1)").arg(reader.errorString().toLower()));
    if (!warnings.isEmpty() || cutShort(file, format))
        throw ui::Error::of(ui::Error::InvalidPicture,
                            QStringLiteral("Invalid picture (the file is damaged or cut short)"));
    return image;
}

}  // namespace platform
