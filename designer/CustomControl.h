#pragma once

#include "ui/FormWith.h"

class Forms;
class QPushButton;

namespace designer {

struct CustomControlControls {
    QPushButton* Command10 = nullptr;  // "Background Color"
    QPushButton* Command3 = nullptr;   // "<<Back"
    QPushButton* Command1 = nullptr;   // "Print Card"
};

// The custom card designer's control panel. It holds the designer's state.
class CustomControl final : public ui::FormWith<CustomControlControls> {
public:
    explicit CustomControl(Forms& forms);

    qint16 txtamt = 0;  // lines in use
    QString cardpc;     // background picture path
    QString typ;        // kind of the selected object
    qint16 ind = 0;     // index of the selected line

    void Command1_Click();
    void Command3_Click();
    void Command10_Click();

protected:
    void build(QWidget* client) override;
    void Form_Load() override;
    void discard() override;

private:
    Forms& forms_;
};

}  // namespace designer
