#pragma once

#include "document/TextLine.h"

#include <QFont>
#include <QImage>
#include <QObject>
#include <QRectF>
#include <QSize>
#include <array>
#include <mutex>

namespace document {

// The custom card, free of widgets: its outer size in twips, background
// colour and picture, and its ten text lines. The preview draws it, the
// control panel edits it and the label file stores it.
//
// Stored values are kept exactly as set; only pixel geometry is derived.
// A line's box is fitted to its caption whenever the caption or the font
// really changes; setting Height or Width overrides that until the next
// such change.
class Card final : public QObject {
    Q_OBJECT
public:
    // The designed client area, 3885 x 2535 twips.
    static constexpr float kDesignHeight = 2535 + kFrameHeightTwips;
    static constexpr float kDesignWidth = 3885 + kFrameWidthTwips;

    Card();

    float Height() const { return height_; }
    float Width() const { return width_; }
    // Sizes beyond the bounds a window can have are taken as the bound.
    void setHeight(float twips);
    void setWidth(float twips);
    // The client size the outer size gives, in whole pixels, within
    // 0..kMaxClientPixels.
    QSize clientSize() const;
    // Takes a client size the user dragged the window to (up to
    // kMaxClientPixels); the outer size changes only when it no longer gives
    // that client size.
    void followClientSize(const QSize& pixels);

    quint32 BackColor() const { return backColor_; }
    void setBackColor(quint32 value);

    // The picture, in a format that draws without conversion.
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);

    const TextLine& line(int index) const;
    void setTop(int index, float mm);
    void setLeft(int index, float mm);
    void setCaption(int index, const QString& text);
    void setFontName(int index, const QString& name);
    void setFontSize(int index, float points);
    void setFontBold(int index, bool on);
    void setFontItalic(int index, bool on);
    void setFontStrikethru(int index, bool on);
    void setFontUnderline(int index, bool on);
    void setForeColor(int index, quint32 value);
    void setLineHeight(int index, float mm);
    void setLineWidth(int index, float mm);
    void setVisible(int index, bool on);
    // Sets all thirteen fields in their stored order, so the box size, set
    // after the caption and font, is the one given.
    void assignLine(int index, const TextLine& line);

    // Back to the card as designed: its size, the button-face colour, no
    // picture, and every line as designed (shown, at the corner).
    void reset();

    // The font a line is drawn with (the look-alike of its font name).
    QFont font(int index) const;
    // A line's box in pixels of the card.
    QRectF boxPx(int index) const;
    // The topmost visible line whose box holds a point (pixels), leaving
    // out line `except`, or -1. Lines with a higher index lie on top.
    int lineAt(const QPointF& px, int except = -1) const;

    // The box size that fits a caption in a font, in millimetres.
    static QSizeF fittedSize(const QString& caption, const QFont& font);
    // Caption lines: a caption breaks at CR LF, CR or LF.
    static QStringList captionLines(const QString& caption);

Q_SIGNALS:
    // A line's look or box changed; `before` is its box before, in pixels.
    void lineChanged(int index, const QRectF& before);
    void sizeChanged();
    void backgroundChanged();

private:
    template <typename T>
    void setField(int index, T TextLine::*field, T value, bool fit);
    static void fit(TextLine& line);
    static QFont fontOf(const TextLine& line);
    // Line `index` as designed: "Line 1 Text" and so on, fitted or not.
    static TextLine designLine(int index, bool fitted = true);
    // A new card's lines are fitted when first used, not when it is made:
    // measuring text loads a font, which the main menu, made with the card,
    // would otherwise wait for before its first paint.
    void fitNewLines() const;

    float height_ = kDesignHeight;
    float width_ = kDesignWidth;
    quint32 backColor_;
    QImage picture_;
    mutable std::array<TextLine, kLineCount> lines_;
    mutable std::once_flag newLinesFitted_;
};

}  // namespace document
