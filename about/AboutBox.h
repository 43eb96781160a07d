#pragma once

#include "ui/FormWith.h"

class Forms;
class QLabel;
class QPushButton;
namespace ui {
class Rule;
}

struct AboutBoxControls {
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    ui::Rule* Line1_1 = nullptr;
    ui::Rule* Line1_0 = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
};

// Names the application, its version and its purpose.
class AboutBox final : public ui::FormWith<AboutBoxControls> {
public:
    explicit AboutBox(Forms& forms);

    static inline const QString kDescription = QStringLiteral(
        "Tessera was designed to create various labels and cards quickly and easily without repititive input "
        "from the user.");
    static inline const QString kCredit = QStringLiteral(
        "Made by the Tessera developers. Please report problems on the Tessera project's issue tracker.");

    void cmdOK_Click();

protected:
    void build(QWidget* client) override;
    void Form_Load() override;
};
