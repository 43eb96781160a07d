#pragma once

#include "platform/Dialogs.h"
#include "stock/Choice.h"
#include "stock/CollectedLabels.h"
#include "stock/ProductDatabase.h"

#include <memory>
#include "stock/SheetMemory.h"

#include <QPageLayout>
#include <QPageSize>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace platform {
class Settings;
}

namespace stockui {

class DecimalBox;
class SheetView;

// The "Label stock" tab of the print dialog: the product the label is
// printed on (plain paper, one label at the page corner, unless the user
// chooses one), the first label on its sheet, the copies, how the design
// fits the label, an outline to trim by, and the printer's calibration.
// The product chosen is always one the list shows: a search that leaves it
// out chooses its first match, or plain paper when nothing matches (the
// closest products are offered then).
//
// The label products are the process's (stock::ProductCatalog, read on a
// worker), taken when the tab is first shown or load() is called. The tab
// writes the settings only when the user changes something here (a product,
// a new sheet, the calibration); a print on label stock records its labels
// through the printing pipeline, and the next print's tab shows them.
class StockTab final : public QWidget {
    Q_OBJECT
public:
    StockTab(platform::Settings& settings, stock::ProductDatabase::Sources sources, QWidget* parent = nullptr);
    ~StockTab() override;

    // The design to be printed: its printed size, and whether it may lose its
    // corners (round and CD labels are offered only then).
    void setDesign(ui::LengthSize size, bool roundLabelsAllowed);
    // For a label that has a disc face, what makes it: on round labels the
    // tab offers "Disc face" or "Sleeve, cut to the disc" (the face by default
    // on CD labels), on plain paper "As a disc face", and shows the face on
    // the sheet with what of it fits.
    void setDiscFace(std::function<platform::DiscFacePreview(const stock::Choice&)> face);
    // The printer, by its queue name, whose calibration the tab shows and
    // hands out. An empty name is no printer: the calibration is the identity.
    void setPrinter(const QString& queue);
    // The labels collected for each product's sheet; none: the tab offers no
    // collecting.
    void setCollected(stock::CollectedLabels* collected);

    // Reads the label products and brings back the product chosen last; the
    // second call does nothing.
    void load();
    bool loaded() const { return loaded_; }

    stock::Choice choice() const;

Q_SIGNALS:
    // The page the chosen product needs: when it is chosen, and when the
    // dialog's paper was changed away from it.
    void pageWanted(const QPageSize& size, QPageLayout::Orientation orientation);
    // "Print calibration page" was pressed, with a product chosen.
    void calibrationPageRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    bool offered(const stock::Product& product) const;
    void fillList();
    void showSearchNote(bool nothingMatches, qsizetype nearest);
    void showLeftOut();
    void choose(const stock::Product* product, bool byUser);
    void fitToDesign();
    void showSheet();
    void showFit();
    void showNotes();
    bool faceChosen() const;
    void showFace();
    void calibrationEdited();
    void calibrationRefused(const QString& why);
    void showCalibration();
    void showSettingsProblem();
    void showCollected();
    int firstFree() const;
    QList<int> collectedCells() const;

    platform::Settings& settings_;
    stock::SheetMemory memory_;
    stock::ProductDatabase::Sources sources_;
    std::shared_ptr<const stock::ProductDatabase> database_;  // the process's, once read
    bool loaded_ = false;
    ui::LengthSize design_;
    bool roundAllowed_ = false;
    QString printer_;
    stock::Calibration calibration_;
    bool storedUnsound_ = false;  // the settings hold a calibration that is not used
    QString calibrationNote_;

    QList<const stock::Product*> listed_;  // the list's rows; null is plain paper
    const stock::Product* product_ = nullptr;
    int first_ = 1;
    QList<int> shownUsed_;  // the used labels the sheet picture shows

    QLineEdit* search_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* searchNote_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* details_ = nullptr;
    QLabel* settingsNote_ = nullptr;
    QLabel* notes_ = nullptr;
    std::function<platform::DiscFacePreview(const stock::Choice&)> makeFace_;
    QLabel* layoutLabel_ = nullptr;
    QComboBox* layout_ = nullptr;     // on round labels: the disc face or the sleeve
    QCheckBox* plainFace_ = nullptr;  // on plain paper
    QLabel* faceFit_ = nullptr;
    SheetView* sheet_ = nullptr;
    QLabel* firstLabel_ = nullptr;
    QSpinBox* copies_ = nullptr;
    QComboBox* fit_ = nullptr;
    QLabel* scale_ = nullptr;
    QCheckBox* outline_ = nullptr;
    QPushButton* newSheet_ = nullptr;
    QGroupBox* calibrationBox_ = nullptr;
    DecimalBox* right_ = nullptr;
    DecimalBox* down_ = nullptr;
    DecimalBox* across_ = nullptr;
    DecimalBox* downScale_ = nullptr;
    QLabel* calibrationStatus_ = nullptr;

    stock::CollectedLabels* collected_ = nullptr;
    bool printCollected_ = false;  // "Print collected sheet" closed the dialog
    QStringList collectedNotes_;   // what the collections said, until the tab closes
    QCheckBox* collect_ = nullptr;
    QPushButton* printCollectedButton_ = nullptr;
    QPushButton* removeCollected_ = nullptr;
    QLabel* collectedNote_ = nullptr;
    QPushButton* calibrationPage_ = nullptr;
};

}  // namespace stockui
