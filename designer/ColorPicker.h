#pragma once

#include "ui/FormWith.h"

class Forms;
class QPushButton;

namespace designer {

struct ColorPickerControls {
    QPushButton* Command1 = nullptr;  // "OK"
};

// Mixes the card's background colour from red, green and blue.
class ColorPicker final : public ui::FormWith<ColorPickerControls> {
public:
    explicit ColorPicker(Forms& forms);

    void Command1_Click();

protected:
    void build(QWidget* client) override;
};

}  // namespace designer
