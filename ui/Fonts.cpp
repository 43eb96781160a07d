#include "ui/Fonts.h"

namespace ui {

void installFontSubstitutes()
{
    QFont::insertSubstitution(fontname::SansSerif, QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(fontname::Serif, QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(fontname::Condensed, QStringLiteral("Liberation Sans Narrow"));
}

QFont designFont(const QString& family, double points, bool bold, bool italic, bool underline,
                 bool strikeOut)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    return font;
}

QFont defaultFont() { return designFont(fontname::SansSerif, 8); }

}  // namespace ui
