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

QFont designFont(const QString& family, double points, bool bold = false, bool italic = false, bool underline = false,
                 bool strikeOut = false);

}  // namespace ui
