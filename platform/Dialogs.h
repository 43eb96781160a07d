#pragma once

#include "stock/Choice.h"
#include "stock/ProductDatabase.h"
#include "ui/Length.h"

#include <QList>
#include <QSizeF>
#include <QString>
#include <QtGlobal>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QPrintDialog;
class QWidget;

namespace stockui {
class StockTab;
}
namespace stock {
class CollectedLabels;
}

namespace platform {

class Printable;
class Printer;
class Settings;

// What the font dialog returns: typeface, size, effects and colour.
struct FontChoice {
    QString name = QStringLiteral("MS Sans Serif");
    double size = 8;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethru = false;
    quint32 color = 0;  // 0x00BBGGRR

    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

// A label's disc face as a choice of label stock prints it, and what of its
// lines fit on the disc ("12 of 45 lines fit on the disc").
struct DiscFacePreview {
    std::shared_ptr<const Printable> face;
    QString fit;
};

// What the print setup offers besides the printer: the label stock the
// label is printed on.
struct StockSetup {
    ui::LengthSize design;            // the label's printed size
    bool roundLabelsAllowed = false;  // whether it may lose its corners
    Settings* settings = nullptr;     // where label stock keeps what it remembers
    stock::ProductDatabase::Sources sources = stock::ProductDatabase::Sources::standard();
    stock::Choice choice;  // out: what the user chose; plain paper unless told otherwise
    // The labels collected for each product's sheet, which the tab shows and
    // may take labels off; none: nothing is collected.
    stock::CollectedLabels* collected = nullptr;
    // Prints the calibration page of a product on a queue; raises ui::Error.
    std::function<void(const stock::Product&, const QByteArray& queue)> printCalibrationPage;
    // For a label that may print as a disc face: the face a choice makes
    // (choice.discFace set). None: the label has no disc face.
    std::function<DiscFacePreview(const stock::Choice&)> discFace;
    // Adds the tab that chooses the label stock to a print setup dialog, and
    // gives what reads its choice once the dialog is confirmed (the label
    // stock's own layer makes it).
    std::function<std::function<stock::Choice()>(QPrintDialog&, const StockSetup&)> attachTab;
};

// The system's standard modal dialogs. Each returns nothing when the user
// cancels. `filter` is in Qt's form ("Text (*.x);;Other (*.y)").
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual std::optional<QString> openFile(QWidget* owner, const QString& filter, const QString& initial) = 0;
    virtual std::optional<QString> saveFile(QWidget* owner, const QString& filter, const QString& initial) = 0;
    virtual std::optional<FontChoice> chooseFont(QWidget* owner, const FontChoice& initial, int flags) = 0;
    // Printer choice and page set-up; what the user confirms becomes the
    // current printer. With `stock`, the label stock is chosen too.
    virtual bool printSetup(QWidget* owner, Printer& printer, StockSetup* stock = nullptr) = 0;
};

class QtDialogs final : public Dialogs {
public:
    std::optional<QString> openFile(QWidget* owner, const QString& filter, const QString& initial) override;
    std::optional<QString> saveFile(QWidget* owner, const QString& filter, const QString& initial) override;
    std::optional<FontChoice> chooseFont(QWidget* owner, const FontChoice& initial, int flags) override;
    bool printSetup(QWidget* owner, Printer& printer, StockSetup* stock = nullptr) override;

    // Makes Qt's print dialog a print setup: printer and paper only, one
    // page, no range and no copies. Option tabs the program adds stay.
    static void preparePrintSetup(QPrintDialog& dialog);
    // Adds the "Label stock" tab for `stock` to the dialog's option tabs, told
    // the design and the queue the dialog shows, and reads the products.
};

}  // namespace platform
