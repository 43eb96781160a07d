#include "stockui/StockTab.h"

#include "platform/Settings.h"
#include "stock/SheetGeometry.h"
#include "stockui/SheetView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include <cmath>

namespace stockui {

namespace {

// "US-Letter", or the size of a paper of the product's own.
QString paperText(const stock::Product& product)
{
    if (product.paperId != QLatin1String("Other"))
        return product.paperId;
    constexpr double kMmPerPoint = 25.4 / 72;
    return QStringLiteral("%1 x %2 mm")
        .arg(QLocale().toString(std::round(product.paper.width() * kMmPerPoint)),
             QLocale().toString(std::round(product.paper.height() * kMmPerPoint)));
}

QString listText(const stock::Product* product)
{
    if (!product)
        return stock::plainPaperText();
    return QStringLiteral("%1: %2 (%3 on %4)")
        .arg(product->name(), product->description)
        .arg(product->cellCount())
        .arg(paperText(*product));
}

QDoubleSpinBox* calibrationBox(const QString& name, const QString& suffix, double low, double high)
{
    auto* box = new QDoubleSpinBox;
    box->setObjectName(name);
    // Wider than what is sound, so that a value out of bounds is refused
    // with a note instead of changed silently.
    box->setRange(low, high);
    box->setDecimals(2);
    box->setSingleStep(0.1);
    box->setSuffix(suffix);
    box->setKeyboardTracking(false);
    return box;
}

}  // namespace

StockTab::StockTab(platform::Settings& settings, stock::ProductDatabase::Sources sources, QWidget* parent)
    : QWidget(parent), settings_(settings), memory_(settings), sources_(std::move(sources))
{
    setWindowTitle(QStringLiteral("Label stock"));
    buildControls();
    fillList();
    choose(nullptr, false);
    showCalibration();
}

StockTab::~StockTab() = default;

void StockTab::buildControls()
{
    search_ = new QLineEdit;
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(QStringLiteral("Brand, part or description, e.g. avery 5196"));
    search_->setClearButtonEnabled(true);
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("products"));
    list_->setAccessibleName(QStringLiteral("Label product"));  // item views do not take their label's name
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* searchLabel = new QLabel(QStringLiteral("&Search:"));
    searchLabel->setBuddy(search_);
    auto* listLabel = new QLabel(QStringLiteral("Label &product:"));
    listLabel->setBuddy(list_);
    auto* left = new QVBoxLayout;
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(search_, 1);
    left->addLayout(searchRow);
    left->addWidget(listLabel);
    left->addWidget(list_, 1);
    left->addWidget(status_);
    settingsNote_ = new QLabel;
    settingsNote_->setObjectName(QStringLiteral("settingsNote"));
    settingsNote_->setWordWrap(true);
    settingsNote_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    settingsNote_->setVisible(false);
    left->addWidget(settingsNote_);

    sheet_ = new SheetView;
    sheet_->setObjectName(QStringLiteral("sheet"));
    auto* sheetLabel = new QLabel(QStringLiteral("S&heet (click the label to print on first):"));
    sheetLabel->setBuddy(sheet_);
    firstLabel_ = new QLabel;
    firstLabel_->setObjectName(QStringLiteral("first"));
    notes_ = new QLabel;
    notes_->setObjectName(QStringLiteral("notes"));
    notes_->setWordWrap(true);

    copies_ = new QSpinBox;
    copies_->setObjectName(QStringLiteral("copies"));
    copies_->setRange(1, stock::kMaxCopies);
    copies_->setToolTip(QStringLiteral("Labels printed one after another, going on to further sheets"));
    fit_ = new QComboBox;
    fit_->setObjectName(QStringLiteral("fit"));
    fit_->addItem(QStringLiteral("Actual size"), int(stock::Fit::ActualSize));
    fit_->addItem(QStringLiteral("Shrink to fit"), int(stock::Fit::ShrinkToFit));
    scale_ = new QLabel;
    scale_->setObjectName(QStringLiteral("scale"));
    auto* fitRow = new QHBoxLayout;
    fitRow->addWidget(fit_);
    fitRow->addWidget(scale_, 1);
    outline_ = new QCheckBox(QStringLiteral("&Outline"));
    outline_->setObjectName(QStringLiteral("outline"));
    outline_->setToolTip(QStringLiteral("A hairline around each label, for trimming labels printed on plain paper"));
    outline_->setAccessibleDescription(outline_->toolTip());
    newSheet_ = new QPushButton(QStringLiteral("&New sheet"));
    newSheet_->setObjectName(QStringLiteral("newSheet"));
    newSheet_->setToolTip(QStringLiteral("Forget the used labels: a new sheet is in the printer"));
    auto* options = new QFormLayout;
    auto* fitLabel = new QLabel(QStringLiteral("&Fit:"));
    fitLabel->setBuddy(fit_);
    options->addRow(QStringLiteral("&Copies:"), copies_);
    options->addRow(fitLabel, fitRow);
    options->addRow(outline_);
    options->addRow(newSheet_);

    calibrationBox_ = new QGroupBox;
    calibrationBox_->setObjectName(QStringLiteral("calibration"));
    right_ = calibrationBox(QStringLiteral("right"), QStringLiteral(" mm"), -50, 50);
    down_ = calibrationBox(QStringLiteral("down"), QStringLiteral(" mm"), -50, 50);
    across_ = calibrationBox(QStringLiteral("across"), QStringLiteral(" %"), 50, 150);
    downScale_ = calibrationBox(QStringLiteral("downScale"), QStringLiteral(" %"), 50, 150);
    calibrationStatus_ = new QLabel;
    calibrationStatus_->setObjectName(QStringLiteral("calibrationStatus"));
    calibrationStatus_->setWordWrap(true);
    calibrationPage_ = new QPushButton(QStringLiteral("Print calibration &page"));
    calibrationPage_->setObjectName(QStringLiteral("calibrationPage"));
    auto* calibration = new QFormLayout(calibrationBox_);
    calibration->addRow(QStringLiteral("Move &right by:"), right_);
    calibration->addRow(QStringLiteral("Move &down by:"), down_);
    calibration->addRow(QStringLiteral("Scale &across:"), across_);
    calibration->addRow(QStringLiteral("Scale &vertically:"), downScale_);
    calibration->addRow(calibrationStatus_);
    calibration->addRow(calibrationPage_);
    left->addWidget(calibrationBox_);

    auto* right = new QVBoxLayout;
    right->addWidget(sheetLabel);
    right->addWidget(sheet_, 1);
    right->addWidget(firstLabel_);
    right->addWidget(notes_);
    right->addLayout(options);
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    connect(search_, &QLineEdit::textChanged, this, &StockTab::fillList);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < listed_.size() && listed_[row] != product_)
            choose(listed_[row], true);
    });
    connect(sheet_, &SheetView::firstChosen, this, [this](int cell) {
        first_ = cell;
        showSheet();
    });
    connect(copies_, &QSpinBox::valueChanged, this, &StockTab::showSheet);
    connect(fit_, &QComboBox::currentIndexChanged, this, &StockTab::showFit);
    connect(newSheet_, &QPushButton::clicked, this, [this] {
        if (!product_)
            return;
        memory_.newSheet(*product_);
        first_ = 1;
        showSheet();
        showSettingsProblem();
    });
    for (QDoubleSpinBox* box : {right_, down_, across_, downScale_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &StockTab::calibrationEdited);
    connect(calibrationPage_, &QPushButton::clicked, this, [this] {
        if (product_)
            Q_EMIT calibrationPageRequested();
    });
}

void StockTab::showEvent(QShowEvent* event)
{
    load();
    QWidget::showEvent(event);
}

void StockTab::load()
{
    if (loaded_)
        return;
    loaded_ = true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    database_ = stock::ProductDatabase::load(sources_);
    QGuiApplication::restoreOverrideCursor();

    QStringList status;
    if (!database_.installed())
        status.append(stock::missingDatabaseHint());
    if (const qsizetype left = database_.rejected().size())
        status.append(QStringLiteral("%1 of the label database's entries %2 left out because %3 not sound; "
                                     "the log (tessera.stock) names each and says why.")
                          .arg(left)
                          .arg(left == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                               left == 1 ? QStringLiteral("it is") : QStringLiteral("they are")));
    status_->setText(status.join(QLatin1Char(' ')));
    status_->setVisible(!status.isEmpty());

    const auto [brand, part] = memory_.lastProduct();
    const stock::Product* last = brand.isEmpty() ? nullptr : database_.find(brand, part);
    choose(last && offered(*last) ? last : nullptr, false);
    fillList();
    showSettingsProblem();
}

void StockTab::setDesign(QSizeF sizeMm, bool roundLabelsAllowed)
{
    designMm_ = sizeMm;
    roundAllowed_ = roundLabelsAllowed;
    if (product_ && !offered(*product_)) {
        choose(nullptr, false);
    } else {
        fitToDesign();
        showFit();
    }
    fillList();
}

void StockTab::setPrinter(const QString& queue)
{
    printer_ = queue;
    calibration_ = queue.isEmpty() ? stock::Calibration() : stock::loadCalibration(settings_, queue);
    calibrationNote_.clear();
    showCalibration();
}

bool StockTab::offered(const stock::Product& product) const
{
    return roundAllowed_ || product.shape.kind == stock::LabelShape::Rectangle;
}

void StockTab::fillList()
{
    const QSignalBlocker blocker(list_);
    listed_.clear();
    for (const stock::Product* p : database_.search(search_->text())) {
        if (!p || offered(*p))
            listed_.append(p);
    }
    list_->clear();
    for (const stock::Product* p : std::as_const(listed_))
        list_->addItem(listText(p));
    list_->setCurrentRow(int(listed_.indexOf(product_)));
}

// The product is chosen by the user (and remembered), or brought back or
// kept when the tab is set up.
void StockTab::choose(const stock::Product* product, bool byUser)
{
    product_ = product;
    first_ = product ? memory_.firstFreeCell(*product) : 1;
    if (byUser && !memory_.setLastProduct(product))
        showSettingsProblem();
    fitToDesign();
    for (QWidget* w : std::initializer_list<QWidget*>{copies_, fit_, outline_, newSheet_, calibrationPage_})
        w->setEnabled(product != nullptr);
    showSheet();
    showFit();
    showNotes();
    if (product) {
        const stock::PageSetup page = stock::pageSetup(*product);
        Q_EMIT pageWanted(page.size, page.orientation);
    }
}

// A design larger than the product's label is shrunk unless the user says otherwise.
void StockTab::fitToDesign()
{
    if (product_ && !designMm_.isEmpty() &&
        stock::place(designMm_, product_->shape.size, stock::Fit::ActualSize).larger)
        fit_->setCurrentIndex(fit_->findData(int(stock::Fit::ShrinkToFit)));
}

void StockTab::showSheet()
{
    const int copies = copies_->value();
    shownUsed_ = product_ ? memory_.usedCells(*product_) : QList<int>();
    sheet_->setSheet(product_, shownUsed_, first_, copies);
    if (!product_) {
        firstLabel_->setText(QString());
        return;
    }
    const int count = product_->cellCount();
    const auto run = stock::planPrint(count, first_, copies);
    const qsizetype sheets = run ? run->pages.size() : 0;
    firstLabel_->setText(QStringLiteral("Starts on label %1 of %2 and takes %3 %4.")
                             .arg(first_)
                             .arg(count)
                             .arg(sheets)
                             .arg(sheets == 1 ? QStringLiteral("sheet") : QStringLiteral("sheets")));
}

void StockTab::showFit()
{
    if (!product_ || designMm_.isEmpty()) {
        scale_->setText(QString());
        return;
    }
    const auto fit = stock::Fit(fit_->currentData().toInt());
    const stock::Placement placement = stock::place(designMm_, product_->shape.size, fit);
    const QString percent = QLocale().toString(std::round(placement.percent() * 10) / 10, 'g', 4);
    scale_->setText(fit == stock::Fit::ActualSize && placement.larger
                        ? QStringLiteral("at %1 %, cut to the label").arg(percent)
                        : QStringLiteral("at %1 %").arg(percent));
}

void StockTab::showNotes()
{
    QStringList notes;
    if (product_) {
        switch (product_->shape.kind) {
        case stock::LabelShape::Rectangle: break;
        case stock::LabelShape::Round:
        case stock::LabelShape::Ellipse:
            notes.append(QStringLiteral("The label is round: the design's corners are cut off."));
            break;
        case stock::LabelShape::Cd:
            notes.append(QStringLiteral("This is a CD label: the design's corners and the centre hole are cut off."));
            break;
        }
    }
    if (product_) {
        // Said whenever a product is chosen: the paper on the dialog's own
        // page is applied only when the dialog closes, too late to tell.
        const stock::PageSetup page = stock::pageSetup(*product_);
        notes.append(QStringLiteral("The label product sets the paper: %1, %2. To print on other paper, choose "
                                    "plain paper.")
                         .arg(paperText(*product_), page.orientation == QPageLayout::Landscape
                                                        ? QStringLiteral("landscape")
                                                        : QStringLiteral("portrait")));
    }
    notes_->setText(notes.join(QLatin1Char(' ')));
    notes_->setVisible(!notes.isEmpty());
}

void StockTab::paperChanged(const QPageSize& size, QPageLayout::Orientation orientation)
{
    if (!product_)
        return;
    const stock::PageSetup page = stock::pageSetup(*product_);
    if (page.matches(size, orientation))
        return;
    Q_EMIT pageWanted(page.size, page.orientation);
}

void StockTab::printed(const stock::Choice& printed, const stock::PrintRun& run)
{
    if (!printed.product)
        return;
    memory_.recordPrint(*printed.product, run);
    if (product_ && product_->brand == printed.product->brand && product_->part == printed.product->part) {
        first_ = memory_.firstFreeCell(*product_);
        showSheet();
    }
}

void StockTab::calibrationEdited()
{
    const stock::Calibration edited{right_->value(), down_->value(), across_->value(), downScale_->value()};
    if (edited == calibration_ || printer_.isEmpty())
        return;
    const QString problem = edited.problem();
    if (!problem.isEmpty()) {
        calibrationNote_ = QStringLiteral("Refused: %1 The calibration stays as it was.").arg(problem);
    } else {
        stock::saveCalibration(settings_, printer_, edited);
        calibration_ = edited;
        calibrationNote_.clear();
        showSettingsProblem();
    }
    showCalibration();
}

// What the tab remembers is not kept when the settings cannot be read or
// written: said under the product list for as long as it is so.
void StockTab::showSettingsProblem()
{
    const QString problem = settings_.problem();
    settingsNote_->setText(problem);
    settingsNote_->setVisible(!problem.isEmpty());
}

void StockTab::showCalibration()
{
    calibrationBox_->setTitle(printer_.isEmpty() ? QStringLiteral("Printer calibration (no printer chosen)")
                                                 : QStringLiteral("Calibration of the printer %1").arg(printer_));
    calibrationBox_->setEnabled(!printer_.isEmpty());
    const std::pair<QDoubleSpinBox*, double> values[] = {{right_, calibration_.rightMm},
                                                         {down_, calibration_.downMm},
                                                         {across_, calibration_.acrossPercent},
                                                         {downScale_, calibration_.downPercent}};
    for (const auto& [box, value] : values) {
        const QSignalBlocker blocker(box);
        box->setValue(value);
    }
    calibrationStatus_->setText(calibrationNote_.isEmpty()
                                    ? QStringLiteral("Measured on the calibration page; for label sheets only.")
                                    : calibrationNote_);
}

stock::Choice StockTab::choice() const
{
    stock::Choice c;
    c.calibration = calibration_;
    if (!product_)
        return c;
    c.product = *product_;
    c.firstCell = first_;
    c.copies = copies_->value();
    c.fit = stock::Fit(fit_->currentData().toInt());
    c.outline = outline_->isChecked();
    c.usedWhenChosen = shownUsed_;
    return c;
}

}  // namespace stockui
