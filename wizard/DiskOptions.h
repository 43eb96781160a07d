#pragma once

#include "ui/FormWith.h"

class Forms;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

struct DiskOptionsControls {
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QPushButton* Command1 = nullptr;
};

// The first step of a disk-label job: the disk name, and manual or
// automatic contents.
class DiskOptions final : public ui::FormWith<DiskOptionsControls> {
public:
    explicit DiskOptions(Forms& forms);

    // The disk name as it stands in the text box.
    QString diskName();

    void Command1_Click();

protected:
    void build(QWidget* client) override;

private:
    Forms& forms_;
};
