#include "support/PdfProbe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QLine>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

namespace pdfprobe {

namespace {
QByteArray run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000))
        return {};
    return process.readAllStandardOutput();
}
}  // namespace

QString saved(const QByteArray& pdf)
{
    static QTemporaryDir folder;
    static int count = 0;
    const QString path = folder.filePath(QStringLiteral("job-%1.pdf").arg(++count));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(pdf);
    return path;
}

int pageCount(const QString& pdf)
{
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf}));
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString text(const QString& pdf)
{
    return QString::fromUtf8(run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}));
}

QList<Word> words(const QString& pdf, int number)
{
    const QString page = QString::fromUtf8(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(number),
                                          QStringLiteral("-l"), QString::number(number), pdf, QStringLiteral("-")}));
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    QList<Word> out;
    for (auto it = word.globalMatch(page); it.hasNext();) {
        const auto m = it.next();
        const QPointF from(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF to(m.captured(3).toDouble(), m.captured(4).toDouble());
        out.append({m.captured(5), QRectF(from, to)});
    }
    return out;
}

QImage page(const QString& pdf, int number)
{
    const QString n = QString::number(number);
    QTemporaryDir dir;
    const QString stem = dir.path() + QStringLiteral("/page");
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"), QStringLiteral("-singlefile"),
         QStringLiteral("-f"), n, QStringLiteral("-l"), n, pdf, stem});
    QImageReader::setAllocationLimit(1024);
    return QImageReader(stem + QStringLiteral(".pgm")).read();
}

QRectF inkBoxMm(const QImage& page, int threshold)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (line[x] < threshold) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    const double mm = 25.4 / kDpi;
    return QRectF(left * mm, top * mm, (right - left + 1) * mm, (bottom - top + 1) * mm);
}

QRectF inkBoxMm(const QImage& page, const QRectF& areaMm, int threshold)
{
    const double px = kDpi / 25.4;
    const QRect area = QRect(QPoint(qRound(areaMm.left() * px), qRound(areaMm.top() * px)),
                             QPoint(qRound(areaMm.right() * px) - 1, qRound(areaMm.bottom() * px) - 1))
                           .intersected(page.rect());
    const QRectF box = inkBoxMm(page.copy(area), threshold);
    return box.isNull() ? box : box.translated(area.left() / px, area.top() / px);
}

bool waitForFile(const QString& path, int seconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < seconds * 1000) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.size() > 0) {
            const QByteArray all = file.readAll();
            if (all.startsWith("%PDF") && all.contains("%%EOF"))
                return true;
        }
        QThread::msleep(50);
    }
    return false;
}

QSizeF outlineSizeMm(const QList<QLine>& lines, int penPx)
{
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    for (const QLine& l : lines) {
        x0 = std::min({x0, l.x1(), l.x2()});
        x1 = std::max({x1, l.x1(), l.x2()});
        y0 = std::min({y0, l.y1(), l.y2()});
        y1 = std::max({y1, l.y1(), l.y2()});
    }
    const int pen = penPx * 15;
    const double mm = 25.4 / 1440;
    return QSizeF((x1 - x0 + pen) * mm, (y1 - y0 + pen) * mm);
}

}  // namespace pdfprobe
