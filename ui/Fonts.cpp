#include "ui/Fonts.h"

#include <QHash>

namespace ui {

namespace {
// Design font name to the installed look-alike, fixed at start-up.
QHash<QString, QString>& lookAlikes()
{
    static QHash<QString, QString> map;
    return map;
}
}  // namespace

void installFontSubstitutes()
{
    const QList<QPair<QString, QString>> pairs = {
        {fontname::SansSerif, QStringLiteral("Liberation Sans")},
        {fontname::Serif, QStringLiteral("Liberation Serif")},
        {fontname::Condensed, QStringLiteral("Liberation Sans Narrow")},
    };
    for (const auto& [design, installed] : pairs) {
        // For fonts made by name elsewhere (a font dialog, a label file).
        QFont::insertSubstitution(design, installed);
        lookAlikes().insert(design, installed);
    }
}

QString installedFamily(const QString& family) { return lookAlikes().value(family, family); }

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
