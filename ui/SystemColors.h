#pragma once

#include <QColor>
#include <QtGlobal>
#include <optional>

namespace ui {

// Colour values are 0x00BBGGRR, or 0x800000nn for system colour nn.
namespace syscolor {
constexpr quint32 Window = 0x80000005;
constexpr quint32 WindowText = 0x80000008;
constexpr quint32 CaptionText = 0x80000009;
constexpr quint32 ActiveBorder = 0x8000000A;
constexpr quint32 ButtonFace = 0x8000000F;
constexpr quint32 ButtonShadow = 0x80000010;
constexpr quint32 ButtonText = 0x80000012;
constexpr quint32 ButtonHighlight = 0x80000014;
}  // namespace syscolor

// Resolves a colour value; system colours come from one fixed table, the
// classic standard scheme, so labels look the same on every desktop theme.
// Returns nothing for a value that names no colour.
std::optional<QColor> resolveColor(quint32 value);

// Like resolveColor, for values the program itself chose; black if invalid.
QColor color(quint32 value);

// The 0x00BBGGRR value of an RGB colour.
constexpr quint32 rgb(int r, int g, int b)
{
    return quint32(r & 0xFF) | (quint32(g & 0xFF) << 8) | (quint32(b & 0xFF) << 16);
}

}  // namespace ui
