#include "ui/Fonts.h"

#include <QFontMetricsF>
#include <QList>
#include <QPair>

#include <optional>

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

QString missingCharacters(const QFont& font, const QString& text)
{
    QString missing;
    std::optional<QFontMetricsF> metrics;
    for (const char32_t c : text.toUcs4()) {
        // Every design font and its look-alike has the ASCII characters.
        if (c < 0x80)
            continue;
        switch (QChar::category(c)) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
        case QChar::Separator_Space:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
        case QChar::Other_Control:
        case QChar::Other_Format: continue;
        default: break;
        }
        if (!metrics)
            metrics.emplace(font);
        // With the fonts Qt falls back to, as painting uses them.
        if (!metrics->inFontUcs4(c))
            missing += charactersNotIn(QString::fromUcs4(&c, 1), missing);
    }
    return missing;
}

QString charactersNotIn(const QString& characters, const QString& known)
{
    QString added;
    for (const char32_t c : characters.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        if (!known.contains(character) && !added.contains(character))
            added += character;
    }
    return added;
}

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
