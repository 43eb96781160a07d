#pragma once

#include "ui/Units.h"

#include <QString>
#include <QtGlobal>

namespace document {

// One text line of the custom card: the thirteen fields a label file stores,
// in the file's order. Positions and sizes are millimetres from the card's
// top-left corner; the font size is in points.
struct TextLine {
    float Top = 0;
    float Left = 0;
    QString Caption;
    QString FontName;
    float FontSize = 8;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontStrikethru = false;
    bool FontUnderline = false;
    quint32 ForeColor = 0;
    float Height = 0;
    float Width = 0;
    bool Visible = true;

    friend bool operator==(const TextLine&, const TextLine&) = default;
};

constexpr int kLineCount = 10;
// The most lines "Add Text" reveals: every line a card has.
constexpr int kLineLimit = kLineCount;

// The longest caption a line holds, in characters, a line break (CR LF)
// counting two. A caption is laid out whole in the panel's text box, which
// takes time growing with the square of its length when it has no blank to
// wrap at; at this length selecting, drawing and fitting a line stays well
// under a frame (bench_caption).
constexpr int kMaxCaptionLength = 2000;
// The longest font name and background picture path a label file holds.
constexpr int kMaxFontNameLength = 255;
constexpr int kMaxPicturePathLength = 4096;

// The card's outer size is its client size plus this frame allowance, in
// twips, whatever frame the window manager draws; so label files hold the
// same numbers on every desktop.
constexpr int kFrameWidthTwips = 120;
constexpr int kFrameHeightTwips = 405;
// The largest client area, in pixels, that a card window can have.
constexpr int kMaxClientPixels = 32767;
// The card's outer size, in twips, lies within these bounds: a client area
// of 0 to kMaxClientPixels. They are whole numbers of at most seven digits,
// so a size within them stays within them when saved to seven digits.
constexpr int kMinCardHeight = kFrameHeightTwips;
constexpr int kMaxCardHeight = kFrameHeightTwips + kMaxClientPixels * ui::kTwipsPerPixel;  // 491910
constexpr int kMinCardWidth = kFrameWidthTwips;
constexpr int kMaxCardWidth = kFrameWidthTwips + kMaxClientPixels * ui::kTwipsPerPixel;  // 491625

}  // namespace document
