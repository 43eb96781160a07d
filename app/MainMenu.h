#pragma once

#include "document/LabelKind.h"
#include "ui/FormWith.h"

class Forms;
class QLabel;
class QPushButton;

struct MainMenuControls {
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command1_6 = nullptr;  // Command1(6), "Exit"
};

// The main menu: the label kinds, the designer, About, Help and Exit. It
// holds the job state.
class MainMenu final : public ui::FormWith<MainMenuControls> {
public:
    explicit MainMenu(Forms& forms);

    // The kind of label of the current job; its text is the table's.
    LabelKind disktype = LabelKind::None;
    // The index of the template field last clicked.
    qint16 newtxt = 0;

    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command1_Click(int Index);

protected:
    void build(QWidget* client) override;

private:
    void startJob(LabelKind kind);
    Forms& forms_;
};
