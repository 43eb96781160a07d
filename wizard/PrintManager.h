#pragma once

#include "ui/CommonDialog.h"
#include "ui/FormWith.h"

#include <memory>
#include <optional>

class Forms;
namespace collection {
class Collections;
}
class QLabel;
class QPushButton;
namespace platform {
class Printable;
}
namespace stock {
struct Choice;
}
namespace ui {
class Rule;
}

struct PrintManagerControls {
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    ui::Rule* Line1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    std::optional<ui::CommonDialog> CommonDialog1;
};

// The last step of every job: print the label, or go back.
class PrintManager final : public ui::FormWith<PrintManagerControls> {
public:
    explicit PrintManager(Forms& forms);
    ~PrintManager() override;

    static inline const QString kPrinterErrorText = QStringLiteral(
        "Tessera has encountered an error while trying to print,please check all cables,paper,ports and "
        "drivers,restart windows then try again.");

    // A print of more sheets than this asks first.
    static constexpr int kSheetsWithoutAsking = 10;
    static inline const QString kPrintingText = QStringLiteral("Printing. Please wait.");

    void Command1_Click();
    void Command2_Click();

    // What "Print" prints for `disktype`: the label, and the caption of the
    // form that shows it, which names the print job. No label for none.
    struct Printed {
        const platform::Printable* label = nullptr;
        QString jobName;
    };
    Printed printed();

    // The labels collected for each product's sheet, read from the user's
    // data folder when first asked for.
    collection::Collections& collections();

protected:
    void build(QWidget* client) override;

private:
    // Whether the user wants a print of many sheets; a print of a few is
    // not asked about.
    bool manySheetsWanted(const stock::Choice& choice);
    // Adds the label to its product's collected sheet; whether it was.
    bool collect(const Printed& page, const stock::Choice& choice);
    void showProblem(const QString& text);

    Forms& forms_;
    std::unique_ptr<collection::Collections> collections_;
    QString toldMissing_;  // the characters no installed font has that the user was told of
};
