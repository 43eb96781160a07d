#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

// Looks at a printed PDF the way a user holds it: pages, text, and where
// the ink lies on the paper, through poppler's command-line tools.
namespace pdfprobe {

constexpr int kDpi = 400;

int pageCount(const QString& pdf);
QString text(const QString& pdf);
// The words of a page (from 1), each with its box in points from the page's
// top-left corner, in reading order.
struct Word {
    QString text;
    QRectF box;
};
QList<Word> words(const QString& pdf, int page = 1);
// A page (from 1) as a grey image at kDpi.
QImage page(const QString& pdf, int number);
inline QImage firstPage(const QString& pdf) { return page(pdf, 1); }
// The bounding box of pixels darker than `threshold`, in millimetres from
// the page's top-left corner.
QRectF inkBoxMm(const QImage& page, int threshold = 96);
// The same within `areaMm` of the page only.
QRectF inkBoxMm(const QImage& page, const QRectF& areaMm, int threshold = 96);
// A PDF document made in memory (a scripted printer's job), as a file the
// tools can read; it lasts as long as the test program.
QString saved(const QByteArray& pdf);
// Waits (at most `seconds`) until `path` exists with a complete PDF in it.
bool waitForFile(const QString& path, int seconds);
// The expected outer size of a template's outline with its 2-pixel pen, in mm.
QSizeF outlineSizeMm(const QList<QLine>& outlineTwips, int penPx);

}  // namespace pdfprobe
