#include "ui/SystemColors.h"

#include <array>

namespace ui {

namespace {
// The classic standard scheme, indexed by system colour number (RGB).
constexpr std::array<quint32, kSystemColorCount> kScheme = {
    0xC0C0C0,  //  0 scroll bar
    0x008080,  //  1 desktop
    0x000080,  //  2 active caption
    0x808080,  //  3 inactive caption
    0xC0C0C0,  //  4 menu
    0xFFFFFF,  //  5 window
    0x000000,  //  6 window frame
    0x000000,  //  7 menu text
    0x000000,  //  8 window text
    0xFFFFFF,  //  9 caption text
    0xC0C0C0,  // 10 active border
    0xC0C0C0,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x000080,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xC0C0C0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xC0C0C0,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x000000,  // 21 3D dark shadow
    0xC0C0C0,  // 22 3D light
    0x000000,  // 23 tooltip text
    0xFFFFE1,  // 24 tooltip background
};
}  // namespace

std::optional<QColor> resolveColor(quint32 value)
{
    if (!isColorValue(value))
        return std::nullopt;
    if ((value & 0xFF000000u) == 0x80000000u)
        return QColor::fromRgb(QRgb(kScheme[value & 0xFFu]));
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QColor color(quint32 value) { return resolveColor(value).value_or(QColor(Qt::black)); }

}  // namespace ui
