#pragma once

#include "ui/ColorValue.h"

#include <QColor>
#include <optional>

namespace ui {

// Resolves a colour value; system colours come from one fixed table, the
// classic standard scheme, so labels look the same on every desktop theme.
// Returns nothing for a value that names no colour.
std::optional<QColor> resolveColor(quint32 value);

// Like resolveColor, for values the program itself chose; black if invalid.
QColor color(quint32 value);

}  // namespace ui
