#pragma once

namespace ui {

// Font sizes, in points, lie above 0 and at most at this size: what the font
// dialog offers and a label file may hold. Free of any toolkit font, so the
// label file's pure reader can use it.
constexpr float kMaxFontSize = 2048;

}  // namespace ui
