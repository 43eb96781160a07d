#include "stockui/StockTab.h"

#include "platform/Settings.h"
#include "stock/NearestProducts.h"
#include "stock/ProductCatalog.h"
#include "stock/SheetGeometry.h"
#include "stockui/DecimalBox.h"
#include "stockui/SheetView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyledItemDelegate>

#include <cmath>

namespace stockui {

namespace {

// "US-Letter", or the size of a paper of the product's own.
QString paperText(const stock::Product& product)
{
    if (product.paperId != QLatin1String("Other"))
        return product.paperId;
    return QStringLiteral("%1 x %2 mm")
        .arg(QLocale().toString(std::round(product.paper.width.toMm())),
             QLocale().toString(std::round(product.paper.height.toMm())));
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

// The most products offered for a search that matches none.
constexpr int kMostNearest = 5;

// A box for one figure of the calibration. Its range is far wider than what
// is sound, so that a figure out of bounds is refused with the tab's note
// instead of cut to fit.
DecimalBox* calibrationBox(const QString& name, double low, double high, const QString& help)
{
    auto* box = new DecimalBox;
    box->setObjectName(name);
    box->setRange(low, high);
    box->setDecimals(2);
    box->setSingleStep(0.1);
    box->setSuffix(QStringLiteral(" mm"));
    box->setKeyboardTracking(false);
    box->setToolTip(help);
    box->setAccessibleDescription(help);
    return box;
}

// Text that wraps to the width of its list, where QListView by itself keeps
// each item one line high and cuts it.
class WrappingDelegate final : public QStyledItemDelegate {
public:
    explicit WrappingDelegate(QListView* view) : QStyledItemDelegate(view), view_(view) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem wrapped = option;
        wrapped.rect = QRect(0, 0, view_->viewport()->width(), 1);
        wrapped.features |= QStyleOptionViewItem::WrapText;
        return QStyledItemDelegate::sizeHint(wrapped, index);
    }

private:
    QListView* view_;
};

}  // namespace

StockTab::StockTab(platform::Settings& settings, stock::ProductDatabase::Sources sources, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      memory_(settings),
      sources_(std::move(sources)),
      database_(std::make_shared<const stock::ProductDatabase>())
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
    // The product: a search, the list of what it finds, and what there is to
    // know about the list.
    search_ = new QLineEdit;
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(QStringLiteral("Brand, part or description, e.g. avery 5196"));
    search_->setClearButtonEnabled(true);
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("products"));
    list_->setAccessibleName(QStringLiteral("Label product"));  // item views do not take their label's name
    list_->setWordWrap(true);
    list_->setTextElideMode(Qt::ElideNone);
    list_->setResizeMode(QListView::Adjust);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setItemDelegate(new WrappingDelegate(list_));
    list_->setMinimumWidth(400);
    searchNote_ = new QLabel;
    searchNote_->setObjectName(QStringLiteral("searchNote"));
    searchNote_->setWordWrap(true);
    searchNote_->setVisible(false);
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    details_ = new QPushButton(QStringLiteral("&Details..."));
    details_->setObjectName(QStringLiteral("details"));
    details_->setToolTip(QStringLiteral("The entries left out, each with why"));
    details_->setVisible(false);
    settingsNote_ = new QLabel;
    settingsNote_->setObjectName(QStringLiteral("settingsNote"));
    settingsNote_->setWordWrap(true);
    settingsNote_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    settingsNote_->setVisible(false);

    auto* searchLabel = new QLabel(QStringLiteral("&Search:"));
    searchLabel->setBuddy(search_);
    auto* listLabel = new QLabel(QStringLiteral("Label &product:"));
    listLabel->setBuddy(list_);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(search_, 1);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(status_, 1);
    statusRow->addWidget(details_, 0, Qt::AlignTop);
    auto* products = new QVBoxLayout;
    products->addLayout(searchRow);
    products->addWidget(listLabel);
    products->addWidget(searchNote_);
    products->addWidget(list_, 1);
    products->addLayout(statusRow);
    products->addWidget(settingsNote_);

    // The sheet in the printer and what the print takes of it.
    sheet_ = new SheetView;
    sheet_->setObjectName(QStringLiteral("sheet"));
    auto* sheetLabel =
        new QLabel(QStringLiteral("S&heet: a click or Space chooses the first label to print on; "
                                  "Enter is OK."));
    sheetLabel->setWordWrap(true);
    sheetLabel->setBuddy(sheet_);
    sheet_->setAccessibleDescription(
        QStringLiteral("The arrow keys go from label to label; Space or a click "
                       "chooses the first label to print on. Enter is OK."));
    firstLabel_ = new QLabel;
    firstLabel_->setObjectName(QStringLiteral("first"));
    firstLabel_->setWordWrap(true);
    notes_ = new QLabel;
    notes_->setObjectName(QStringLiteral("notes"));
    notes_->setWordWrap(true);
    collect_ = new QCheckBox(QStringLiteral("Collect for this sheet (print later)"));
    collect_->setObjectName(QStringLiteral("collect"));
    collect_->setToolTip(
        QStringLiteral("OK adds the label to the sheet's collected labels instead of printing it; "
                       "they print together with Print collected sheet"));
    collect_->setAccessibleDescription(collect_->toolTip());
    printCollectedButton_ = new QPushButton(QStringLiteral("Print collected sheet"));
    printCollectedButton_->setObjectName(QStringLiteral("printCollected"));
    printCollectedButton_->setToolTip(
        QStringLiteral("Prints the collected labels, and this label unless it is collected, as one print"));
    removeCollected_ = new QPushButton(QStringLiteral("Remove collected label"));
    removeCollected_->setObjectName(QStringLiteral("removeCollected"));
    removeCollected_->setToolTip(
        QStringLiteral("Takes the collected label under the sheet's focus frame off (Delete)"));
    collectedNote_ = new QLabel;
    collectedNote_->setObjectName(QStringLiteral("collectedNote"));
    collectedNote_->setWordWrap(true);
    collectedNote_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* collectRow = new QHBoxLayout;
    collectRow->addWidget(printCollectedButton_);
    collectRow->addWidget(removeCollected_);
    collectRow->addStretch(1);
    auto* sheetColumn = new QVBoxLayout;
    sheetColumn->addWidget(sheetLabel);
    sheetColumn->addWidget(sheet_, 1);
    sheetColumn->addWidget(firstLabel_);
    sheetColumn->addWidget(notes_);
    sheetColumn->addWidget(collect_);
    sheetColumn->addLayout(collectRow);
    sheetColumn->addWidget(collectedNote_);

    // How the labels print, then the printer's calibration.
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
    outline_ = new QCheckBox(QStringLiteral("O&utline"));
    outline_->setObjectName(QStringLiteral("outline"));
    outline_->setToolTip(QStringLiteral("A hairline around each label, for trimming labels printed on plain paper"));
    outline_->setAccessibleDescription(outline_->toolTip());
    layout_ = new QComboBox;
    layout_->setObjectName(QStringLiteral("layout"));
    layout_->setAccessibleName(QStringLiteral("Layout"));
    layout_->addItem(QStringLiteral("Disc face"), true);
    layout_->addItem(QStringLiteral("Sleeve, cut to the disc"), false);
    layout_->setToolTip(
        QStringLiteral("The disk name along the rim and the contents in the ring, or the sleeve "
                       "with its corners and centre cut off"));
    layoutLabel_ = new QLabel(QStringLiteral("La&yout:"));
    layoutLabel_->setBuddy(layout_);
    plainFace_ = new QCheckBox(QStringLiteral("As a disc face"));
    plainFace_->setObjectName(QStringLiteral("plainDiscFace"));
    plainFace_->setToolTip(QStringLiteral("A 117 mm disc with a 41 mm hole, drawn with lines to cut along"));
    faceFit_ = new QLabel;
    faceFit_->setObjectName(QStringLiteral("discFit"));
    faceFit_->setWordWrap(true);
    newSheet_ = new QPushButton(QStringLiteral("N&ew sheet"));
    newSheet_->setObjectName(QStringLiteral("newSheet"));
    newSheet_->setToolTip(QStringLiteral("Forget the used labels: a new sheet is in the printer"));
    auto* options = new QFormLayout;
    auto* fitLabel = new QLabel(QStringLiteral("F&it:"));
    fitLabel->setBuddy(fit_);
    options->addRow(QStringLiteral("&Copies:"), copies_);
    options->addRow(fitLabel, fitRow);
    options->addRow(outline_);
    options->addRow(layoutLabel_, layout_);
    options->addRow(plainFace_);
    options->addRow(faceFit_);
    options->addRow(newSheet_);

    calibrationBox_ = new QGroupBox;
    calibrationBox_->setObjectName(QStringLiteral("calibration"));
    constexpr double kWide = 999.99;  // mm
    right_ = calibrationBox(QStringLiteral("right"), -kWide, kWide,
                            QStringLiteral("How far right of its label's centre the top-left label's cross prints; "
                                           "negative when left of it"));
    down_ = calibrationBox(QStringLiteral("down"), -kWide, kWide,
                           QStringLiteral("How far below its label's centre the top-left label's cross prints; "
                                          "negative when above it"));
    across_ = calibrationBox(QStringLiteral("across"), 0, kWide,
                             QStringLiteral("The length of the 100 mm ruler across, as printed"));
    downScale_ = calibrationBox(QStringLiteral("downScale"), 0, kWide,
                                QStringLiteral("The length of the 100 mm ruler down, as printed"));
    calibrationStatus_ = new QLabel;
    calibrationStatus_->setObjectName(QStringLiteral("calibrationStatus"));
    calibrationStatus_->setWordWrap(true);
    calibrationPage_ = new QPushButton(QStringLiteral("Print ca&libration page"));
    calibrationPage_->setObjectName(QStringLiteral("calibrationPage"));
    calibrationPage_->setToolTip(
        QStringLiteral("Outlines, crosses and rulers to measure, on the chosen product's "
                       "paper, with what to type here"));
    auto* calibration = new QFormLayout(calibrationBox_);
    calibration->addRow(stock::CalibrationWords::right() + u':', right_);
    calibration->addRow(stock::CalibrationWords::down() + u':', down_);
    calibration->addRow(stock::CalibrationWords::across() + u':', across_);
    calibration->addRow(stock::CalibrationWords::downScale() + u':', downScale_);
    calibration->addRow(calibrationStatus_);
    calibration->addRow(calibrationPage_);
    auto* printing = new QVBoxLayout;
    printing->addLayout(options);
    printing->addWidget(calibrationBox_);
    printing->addStretch(1);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(products, 4);
    columns->addLayout(sheetColumn, 3);
    columns->addLayout(printing, 3);
    // Keys go through the tab as it reads, column by column.
    QWidget* order[] = {search_,          list_,   details_, sheet_,   collect_,   printCollectedButton_,
                        removeCollected_, copies_, fit_,     outline_, layout_,    plainFace_,
                        newSheet_,        right_,  down_,    across_,  downScale_, calibrationPage_};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(search_, &QLineEdit::textChanged, this, &StockTab::fillList);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < listed_.size() && listed_[row] != product_)
            choose(listed_[row], true);
    });
    connect(details_, &QPushButton::clicked, this, &StockTab::showLeftOut);
    connect(sheet_, &SheetView::firstChosen, this, [this](int cell) {
        first_ = cell;
        showSheet();
    });
    connect(copies_, &QSpinBox::valueChanged, this, &StockTab::showSheet);
    const auto removeCollected = [this](int cell) {
        if (!collected_ || !product_)
            return;
        if (const QString problem = collected_->remove(*product_, cell); !problem.isEmpty())
            collectedNotes_.append(problem);
        showSheet();
    };
    connect(sheet_, &SheetView::removeRequested, this, removeCollected);
    connect(removeCollected_, &QPushButton::clicked, this, [this, removeCollected] {
        if (collectedCells().contains(sheet_->cursor()))
            removeCollected(sheet_->cursor());
    });
    connect(sheet_, &SheetView::firstChosen, this, [this](int) { showCollected(); });
    connect(printCollectedButton_, &QPushButton::clicked, this, [this] {
        if (!product_ || collectedCells().isEmpty())
            return;
        printCollected_ = true;
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->accept();
    });
    connect(fit_, &QComboBox::currentIndexChanged, this, &StockTab::showFit);
    connect(layout_, &QComboBox::currentIndexChanged, this, &StockTab::showFace);
    connect(plainFace_, &QCheckBox::toggled, this, &StockTab::showFace);
    connect(newSheet_, &QPushButton::clicked, this, [this] {
        if (!product_)
            return;
        memory_.newSheet(*product_);
        first_ = 1;
        showSheet();
        showSettingsProblem();
    });
    for (DecimalBox* box : {right_, down_, across_, downScale_}) {
        connect(box, &DecimalBox::valueChanged, this, &StockTab::calibrationEdited);
        connect(box, &DecimalBox::entered, this, &StockTab::calibrationEdited);
        connect(box, &DecimalBox::refused, this, &StockTab::calibrationRefused);
    }
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
    // Read on a worker, started as early as the print manager: by the time
    // the tab shows, it is mostly read.
    std::shared_future<stock::ProductCatalog::Database> reading = stock::ProductCatalog::read(sources_);
    if (reading.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        reading.wait();
        QGuiApplication::restoreOverrideCursor();
    }
    database_ = reading.get();

    QStringList status;
    if (!database_->installed())
        status.append(stock::missingDatabaseHint());
    const qsizetype left = database_->rejected().size();
    if (left)
        status.append(QStringLiteral("%1 of the label database's entries %2 left out because %3 not sound.")
                          .arg(left)
                          .arg(left == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                               left == 1 ? QStringLiteral("it is") : QStringLiteral("they are")));
    status_->setText(status.join(QLatin1Char(' ')));
    status_->setVisible(!status.isEmpty());
    details_->setVisible(left > 0);

    const auto [brand, part] = memory_.lastProduct();
    const stock::Product* last = brand.isEmpty() ? nullptr : database_->find(brand, part);
    choose(last && offered(*last) ? last : nullptr, false);
    fillList();
    showSettingsProblem();
}

void StockTab::setDesign(ui::LengthSize size, bool roundLabelsAllowed)
{
    design_ = size;
    roundAllowed_ = roundLabelsAllowed;
    if (product_ && !offered(*product_)) {
        choose(nullptr, false);
    } else {
        fitToDesign();
        showFit();
    }
    fillList();
}

void StockTab::setDiscFace(std::function<platform::DiscFacePreview(const stock::Choice&)> face)
{
    makeFace_ = std::move(face);
    showFace();
}

bool StockTab::faceChosen() const
{
    if (!makeFace_ || !stock::discFaceOffered(product_ ? std::optional(*product_) : std::nullopt))
        return false;
    return product_ ? layout_->currentData().toBool() : plainFace_->isChecked();
}

// The layout offered for the product, and the face as it will print.
void StockTab::showFace()
{
    const bool offered = makeFace_ && stock::discFaceOffered(product_ ? std::optional(*product_) : std::nullopt);
    layout_->setVisible(offered && product_);
    layoutLabel_->setVisible(offered && product_);
    plainFace_->setVisible(offered && !product_);
    std::shared_ptr<const platform::Printable> face;
    QString fit;
    if (faceChosen()) {
        const platform::DiscFacePreview preview = makeFace_(choice());
        face = preview.face;
        fit = preview.fit;
    }
    faceFit_->setText(fit);
    faceFit_->setVisible(!fit.isEmpty());
    fit_->setEnabled(product_ && !face);
    sheet_->setFace(face);
    showFit();
    showNotes();
}

void StockTab::setPrinter(const QString& queue)
{
    printer_ = queue;
    const stock::StoredCalibration stored =
        queue.isEmpty() ? stock::StoredCalibration() : stock::readCalibration(settings_, queue);
    calibration_ = stored.calibration;
    storedUnsound_ = !stored.problem.isEmpty();
    calibrationNote_ = storedUnsound_ ? QStringLiteral(
                                            "The calibration stored for this printer is not used: %1 "
                                            "It prints without one until its figures are typed again.")
                                            .arg(stored.problem)
                                      : QString();
    showCalibration();
}

bool StockTab::offered(const stock::Product& product) const
{
    return roundAllowed_ || product.shape.kind == stock::LabelShape::Rectangle;
}

void StockTab::fillList()
{
    const QSignalBlocker blocker(list_);
    const QString query = search_->text();
    listed_.clear();
    for (const stock::Product* p : database_->search(query)) {
        if (!p || offered(*p))
            listed_.append(p);
    }
    // Plain paper alone: nothing matches, and the closest products follow it.
    const bool nothingMatches = listed_.size() == 1 && !query.trimmed().isEmpty();
    qsizetype nearest = 0;
    if (nothingMatches) {
        QList<const stock::Product*> candidates;  // in the order of a search, media first
        for (const stock::Product* p : database_->search(QString())) {
            if (p && offered(*p))
                candidates.append(p);
        }
        const QList<const stock::Product*> near = stock::nearestProducts(candidates, query, kMostNearest);
        nearest = near.size();
        listed_ += near;
    }
    showSearchNote(nothingMatches, nearest);
    // What is chosen is what the list shows.
    if (!listed_.contains(product_))
        choose(nothingMatches ? nullptr : listed_.value(1), true);

    list_->clear();
    for (const stock::Product* p : std::as_const(listed_)) {
        auto* item = new QListWidgetItem(listText(p), list_);
        item->setToolTip(item->text());
        item->setData(Qt::AccessibleTextRole, item->text());
    }
    list_->setCurrentRow(int(listed_.indexOf(product_)));
    list_->scrollToTop();
    if (QListWidgetItem* current = list_->currentItem())
        list_->scrollToItem(current);
}

void StockTab::showSearchNote(bool nothingMatches, qsizetype nearest)
{
    const QString query = search_->text().simplified();
    QString note;
    if (nothingMatches)
        note = nearest == 0 ? QStringLiteral("Nothing matches \u201c%1\u201d.").arg(query)
               : nearest == 1
                   ? QStringLiteral("Nothing matches \u201c%1\u201d. The closest product follows plain paper below.")
                         .arg(query)
                   : QStringLiteral("Nothing matches \u201c%1\u201d. The %2 closest products follow plain paper below.")
                         .arg(query)
                         .arg(nearest);
    // A product of that name that the database has but leaves out says why.
    if (const stock::Rejection* left = nothingMatches ? database_->leftOut(query) : nullptr)
        note += QStringLiteral(" %1 %2 is in the label database but left out: %3.")
                    .arg(left->brand, left->part, left->reason);
    searchNote_->setText(note);
    searchNote_->setVisible(!note.isEmpty());
}

// The entries of the label database that were left out, each with why.
void StockTab::showLeftOut()
{
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("leftOutDialog"));
    dialog->setWindowTitle(QStringLiteral("Label products left out"));
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("leftOut"));
    list->setAccessibleName(QStringLiteral("Entries left out"));
    list->setWordWrap(true);
    for (const stock::Rejection& r : database_->rejected()) {
        const QString file = QFileInfo(r.file).fileName();
        const QString where = r.line > 0 ? QStringLiteral("%1, line %2").arg(file).arg(r.line) : file;
        auto* item = new QListWidgetItem(r.brand.isEmpty()
                                             ? QStringLiteral("%1: %2").arg(file, r.reason)
                                             : QStringLiteral("%1 %2: %3 (%4)").arg(r.brand, r.part, r.reason, where),
                                         list);
        item->setToolTip(r.text());
    }
    auto* label =
        new QLabel(QStringLiteral("These entries of the label database are not offered, each for the "
                                  "reason given:"));
    label->setWordWrap(true);
    label->setBuddy(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    dialog->resize(640, 320);
    dialog->open();
}

// The product is chosen by the user (and remembered), or brought back or
// kept when the tab is set up.
void StockTab::choose(const stock::Product* product, bool byUser)
{
    product_ = product;
    first_ = product ? firstFree() : 1;
    if (byUser && !memory_.setLastProduct(product))
        showSettingsProblem();
    fitToDesign();
    for (QWidget* w : std::initializer_list<QWidget*>{copies_, fit_, outline_, newSheet_, calibrationPage_})
        w->setEnabled(product != nullptr);
    {
        const QSignalBlocker blocker(layout_);
        layout_->setCurrentIndex(stock::discFaceByDefault(product ? std::optional(*product) : std::nullopt) ? 0 : 1);
    }
    showFace();
    collect_->setEnabled(product && collected_);
    if (!product)
        collect_->setChecked(false);
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
    if (product_ && !design_.isEmpty() && stock::place(design_, product_->shape.size, stock::Fit::ActualSize).larger)
        fit_->setCurrentIndex(fit_->findData(int(stock::Fit::ShrinkToFit)));
}

void StockTab::showSheet()
{
    const int copies = copies_->value();
    shownUsed_ = product_ ? memory_.usedCells(*product_) : QList<int>();
    sheet_->setSheet(product_, shownUsed_, first_, copies);
    showCollected();
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

void StockTab::setCollected(stock::CollectedLabels* collected)
{
    collected_ = collected;
    choose(product_, false);
}

QList<int> StockTab::collectedCells() const
{
    QList<int> cells;
    if (collected_ && product_) {
        for (const stock::CollectedLabels::Label& label : collected_->collected(*product_))
            cells.append(label.cell);
    }
    return cells;
}

// The first label neither used nor collected; 1 when there is none.
int StockTab::firstFree() const
{
    const QList<int> used = memory_.usedCells(*product_);
    const QList<int> collected = collectedCells();
    for (int cell = 1; cell <= product_->cellCount(); ++cell) {
        if (!used.contains(cell) && !collected.contains(cell))
            return cell;
    }
    return collected.isEmpty() ? memory_.firstFreeCell(*product_) : 1;
}

// The collected labels on the sheet picture, and what there is to say of
// them.
void StockTab::showCollected()
{
    QList<stock::CollectedLabels::Label> labels;
    if (collected_ && product_)
        labels = collected_->collected(*product_);
    if (collected_)
        collectedNotes_ += collected_->takeNotes();
    sheet_->setCollected(labels, choice());
    QStringList text = collectedNotes_;
    if (!labels.isEmpty()) {
        QList<int> taken = shownUsed_;
        for (const stock::CollectedLabels::Label& label : labels)
            taken.append(label.cell);
        int free = 0;
        for (int cell = 1; cell <= product_->cellCount(); ++cell)
            free += taken.contains(cell) ? 0 : 1;
        text.append(free == 0
                        ? QStringLiteral("The collected sheet is full: %1 labels. Choose Print collected sheet to "
                                         "print it.")
                              .arg(labels.size())
                        : QStringLiteral("%1 %2 collected on this sheet, %3 free.")
                              .arg(labels.size())
                              .arg(labels.size() == 1 ? QStringLiteral("label") : QStringLiteral("labels"))
                              .arg(free));
    }
    collectedNote_->setText(text.join(QLatin1Char(' ')));
    collectedNote_->setVisible(!text.isEmpty());
    const bool any = !labels.isEmpty();
    collect_->setVisible(collected_ != nullptr);
    printCollectedButton_->setVisible(collected_ != nullptr);
    removeCollected_->setVisible(collected_ != nullptr);
    printCollectedButton_->setEnabled(any);
    removeCollected_->setEnabled(any);
}

void StockTab::showFit()
{
    if (!product_ || design_.isEmpty() || faceChosen()) {
        scale_->setText(QString());
        return;
    }
    const auto fit = stock::Fit(fit_->currentData().toInt());
    const stock::Placement placement = stock::place(design_, product_->shape.size, fit);
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
            notes.append(faceChosen() ? QStringLiteral("The label is round: the disc face keeps to its edge.")
                                      : QStringLiteral("The label is round: the design's corners are cut off."));
            break;
        case stock::LabelShape::Cd:
            notes.append(
                faceChosen()
                    ? QStringLiteral("This is a CD label: the disc face keeps to its ring.")
                    : QStringLiteral("This is a CD label: the design's corners and the centre hole are cut off."));
            break;
        }
    }
    if (product_ && product_->overhang > ui::Length())
        notes.append(QStringLiteral("The labels reach past the paper's edge by %1 mm and are cut there.")
                         .arg(QLocale().toString(product_->overhang.toMm(), 'f', 1)));
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

void StockTab::calibrationEdited()
{
    if (printer_.isEmpty())
        return;
    const stock::Calibration edited{right_->value(), down_->value(), across_->value(), downScale_->value()};
    const QString problem = edited.problem();
    if (!problem.isEmpty()) {
        calibrationRefused(problem);
        return;
    }
    if (edited != calibration_ || storedUnsound_) {
        stock::saveCalibration(settings_, printer_, edited);
        storedUnsound_ = false;
        showSettingsProblem();
    }
    calibration_ = edited;
    calibrationNote_.clear();
    showCalibration();
}

// The figure typed is not taken, and the tab says why next to the figures
// as they are.
void StockTab::calibrationRefused(const QString& why)
{
    calibrationNote_ = QStringLiteral("Refused: %1 The calibration stays as it was.").arg(why);
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
    const std::pair<DecimalBox*, double> values[] = {{right_, calibration_.rightMm},
                                                     {down_, calibration_.downMm},
                                                     {across_, calibration_.acrossPercent},
                                                     {downScale_, calibration_.downPercent}};
    for (const auto& [box, value] : values) {
        const QSignalBlocker blocker(box);
        box->setValue(value);
    }
    calibrationStatus_->setText(
        calibrationNote_.isEmpty()
            ? QStringLiteral("What the printer does, measured on the calibration page; Tessera undoes it on "
                             "label sheets.")
            : calibrationNote_);
}

stock::Choice StockTab::choice() const
{
    stock::Choice c;
    c.calibration = calibration_;
    c.discFace = faceChosen();
    if (!product_)
        return c;
    c.product = *product_;
    c.firstCell = first_;
    c.copies = copies_->value();
    c.fit = stock::Fit(fit_->currentData().toInt());
    c.outline = outline_->isChecked();
    c.usedWhenChosen = shownUsed_;
    c.collect = collect_->isChecked() && collected_;
    c.printCollected = printCollected_;
    return c;
}

}  // namespace stockui
