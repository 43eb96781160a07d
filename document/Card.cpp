#include "document/Card.h"

#include "ui/Fonts.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QFontMetricsF>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace document {

namespace {
int clientPixels(float outerTwips, int frameTwips)
{
    const double client = std::round((double(outerTwips) - frameTwips) / ui::kTwipsPerPixel);
    return int(std::clamp(client, 0.0, double(kMaxClientPixels)));
}

// An outer size within the bounds a label file takes.
float bounded(float twips, int least, int most) { return twips >= least ? std::min(twips, float(most)) : float(least); }
}  // namespace

Card::Card() : backColor_(ui::syscolor::ButtonFace)
{
    for (int i = 0; i < kLineCount; ++i)
        lines_[size_t(i)] = designLine(i, false);
}

TextLine Card::designLine(int index, bool fitted)
{
    TextLine line;
    line.Caption = QStringLiteral("Line %1 Text").arg(index + 1);
    line.FontName = ui::fontname::SansSerif;
    line.FontSize = 8;
    if (fitted)
        fit(line);
    return line;
}

void Card::fitNewLines() const
{
    std::call_once(newLinesFitted_, [this] {
        for (TextLine& line : lines_)
            fit(line);
    });
}

const TextLine& Card::line(int index) const
{
    fitNewLines();
    return lines_.at(size_t(index));
}

void Card::reset()
{
    setHeight(kDesignHeight);
    setWidth(kDesignWidth);
    setBackColor(ui::syscolor::ButtonFace);
    setPicture(QImage());
    for (int i = 0; i < kLineCount; ++i)
        assignLine(i, designLine(i));
}

QSize Card::clientSize() const
{
    return QSize(clientPixels(width_, kFrameWidthTwips), clientPixels(height_, kFrameHeightTwips));
}

void Card::setHeight(float twips)
{
    height_ = bounded(twips, kMinCardHeight, kMaxCardHeight);
    Q_EMIT sizeChanged();
}

void Card::setWidth(float twips)
{
    width_ = bounded(twips, kMinCardWidth, kMaxCardWidth);
    Q_EMIT sizeChanged();
}

void Card::followClientSize(const QSize& size)
{
    const QSize pixels = size.boundedTo(QSize(kMaxClientPixels, kMaxClientPixels)).expandedTo(QSize(0, 0));
    const QSize now = clientSize();
    if (pixels == now)
        return;
    if (pixels.width() != now.width())
        width_ = float(pixels.width() * ui::kTwipsPerPixel + kFrameWidthTwips);
    if (pixels.height() != now.height())
        height_ = float(pixels.height() * ui::kTwipsPerPixel + kFrameHeightTwips);
    Q_EMIT sizeChanged();
}

void Card::setBackColor(quint32 value)
{
    if (backColor_ == value)
        return;
    backColor_ = value;
    Q_EMIT backgroundChanged();
}

void Card::setPicture(const QImage& picture)
{
    picture_ = picture.isNull()
                   ? QImage()
                   : picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                       : QImage::Format_RGB32);
    Q_EMIT backgroundChanged();
}

QStringList Card::captionLines(const QString& caption)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return caption.split(lineBreak);
}

QSizeF Card::fittedSize(const QString& caption, const QFont& font)
{
    const QFontMetricsF metrics(font);
    double width = 0;
    const QStringList lines = captionLines(caption);
    for (const QString& text : lines)
        width = std::max(width, metrics.horizontalAdvance(text));
    const double height = metrics.lineSpacing() * lines.size();
    return QSizeF(ui::pxToMm(std::ceil(width)), ui::pxToMm(std::ceil(height)));
}

QFont Card::fontOf(const TextLine& l)
{
    return ui::designFont(l.FontName, l.FontSize, l.FontBold, l.FontItalic, l.FontUnderline, l.FontStrikethru);
}

QFont Card::font(int index) const { return fontOf(line(index)); }

void Card::fit(TextLine& line)
{
    const QSizeF size = fittedSize(line.Caption, fontOf(line));
    line.Height = float(size.height());
    line.Width = float(size.width());
}

QRectF Card::boxPx(int index) const
{
    const TextLine& l = line(index);
    return QRectF(ui::mmToPx(l.Left), ui::mmToPx(l.Top), ui::mmToPx(l.Width), ui::mmToPx(l.Height));
}

int Card::lineAt(const QPointF& px, int except) const
{
    for (int i = kLineCount - 1; i >= 0; --i) {
        if (i == except)
            continue;
        // Edges included, with half a pixel to spare: a line dragged to the
        // pointer has its corner exactly there, give or take rounding.
        const QRectF box = boxPx(i).adjusted(-0.5, -0.5, 0.5, 0.5);
        if (line(i).Visible && px.x() >= box.left() && px.x() <= box.right() && px.y() >= box.top() &&
            px.y() <= box.bottom())
            return i;
    }
    return -1;
}

template <typename T>
void Card::setField(int index, T TextLine::*field, T value, bool refit)
{
    if (index < 0 || index >= kLineCount)
        return;
    fitNewLines();
    TextLine& l = lines_[size_t(index)];
    if (l.*field == value)
        return;
    const QRectF before = boxPx(index);
    l.*field = std::move(value);
    if (refit)
        fit(l);
    Q_EMIT lineChanged(index, before);
}

void Card::setTop(int index, float mm) { setField(index, &TextLine::Top, mm, false); }
void Card::setLeft(int index, float mm) { setField(index, &TextLine::Left, mm, false); }
void Card::setCaption(int index, const QString& text) { setField(index, &TextLine::Caption, text, true); }
void Card::setFontName(int index, const QString& name) { setField(index, &TextLine::FontName, name, true); }
void Card::setFontSize(int index, float points) { setField(index, &TextLine::FontSize, points, true); }
void Card::setFontBold(int index, bool on) { setField(index, &TextLine::FontBold, on, true); }
void Card::setFontItalic(int index, bool on) { setField(index, &TextLine::FontItalic, on, true); }
void Card::setFontStrikethru(int index, bool on) { setField(index, &TextLine::FontStrikethru, on, true); }
void Card::setFontUnderline(int index, bool on) { setField(index, &TextLine::FontUnderline, on, true); }
void Card::setForeColor(int index, quint32 value) { setField(index, &TextLine::ForeColor, value, false); }
void Card::setLineHeight(int index, float mm) { setField(index, &TextLine::Height, mm, false); }
void Card::setLineWidth(int index, float mm) { setField(index, &TextLine::Width, mm, false); }
void Card::setVisible(int index, bool on) { setField(index, &TextLine::Visible, on, false); }

void Card::assignLine(int index, const TextLine& l)
{
    setTop(index, l.Top);
    setLeft(index, l.Left);
    setCaption(index, l.Caption);
    setFontName(index, l.FontName);
    setFontSize(index, l.FontSize);
    setFontBold(index, l.FontBold);
    setFontItalic(index, l.FontItalic);
    setFontStrikethru(index, l.FontStrikethru);
    setFontUnderline(index, l.FontUnderline);
    setForeColor(index, l.ForeColor);
    setLineHeight(index, l.Height);
    setLineWidth(index, l.Width);
    setVisible(index, l.Visible);
}

}  // namespace document
