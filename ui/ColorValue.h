#pragma once

#include <QtGlobal>

// Colour values, free of any toolkit colour: 0x00BBGGRR, or 0x800000nn for
// system colour nn.
namespace ui {

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

// The system colours there are, 0 to 24: the classic standard scheme.
constexpr int kSystemColorCount = 25;

// The 0x00BBGGRR value of an RGB colour.
constexpr quint32 rgb(int r, int g, int b)
{
    return quint32(r & 0xFF) | (quint32(g & 0xFF) << 8) | (quint32(b & 0xFF) << 16);
}

// Whether a value names a colour: an RGB colour or a system colour there is.
constexpr bool isColorValue(quint32 value)
{
    if ((value & 0xFF000000u) == 0x80000000u)
        return (value & 0x00FFFFFFu) < quint32(kSystemColorCount);
    return (value & 0xFF000000u) == 0;
}

}  // namespace ui
