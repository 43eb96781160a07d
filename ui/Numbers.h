#pragma once

#include <QString>

namespace ui {

// A single-precision value as decimal text: rounded to 7 significant
// digits, no exponent, no trailing zeros, no point for whole numbers, and a
// leading zero before the point below 1 ("0.5"). 10 gives "10", 8.25 "8.25".
QString formatSingle(float value);

}  // namespace ui
