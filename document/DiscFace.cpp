#include "document/DiscFace.h"

#include "document/TemplateDocument.h"
#include "ui/Fonts.h"
#include "ui/Units.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace document {

namespace {

// Text is laid out at this many pixels to the em and scaled to its points
// when painted: its advances and kerning then hold at every size and on
// every device.
constexpr int kUnitsPerEm = 1000;
constexpr double kStep = 0.5;  // points a font shrinks by at a time
const QString kEllipsis = QStringLiteral("\u2026");
// Room between a line and the ring's edges, and the narrowest line set.
constexpr double kPadMm = 0.5;
constexpr double kNarrowestMm = 4;

QFont unitFont(QFont font)
{
    font.setPixelSize(kUnitsPerEm);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

// Millimetres per layout unit for a font of `points`.
double mmPerUnit(double points) { return points / ui::kPointsPerMm / kUnitsPerEm; }

// `text` laid out on one line in `font`, with the font's design advances.
void layOutLine(QTextLayout& layout)
{
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(1e9);
    layout.endLayout();
}

double advance(const QFont& font, const QString& text)
{
    QTextLayout layout(text, font);
    layOutLine(layout);
    return layout.lineCount() > 0 ? layout.lineAt(0).naturalTextWidth() : 0;
}

// `text` cut at its end, with an ellipsis, to at most `width` units.
QString cut(const QFont& font, const QString& text, double width)
{
    if (advance(font, text) <= width)
        return text;
    for (qsizetype n = text.size() - 1; n > 0; --n) {
        // A surrogate pair stays whole.
        if (text[n].isLowSurrogate())
            continue;
        const QString shorter = text.left(n).trimmed() + kEllipsis;
        if (advance(font, shorter) <= width)
            return shorter;
    }
    return QString();
}

QPainterPath ring(double outer, double inner)
{
    QPainterPath path;
    path.addEllipse(QPointF(), outer, outer);
    if (inner > 0) {
        QPainterPath hole;
        hole.addEllipse(QPointF(), inner, inner);
        path = path.subtracted(hole);
    }
    return path;
}

}  // namespace

DiscGeometry discGeometry(const stock::Choice& choice)
{
    DiscGeometry disc;
    if (!choice.product)
        return disc;
    const stock::LabelShape& shape = choice.product->shape;
    disc.radius = shape.kind == stock::LabelShape::Cd || shape.kind == stock::LabelShape::Round
                      ? shape.radius
                      : std::min(shape.size.width, shape.size.height) / 2;
    disc.hole = shape.kind == stock::LabelShape::Cd ? shape.hole : ui::Length();
    disc.margin = shape.margin.value_or(ui::Length::mm(2));
    disc.cutLines = false;
    return disc;
}

DiscFace::DiscFace(const TemplateDocument& text, const DiscGeometry& disc)
    : kind_(text.kind()), disc_(disc), name_(text.diskName(1))
{
    const TemplateDesign& design = text.design();
    for (int i = 0; i < text.fieldCount(); ++i) {
        if (!text.content(i).trimmed().isEmpty())
            lines_.append(text.content(i));
    }
    nameFont_ = unitFont(diskNameFont());
    contentFont_ = unitFont(ui::designFont(design.contentFontName, design.contentFontSize));
    contentPoints_ = design.contentFontSize;
    layOut();
}

void DiscFace::reset()
{
    const TemplateDocument fresh(kind_);
    name_ = fresh.diskName(1);
    lines_.clear();
    for (int i = 0; i < fresh.fieldCount(); ++i)
        lines_.append(fresh.content(i));
    contentPoints_ = fresh.design().contentFontSize;
    layOut();
}

std::unique_ptr<Document> DiscFace::copy() const
{
    TemplateDocument text(kind_);
    text.setDiskName(1, name_);
    text.fill(lines_);
    return std::make_unique<DiscFace>(text, disc_);
}

ui::LengthSize DiscFace::size() const { return {2 * disc_.radius, 2 * disc_.radius}; }

QString DiscFace::fitNote() const
{
    return QStringLiteral("%1 of %2 lines fit on the disc").arg(linesShown()).arg(lines_.size());
}

void DiscFace::layOut()
{
    layOutName();
    layOutLines();
}

void DiscFace::layOutName()
{
    const double outer = (disc_.radius - disc_.margin).toMm();
    const double ascent = QFontMetricsF(nameFont_).ascent();
    const double width = advance(nameFont_, name_);
    const double limit = qDegreesToRadians(kNameArcDegrees);
    nameShown_ = name_;
    for (namePoints_ = diskNameFont().pointSizeF(); namePoints_ > kNameFloor; namePoints_ -= kStep) {
        const double k = mmPerUnit(namePoints_);
        if (width * k <= limit * (outer - ascent * k))
            return;
    }
    namePoints_ = kNameFloor;
    const double k = mmPerUnit(namePoints_);
    nameShown_ = cut(nameFont_, name_, limit * (outer - ascent * k) / k);
}

void DiscFace::layOutLines()
{
    const double outer = (disc_.radius - disc_.margin).toMm();
    const double inner = disc_.hole > ui::Length() ? (disc_.hole + disc_.margin).toMm() : 0;
    const QFontMetricsF name(nameFont_);
    const QFontMetricsF content(contentFont_);
    // What the name takes: the band below the rim, over its arc.
    const double nk = mmPerUnit(namePoints_);
    const double nameBaseline = outer - name.ascent() * nk;
    const double nameInner = nameShown_.isEmpty() ? outer : nameBaseline - name.descent() * nk - kPadMm;
    const double nameHalfArc =
        nameShown_.isEmpty() ? -1 : advance(nameFont_, nameShown_) * nk / 2 / nameBaseline + kPadMm / nameBaseline;

    struct Slot {
        double left, right, baseline;
    };
    const double designed = contentPoints_;
    QList<Slot> slots;
    for (double points = designed; points >= kContentFloor - 1e-9; points -= kStep) {
        contentPoints_ = points;
        const double k = mmPerUnit(points);
        const double ascent = content.ascent() * k, descent = content.descent() * k;
        const double pitch = std::max(content.lineSpacing() * k, ascent + descent);
        QList<Slot> slotsNow;  // as they read: row by row, each row left to right
        for (double top = -inner; top + ascent + descent <= outer; top += pitch) {
            const double bottom = top + ascent + descent;
            const double far = std::max(std::abs(top), std::abs(bottom));
            const double near = top <= 0 && bottom >= 0 ? 0 : std::min(std::abs(top), std::abs(bottom));
            double rim = outer;
            // Beside the name, the line keeps below it.
            if (top < 0 && far < outer && std::atan2(std::sqrt(outer * outer - top * top), -top) <= nameHalfArc)
                rim = nameInner;
            if (far >= rim)
                continue;
            const double reach = std::sqrt(rim * rim - far * far) - kPadMm;
            const double baseline = top + ascent;
            if (near < inner) {
                const double hole = std::sqrt(inner * inner - near * near) + kPadMm;
                if (reach - hole >= kNarrowestMm) {
                    slotsNow.append({-reach, -hole, baseline});
                    slotsNow.append({hole, reach, baseline});
                }
            } else if (2 * reach >= kNarrowestMm) {
                slotsNow.append({-reach, reach, baseline});
            }
        }
        slots = slotsNow;
        if (slots.size() >= lines_.size())
            break;
    }
    contentPoints_ = std::max(contentPoints_, kContentFloor);

    placed_.clear();
    const double k = mmPerUnit(contentPoints_);
    for (qsizetype i = 0; i < std::min(slots.size(), lines_.size()); ++i) {
        const Slot& slot = slots[i];
        const double room = (slot.right - slot.left) / k;
        const QString text = cut(contentFont_, lines_[i], room);
        const double width = advance(contentFont_, text);
        placed_.append({text, QPointF(slot.left + (room - width) / 2 * k, slot.baseline)});
    }
}

void DiscFace::paint(QPainter& painter, const QRectF& mm) const
{
    const double radius = disc_.radius.toMm();
    const double outer = (disc_.radius - disc_.margin).toMm();
    const double inner = disc_.hole > ui::Length() ? (disc_.hole + disc_.margin).toMm() : 0;
    painter.save();
    painter.translate(mm.center());
    painter.scale(mm.width() / (2 * radius), mm.height() / (2 * radius));
    painter.setRenderHint(QPainter::Antialiasing);

    if (disc_.cutLines) {
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(), radius, radius);
        if (disc_.hole > ui::Length())
            painter.drawEllipse(QPointF(), disc_.hole.toMm(), disc_.hole.toMm());
    }
    painter.setClipPath(ring(outer, inner), Qt::IntersectClip);
    painter.setPen(Qt::black);

    // The name, glyph by glyph: each one's middle on the arc at its place
    // along the line, turned to stand on the arc.
    if (!nameShown_.isEmpty()) {
        const double k = mmPerUnit(namePoints_);
        const double baseline = outer - QFontMetricsF(nameFont_).ascent() * k;
        QTextLayout layout(nameShown_, nameFont_);
        layOutLine(layout);
        const double width = layout.lineCount() > 0 ? layout.lineAt(0).naturalTextWidth() : 0;
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QRawFont font = run.rawFont();
            const QList<quint32> glyphs = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
            for (qsizetype i = 0; i < glyphs.size(); ++i) {
                const double along = (positions[i].x() + advances.value(i).x() / 2 - width / 2) * k;
                QGlyphRun one;
                one.setRawFont(font);
                one.setGlyphIndexes({glyphs[i]});
                one.setPositions({QPointF(-advances.value(i).x() / 2, 0)});
                painter.save();
                painter.rotate(qRadiansToDegrees(along / baseline));
                painter.translate(0, -baseline);
                painter.scale(k, k);
                painter.drawGlyphRun(QPointF(), one);
                painter.restore();
            }
        }
    }

    const double k = mmPerUnit(contentPoints_);
    painter.setFont(contentFont_);
    for (const Placed& line : placed_) {
        painter.save();
        painter.translate(line.origin);
        painter.scale(k, k);
        painter.drawText(QPointF(), line.text);
        painter.restore();
    }
    painter.restore();
}

std::unique_ptr<DiscFace> discFaceFor(const Document& document, const stock::Choice& choice)
{
    if (!choice.discFace || !labelKind(document.kind()).discFace)
        return nullptr;
    const auto* text = dynamic_cast<const TemplateDocument*>(&document);
    if (!text)
        return nullptr;
    return std::make_unique<DiscFace>(*text, discGeometry(choice));
}

}  // namespace document
