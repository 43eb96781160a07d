#pragma once

#include "ui/FormWith.h"

class Forms;
class QLabel;
class QLineEdit;
class QPushButton;
namespace ui {
class Rule;
}

struct ChangeTextControls {
    QLabel* Label2 = nullptr;
    ui::Rule* Line1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command3 = nullptr;
};

// Edits one content field of the job's template at a time.
class ChangeText final : public ui::FormWith<ChangeTextControls> {
public:
    // Typing stops at this many characters; a field's longer text is kept whole.
    static constexpr int kTypingLimit = 22;

    explicit ChangeText(Forms& forms);

    // Puts a field's whole text into the text box.
    void setText1(const QString& text);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    void build(QWidget* client) override;

private:
    Forms& forms_;
};
