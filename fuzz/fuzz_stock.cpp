// The label-product reader on arbitrary bytes: it must return products and
// reasons, never crash, hang or leak; every reason must be short and free of
// NULs; and every product it keeps must be sound: labels of 1 mm and more,
// paper of 2 m at most, 1 to 100 labels across and down, all on the paper
// but for the overhang allowed, numbered as they lie on it.

#include "stock/ProductReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const stock::PaperSizes papers{{QStringLiteral("A4"), ui::LengthSize::pt(QSizeF(595.28, 841.89))},
                                          {QStringLiteral("US-Letter"), ui::LengthSize::pt(QSizeF(612, 792))}};
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const stock::FileContents contents = stock::readProducts(bytes, QStringLiteral("fuzz"), papers);
    for (const stock::Rejection& r : contents.rejected)
        if (r.reason.isEmpty() || r.text().size() > 600 || r.text().contains(QChar(0)))
            std::abort();
    const ui::Length least = stock::kMinSize * 0.999, most = stock::kMaxPaper * 1.001;
    for (const stock::Product& p : contents.products) {
        const ui::LengthSize label = p.shape.size;
        if (!(label.width >= least && label.height >= least && p.paper.width >= least && p.paper.height >= least &&
              p.paper.width <= most && p.paper.height <= most))
            std::abort();
        if (p.overhang < ui::Length() || p.overhang > stock::kOverhangAllowed + ui::Length::mm(0.1))
            std::abort();
        const double past = p.overhang.toPt() + 0.01;
        const QRectF paper = QRectF(QPointF(0, 0), p.paper.toPt()).adjusted(-past, -past, past, past);
        const QList<stock::Cell> cells = stock::cells(p);
        if (cells.isEmpty() || cells.size() != p.cellCount() || cells.size() > stock::kMaxCells)
            std::abort();
        for (const stock::Layout& l : p.layouts)
            if (l.nx < 1 || l.nx > stock::kMaxAcross || l.ny < 1 || l.ny > stock::kMaxAcross || p.layouts.count(l) != 1)
                std::abort();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const stock::Cell& c = cells[i];
            if (c.number != i + 1 || !paper.contains(c.rect))
                std::abort();
            // Each row is read left to right, and no label comes before one
            // further up.
            if (i > 0 && c.rect.top() < cells[i - 1].rect.top() - stock::kRowTolerance.toPt())
                std::abort();
        }
    }
    QList<stock::Rejection> rejected;
    (void)stock::readPaperSizes(bytes, QStringLiteral("fuzz"), rejected);
    return 0;
}
