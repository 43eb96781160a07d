#pragma once

#include "ui/FontSize.h"

#include <QFont>
#include <QString>

namespace ui {

// The design fonts are used by name; installFontSubstitutes() maps them once
// to installed metric look-alikes.
namespace fontname {
inline const QString SansSerif = QStringLiteral("MS Sans Serif");
inline const QString Serif = QStringLiteral("MS Serif");
inline const QString Condensed = QStringLiteral("Abadi MT Condensed");
}  // namespace fontname

void installFontSubstitutes();

// The installed family that stands for a design font name (the name itself
// when it is no design font).
QString installedFamily(const QString& family);

// The application's default font: MS Sans Serif 8 pt.
QFont defaultFont();

// The characters of `text` that neither `font` nor any installed font that
// Qt falls back to has, which print as empty boxes: each once, in the order
// of `text`. Spaces, marks and format characters are left out: they draw
// with their neighbours, or not at all.
QString missingCharacters(const QFont& font, const QString& text);

// The characters of `characters` that `known` does not hold, each once.
QString charactersNotIn(const QString& characters, const QString& known);

QFont designFont(const QString& family, double points, bool bold = false, bool italic = false, bool underline = false,
                 bool strikeOut = false);

}  // namespace ui
