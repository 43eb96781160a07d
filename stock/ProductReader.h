#pragma once

#include "stock/Product.h"

#include <QByteArray>
#include <QHash>
#include <optional>

// The reader of the label-product database's XML files. It is pure: bytes
// in, products and the reasons for what was left out back. A file whose
// DOCTYPE declares entities is not read (the database declares none, and
// their expansion costs time and memory without end); no external entity is
// ever resolved; no attribute or text is taken longer than kMaxText; and a
// reason quotes at most kMaxQuoted characters of what the file holds.
namespace stock {

// A file larger than this is not read.
constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;
// Characters in one attribute or one text.
constexpr qsizetype kMaxText = 4096;
constexpr qsizetype kMaxQuoted = 80;
// Labels may reach past the paper's edge by up to 3 mm (some products in the
// database do, by their makers' rounding or a margin the paper does not
// have); printing cuts them at the edge.
constexpr Length kOverhangAllowed = Length::mm(3);
// Labels may lie on one another by up to 1 mm (the rounding of the makers'
// figures), and never by more than a tenth of their size.
constexpr Length kOverlapAllowed = Length::mm(1);
// The smallest label and paper, and the largest paper.
constexpr Length kMinSize = Length::mm(1);
constexpr Length kMaxPaper = Length::mm(2000);
constexpr int kMaxAcross = 100;   // labels in a layout's row or column
constexpr int kMaxCells = 10000;  // labels on a sheet

// A length: a number and one of the units "pt", "in", "mm", "cm", "pc", or
// none for points; blanks around either are allowed, and a unit without a
// number is 0. Nothing for anything else, including lengths beyond 35 metres.
std::optional<Length> parseLength(QStringView text);

// At most kMaxQuoted characters of `text`, for a reason: control characters
// are written as escapes (a NUL as "\0"), and "..." marks what is cut.
QString excerpt(QStringView text);

// Something left out, and why. A product has its brand and part; a whole
// file, or the rest of one, has neither.
struct Rejection {
    QString file;
    qint64 line = 0;
    QString brand;
    QString part;
    QString reason;

    // "file:line: Brand Part: reason"
    QString text() const;
};

// A product sold under another part number of the same brand.
struct Alias {
    QString brand;
    QString part;
    QString sameAs;
    QString file;
    qint64 line = 0;
};

struct FileContents {
    QList<Product> products;
    QList<Alias> aliases;
    QList<Rejection> rejected;
};

// Paper size ids ("A4", "US-Letter") and their sizes.
using PaperSizes = QHash<QString, LengthSize>;

// A product file: a list of products ("Glabels-templates") or a single
// "Template". Element names are matched without their namespace. A product
// that is not sound is left out with its reason; a layout given twice is
// one. XML that is not well-formed, a NUL and bytes that are not UTF-8 text
// end the file there, keeping the products before them.
FileContents readProducts(const QByteArray& xml, const QString& file, const PaperSizes& papers);

// The paper sizes file. Sizes that are not sound are left out with a reason.
PaperSizes readPaperSizes(const QByteArray& xml, const QString& file, QList<Rejection>& rejected);

}  // namespace stock
