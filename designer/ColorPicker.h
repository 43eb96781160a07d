#pragma once

#include "ui/FormWith.h"

class Forms;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace designer {

struct ColorPickerControls {
    QScrollBar* HScroll1 = nullptr;   // red
    QScrollBar* HScroll2 = nullptr;   // green
    QScrollBar* HScroll3 = nullptr;   // blue
    QLineEdit* Text1 = nullptr;       // the swatch
    QLineEdit* Text2 = nullptr;       // red value
    QLineEdit* Text3 = nullptr;       // green value
    QLineEdit* Text4 = nullptr;       // blue value
    QPushButton* Command1 = nullptr;  // "OK"
};

// Mixes the card's background colour from red, green and blue.
class ColorPicker final : public ui::FormWith<ColorPickerControls> {
public:
    explicit ColorPicker(Forms& forms);

    // The colour the three bars mix, 0x00BBGGRR.
    quint32 mixed();

    // Bar k (1 red, 2 green, 3 blue) moved: its box and the swatch follow.
    void refresh(int bar);
    void Command1_Click();

protected:
    void build(QWidget* client) override;
    void Form_Load() override;

private:
    Forms& forms_;
};

}  // namespace designer
