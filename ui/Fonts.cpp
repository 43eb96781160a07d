#include "ui/Fonts.h"

#include <QList>
#include <QPair>

namespace ui {

void installFontSubstitutes()
{
    const QList<QPair<QString, QString>> pairs = {
        {fontname::SansSerif, QStringLiteral("Liberation Sans")},
        {fontname::Serif, QStringLiteral("Liberation Serif")},
        {fontname::Condensed, QStringLiteral("Liberation Sans Narrow")},
    };
    // Also finds the look-alike for fonts named elsewhere (a font dialog, a label file).
    for (const auto& [design, installed] : pairs)
        QFont::insertSubstitution(design, installed);
}

QString installedFamily(const QString& family) { return QFont::substitute(family); }

QFont designFont(const QString& family, double points, bool bold, bool italic, bool underline, bool strikeOut)
{
    // Naming the look-alike directly spares the font matcher a failed
    // search for the design name on every font.
    QFont font(installedFamily(family));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    return font;
}

QFont defaultFont() { return designFont(fontname::SansSerif, 8); }

}  // namespace ui
