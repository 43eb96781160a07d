// The "Label stock" tab: choosing a product and the label to print on by
// keyboard, mouse and assistive technology, searching, what is remembered
// between runs and when it is written, round labels, the paper, and printer
// calibration in the user's own way of writing figures.

#include "support/Harness.h"

#include "support/PdfProbe.h"

#include "collection/Collections.h"
#include "document/DiscFace.h"
#include "document/TemplateDocument.h"
#include "platform/ScriptedPictures.h"
#include "platform/ScriptedPrinter.h"
#include "output/Pipeline.h"
#include "platform/Printer.h"
#include "platform/Settings.h"
#include "stock/CalibrationPage.h"
#include "stock/SheetMemory.h"
#include "stockui/SheetView.h"
#include "stockui/StockTab.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using namespace stock;
using stockui::StockTab;

namespace {

constexpr double kMm = 72 / 25.4;
// The floppy disk label, 4425 x 3300 twips: larger than a 2.75 in square.
const ui::LengthSize kFloppyMm = ui::LengthSize::mm(QSizeF(4425 * 25.4 / 1440, 3300 * 25.4 / 1440));

const QByteArray kProducts = R"(<?xml version="1.0"?>
<Glabels-templates>
  <Template brand="Avery" part="5196" size="US-Letter" _description="Diskette Labels">
    <Meta category="media"/>
    <Label-rectangle id="0" width="2.75in" height="2.75in" round="0.0625in">
      <Layout nx="3" ny="3" x0="0.125in" y0="0.5in" dx="2.75in" dy="3in"/>
    </Label-rectangle>
  </Template>
  <Template brand="Acme" part="CD-2" size="A4" _description="CD Labels">
    <Meta category="media"/>
    <Label-cd id="0" radius="58.5mm" hole="20.5mm">
      <Layout nx="1" ny="2" x0="46.5mm" y0="21.5mm" dy="137mm"/>
    </Label-cd>
  </Template>
  <Template brand="Acme" part="R-40" size="A4" _description="Round stickers">
    <Label-round id="0" radius="20mm"><Layout nx="4" ny="6" x0="10mm" y0="10mm" dx="45mm" dy="45mm"/></Label-round>
  </Template>
  <Template brand="Edge" part="E-1" size="A4" _description="Wide labels">
    <Label-rectangle id="0" width="50mm" height="30mm"><Layout nx="1" ny="1" x0="-1.5mm" y0="10mm"/></Label-rectangle>
  </Template>
  <Template brand="Bad" part="zero" size="A4" _description="Nothing">
    <Label-rectangle id="0" width="0mm" height="5mm"><Layout nx="1" ny="1"/></Label-rectangle>
  </Template>
</Glabels-templates>
)";

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write(bytes);
}

template <class T>
T* find(QWidget& tab, const char* name)
{
    T* w = tab.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

QStringList rows(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

// Prints a floppy label on `choice` to a queue, as the print manager does.
void printOn(const stock::Choice& choice, platform::Settings& settings)
{
    platform::ScriptedPrinter printer;
    const document::TemplateDocument label(LabelKind::Floppy);
    output::print({&label}, choice, platform::Destination{{}, printer.defaultQueue(), QPageLayout()},
                  QStringLiteral("label"), {printer, settings});
}

QString name(QAccessibleInterface* iface) { return iface ? iface->text(QAccessible::Name) : QStringLiteral("(none)"); }

// The tab on a dialog whose default button, OK, accepts it.
StockTab* inDialog(QDialog& dialog, platform::Settings& settings, const ProductDatabase::Sources& sources)
{
    auto* tab = new StockTab(settings, sources);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(tab);
    layout->addWidget(ok);
    return tab;
}

// Types into a number box as a user does, replacing what it shows.
void typeNumber(QAbstractSpinBox* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

}  // namespace

class StockTabTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ProductDatabase::Sources sources_;

    QString settingsFile(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private Q_SLOTS:
    void initTestCase()
    {
        configureTestApplication();
        QLocale::setDefault(QLocale::c());
        QVERIFY(dir_.isValid());
        const QString folder = dir_.filePath(QStringLiteral("system"));
        QVERIFY(QDir().mkpath(folder));
        write(folder + QStringLiteral("/paper-sizes.xml"),
              "<Glabels-paper-sizes>"
              "<Paper-size id=\"A4\" _name=\"A4\" width=\"210mm\" height=\"297mm\"/>"
              "<Paper-size id=\"US-Letter\" _name=\"US Letter\" width=\"8.5in\" height=\"11in\"/>"
              "</Glabels-paper-sizes>");
        write(folder + QStringLiteral("/test-templates.xml"), kProducts);
        // Enough products to scroll through, one of them with a long name.
        QByteArray fillers = "<Glabels-templates>";
        for (int i = 1; i <= 30; ++i)
            fillers += QStringLiteral(R"(<Template brand="Filler" part="F-%1" size="A4" _description="%2">
                <Label-rectangle id="0" width="50mm" height="20mm"><Layout nx="2" ny="5" x0="10mm" y0="10mm"
                dx="60mm" dy="30mm"/></Label-rectangle></Template>)")
                           .arg(i)
                           .arg(i == 30 ? QStringLiteral("Parcel labels for letters, boxes and the cases of "
                                                         "removable disks, weatherproof and easy to peel off")
                                        : QStringLiteral("Address labels"))
                           .toUtf8();
        write(folder + QStringLiteral("/filler-templates.xml"), fillers + "</Glabels-templates>");
        sources_.systemFolders = {folder};
    }

    void choosingALabelPrintingAndTheNextRun()
    {
        const QString file = settingsFile("choosing.conf");
        platform::Settings settings(file);
        StockTab tab(settings, sources_);
        tab.setDesign(kFloppyMm, false);
        tab.setPrinter(QStringLiteral("Test"));
        QSignalSpy pages(&tab, &StockTab::pageWanted);
        auto* list = find<QListWidget>(tab, "products");
        auto* sheet = find<stockui::SheetView>(tab, "sheet");

        // Nothing is read until the tab is shown; showing it and printing on plain
        // paper write nothing.
        QVERIFY(!tab.loaded());
        QCOMPARE(rows(list), QStringList{plainPaperText()});
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        QVERIFY(tab.loaded());
        QVERIFY(tab.choice().plainPaper());
        QVERIFY(find<QLabel>(tab, "status")->text().startsWith(u"1 of the label database's entries is left out"));
        // Which one and why, where a user started from the menu reads it.
        QTest::mouseClick(find<QPushButton>(tab, "details"), Qt::LeftButton);
        auto* leftOut = tab.findChild<QDialog*>(QStringLiteral("leftOutDialog"));
        QVERIFY(leftOut && leftOut->isVisible());
        const QStringList why = rows(find<QListWidget>(*leftOut, "leftOut"));
        QCOMPARE(why.size(), 1);
        QVERIFY2(why[0].startsWith(u"Bad zero: ") && why[0].contains(u"(test-templates.xml, line "),
                 qPrintable(why[0]));
        leftOut->close();
        printOn(tab.choice(), settings);  // on plain paper
        QVERIFY(!QFile::exists(file));

        // Every control is named for assistive technology.
        for (const char* control : {"search", "products", "details", "sheet", "copies", "fit", "outline", "newSheet",
                                    "right", "down", "across", "downScale", "calibrationPage"})
            QVERIFY2(!name(QAccessible::queryAccessibleInterface(find<QWidget>(tab, control))).remove(u'&').isEmpty(),
                     control);

        QTest::keyClicks(find<QLineEdit>(tab, "search"), QStringLiteral("5196"));
        QCOMPARE(rows(list),
                 (QStringList{plainPaperText(), QStringLiteral("Avery 5196: Diskette Labels (9 on US-Letter)")}));
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(tab.choice().product->name(), QStringLiteral("Avery 5196"));
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0][0].value<QPageSize>().id(), QPageSize::Letter);
        // The floppy label is shrunk to the 2.75 in square.
        QCOMPARE(tab.choice().fit, Fit::ShrinkToFit);
        QCOMPARE(find<QLabel>(tab, "scale")->text(), QStringLiteral("at 89.5 %"));

        // The sheet's labels, each at its place, pressable.
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(sheet);
        QCOMPARE(face->childCount(), 9);
        QCOMPARE(name(face->child(0)), QStringLiteral("Row 1, column 1, first to print"));
        QAccessibleInterface* five = face->child(4);
        QCOMPARE(name(five), QStringLiteral("Row 2, column 2, free"));
        const QRect fiveRect = five->rect();
        QVERIFY(QRect(sheet->mapToGlobal(QPoint(0, 0)), sheet->size()).contains(fiveRect));
        QVERIFY(fiveRect.center().x() > face->child(3)->rect().right());
        QVERIFY(fiveRect.center().y() > face->child(1)->rect().bottom());
        QTest::mouseClick(sheet, Qt::LeftButton, {}, sheet->mapFromGlobal(fiveRect.center()));
        QCOMPARE(tab.choice().firstCell, 5);
        QCOMPARE(name(five), QStringLiteral("Row 2, column 2, first to print"));
        sheet->setFocus();
        QTest::keyClick(sheet, Qt::Key_Right);
        QTest::keyClick(sheet, Qt::Key_Space);
        QCOMPARE(tab.choice().firstCell, 6);
        QTest::keyClick(sheet, Qt::Key_Up);
        QTest::keyClick(sheet, Qt::Key_Space);
        QCOMPARE(tab.choice().firstCell, 3);
        five->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(tab.choice().firstCell, 5);

        typeNumber(find<QSpinBox>(tab, "copies"), QStringLiteral("2"));
        QCOMPARE(tab.choice().copies, 2);
        QCOMPARE(name(face->child(5)), QStringLiteral("Row 2, column 3, to print"));

        // A print on cells 5 and 6 uses them and those before: the next
        // starts at 7. The next run brings back the product and its sheet,
        // and writes nothing.
        printOn(tab.choice(), settings);
        const QDateTime long_ago(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(long_ago, QFileDevice::FileModificationTime));
        }
        {
            platform::Settings again(file);
            StockTab next(again, sources_);
            next.setDesign(kFloppyMm, false);
            next.show();
            QVERIFY(QTest::qWaitForWindowExposed(&next));
            QCOMPARE(next.choice().product->name(), QStringLiteral("Avery 5196"));
            QCOMPARE(next.choice().firstCell, 7);
            QAccessibleInterface* nextSheet = QAccessible::queryAccessibleInterface(find<QWidget>(next, "sheet"));
            QCOMPARE(name(nextSheet->child(0)), QStringLiteral("Row 1, column 1, used"));
            QCOMPARE(name(nextSheet->child(5)), QStringLiteral("Row 2, column 3, used"));
        }
        QCOMPARE(QFileInfo(file).lastModified().toUTC(), long_ago);

        // A new sheet starts at its first label.
        QTest::mouseClick(find<QPushButton>(tab, "newSheet"), Qt::LeftButton);
        QCOMPARE(tab.choice().firstCell, 1);
        QCOMPARE(name(face->child(2)), QStringLiteral("Row 1, column 3, free"));

        // A print that fills the sheet leaves a new one.
        typeNumber(find<QSpinBox>(tab, "copies"), QStringLiteral("9"));
        printOn(tab.choice(), settings);
        QCOMPARE(SheetMemory(settings).usedCells(*tab.choice().product), QList<int>());
        QCOMPARE(SheetMemory(settings).firstFreeCell(*tab.choice().product), 1);
    }

    // What is chosen is always what the list shows: a search that hides the
    // product chooses its first match, shown from the top, or plain paper
    // when nothing matches, and then offers the closest products. Each
    // product reads whole, on screen and to assistive technology.
    void aSearchChoosesWhatItShows()
    {
        platform::Settings settings(settingsFile("search.conf"));
        StockTab tab(settings, sources_);
        tab.setDesign(kFloppyMm, true);
        tab.resize(900, 420);
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        auto* search = find<QLineEdit>(tab, "search");
        auto* list = find<QListWidget>(tab, "products");
        auto* note = find<QLabel>(tab, "searchNote");
        QAccessibleInterface* sheet = QAccessible::queryAccessibleInterface(find<QWidget>(tab, "sheet"));
        const auto searchFor = [&](const QString& text) {
            search->selectAll();
            QTest::keyClicks(search, text);
        };

        list->setCurrentRow(list->count() - 1);
        QCOMPARE(tab.choice().product->name(), QStringLiteral("Filler F-30"));
        QVERIFY(list->verticalScrollBar()->value() > 0);
        searchFor(QStringLiteral("address"));
        QCOMPARE(tab.choice().product->name(), QStringLiteral("Filler F-1"));
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(list->verticalScrollBar()->value(), 0);
        QVERIFY(list->verticalScrollBar()->maximum() > 0);
        searchFor(QStringLiteral("cd"));
        QCOMPARE(tab.choice().product->name(), QStringLiteral("Acme CD-2"));
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(sheet->childCount(), 2);
        QCOMPARE(find<QLabel>(tab, "first")->text(), QStringLiteral("Starts on label 1 of 2 and takes 1 sheet."));
        QCOMPARE(find<QLabel>(tab, "scale")->text(), QStringLiteral("at 100 %"));
        QCOMPARE(SheetMemory(settings).lastProduct(), std::pair(QStringLiteral("Acme"), QStringLiteral("CD-2")));
        QVERIFY(!note->isVisible());

        // Nothing matches: plain paper, and the closest products, which a
        // misspelt brand or word was meant to be; the one chosen from them
        // stays while it is offered.
        searchFor(QStringLiteral("zzzzzz"));
        QVERIFY(tab.choice().plainPaper());
        QCOMPARE(sheet->childCount(), 0);
        QCOMPARE(rows(list), QStringList{plainPaperText()});
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("Nothing matches \u201czzzzzz\u201d."));
        searchFor(QStringLiteral("avry 5196"));
        QVERIFY(tab.choice().plainPaper());
        QCOMPARE(note->text(), QStringLiteral("Nothing matches \u201cavry 5196\u201d. The closest product follows "
                                              "plain paper below."));
        QCOMPARE(rows(list),
                 (QStringList{plainPaperText(), QStringLiteral("Avery 5196: Diskette Labels (9 on US-Letter)")}));
        list->setCurrentRow(1);
        QCOMPARE(tab.choice().product->name(), QStringLiteral("Avery 5196"));
        searchFor(QStringLiteral("diskete"));
        QCOMPARE(tab.choice().product->name(), QStringLiteral("Avery 5196"));
        QCOMPARE(list->currentRow(), 1);
        // A product the database has but leaves out says why; one whose
        // labels reach past the paper says where they are cut.
        searchFor(QStringLiteral("bad zero"));
        QVERIFY2(note->text().contains(QStringLiteral("Bad zero is in the label database but left out: ")),
                 qPrintable(note->text()));
        searchFor(QStringLiteral("edge"));
        list->setCurrentRow(1);
        QCOMPARE(tab.choice().product->name(), QStringLiteral("Edge E-1"));
        QVERIFY2(find<QLabel>(tab, "notes")
                     ->text()
                     .contains(QStringLiteral("The labels reach past the paper's edge by 1.5 mm and are cut there.")),
                 qPrintable(find<QLabel>(tab, "notes")->text()));

        search->clear();
        QVERIFY(!note->isVisible());
        const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
        for (int i = 0; i < list->count(); ++i) {
            const QListWidgetItem* item = list->item(i);
            QCOMPARE(item->toolTip(), item->text());
            QCOMPARE(item->data(Qt::AccessibleTextRole).toString(), item->text());
            const QRect shown = list->visualItemRect(item);
            const QRect needed = list->fontMetrics().boundingRect(QRect(0, 0, shown.width() - 2 * margin, 1000),
                                                                  Qt::TextWordWrap, item->text());
            QVERIFY2(shown.width() <= list->viewport()->width() && needed.height() <= shown.height(),
                     qPrintable(item->text()));
        }
    }

    // Tab goes through the tab as it reads, column by column; on the sheet,
    // Space chooses the first label and Enter is the dialog's OK, as its
    // words say.
    void keysGoAsTheTabReads()
    {
        platform::Settings settings(settingsFile("keys.conf"));
        QDialog dialog;
        StockTab* tab = inDialog(dialog, settings, sources_);
        tab->setDesign(kFloppyMm, false);
        tab->setPrinter(QStringLiteral("Test"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        find<QListWidget>(*tab, "products")->setCurrentRow(1);

        const QStringList reading = {"search", "products",  "details",        "sheet", "copies",
                                     "fit",    "outline",   "newSheet",       "right", "down",
                                     "across", "downScale", "calibrationPage"};
        QStringList order;
        QWidget* const first = find<QWidget>(*tab, "search");
        QWidget* w = first;
        do {
            if (reading.contains(w->objectName()) && !order.contains(w->objectName()))
                order.append(w->objectName());
            w = w->nextInFocusChain();
        } while (w != first);
        QCOMPARE(order, reading);

        auto* sheet = find<stockui::SheetView>(*tab, "sheet");
        QLabel* sheetLabel = nullptr;
        for (QLabel* label : tab->findChildren<QLabel*>())
            sheetLabel = label->buddy() == sheet ? label : sheetLabel;
        QVERIFY(sheetLabel && sheetLabel->text().contains(u"a click or Space chooses the first label") &&
                sheetLabel->text().contains(u"Enter is OK"));
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        sheet->setFocus();
        QTest::keyClick(sheet, Qt::Key_Right);
        QTest::keyClick(sheet, Qt::Key_Space);
        QCOMPARE(tab->choice().firstCell, 2);
        QTest::keyClick(sheet, Qt::Key_Right);
        QTest::keyClick(sheet, Qt::Key_Return);
        QCOMPARE(accepted.size(), 1);
        QCOMPARE(tab->choice().firstCell, 2);
    }

    // Figures are read as the user writes them: with the locale's decimal
    // separator or a dot. What could be read two ways is refused with a
    // note, never taken for ten times the figure, and Return does not
    // confirm the dialog over it; the note goes once a figure is taken.
    void figuresAreReadAsTheUserWritesThem()
    {
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        platform::Settings settings(settingsFile("locale.conf"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        {
            StockTab tab(settings, sources_);
            tab.setPrinter(QStringLiteral("Test"));
            tab.show();
            auto* right = find<QDoubleSpinBox>(tab, "right");
            typeNumber(right, QStringLiteral("1.5"));
            typeNumber(find<QDoubleSpinBox>(tab, "down"), QStringLiteral("-0,8"));
            typeNumber(find<QDoubleSpinBox>(tab, "across"), QStringLiteral("99.5"));
            QCOMPARE(tab.choice().calibration, (Calibration{1.5, -0.8, 99.5, 100}));
            QCOMPARE(right->text(), QStringLiteral("1,50 mm"));
        }

        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QDialog dialog;
        StockTab* tab = inDialog(dialog, settings, sources_);
        tab->setPrinter(QStringLiteral("Test"));
        dialog.show();
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        auto* right = find<QDoubleSpinBox>(*tab, "right");
        auto* status = find<QLabel>(*tab, "calibrationStatus");
        typeNumber(right, QStringLiteral("2,5"));
        QCOMPARE(right->value(), 1.5);
        QCOMPARE(tab->choice().calibration.rightMm, 1.5);
        QVERIFY2(status->text().startsWith(u"Refused: \u201c2,5\u201d could be 2.5 or 25"), qPrintable(status->text()));
        QCOMPARE(accepted.size(), 0);
        typeNumber(right, QStringLiteral("2.5"));
        QCOMPARE(tab->choice().calibration.rightMm, 2.5);
        QVERIFY2(!status->text().contains(u"Refused"), qPrintable(status->text()));
        QCOMPARE(accepted.size(), 1);
    }

    void roundLabelsAndThePaper()
    {
        platform::Settings settings(settingsFile("round.conf"));
        StockTab tab(settings, sources_);
        tab.setDesign(kFloppyMm, false);
        tab.show();
        auto* list = find<QListWidget>(tab, "products");
        QTest::keyClicks(find<QLineEdit>(tab, "search"), QStringLiteral("acme"));
        QCOMPARE(rows(list), QStringList{plainPaperText()});

        // The card may lose its corners: round and CD labels are offered.
        tab.setDesign(kFloppyMm, true);
        QCOMPARE(rows(list), (QStringList{plainPaperText(), QStringLiteral("Acme CD-2: CD Labels (2 on A4)"),
                                          QStringLiteral("Acme R-40: Round stickers (24 on A4)")}));
        QSignalSpy pages(&tab, &StockTab::pageWanted);
        list->setCurrentRow(1);
        auto* notes = find<QLabel>(tab, "notes");
        QVERIFY(notes->text().contains(u"corners and the centre hole are cut off"));
        // The product's paper wins over the dialog's own page, and the tab says so.
        QVERIFY(notes->text().contains(u"The label product sets the paper: A4, portrait."));
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0][0].value<QPageSize>().id(), QPageSize::A4);
        QCOMPARE(pages[0][1].value<QPageLayout::Orientation>(), QPageLayout::Portrait);

        // A design that may not lose its corners goes back to plain paper.
        tab.setDesign(kFloppyMm, false);
        QVERIFY(tab.choice().plainPaper());
    }

    // A CD job on round labels: the disc face by default on CD labels, the
    // sleeve on round stickers, "As a disc face" on plain paper; the sheet
    // shows the face where it prints, and the tab says what fits, as the
    // print then has it.
    void aCdJobOnRoundLabelsIsADiscFace()
    {
        platform::Settings settings(settingsFile("disc.conf"));
        document::TemplateDocument text(LabelKind::Cd);
        text.setDiskName(1, QStringLiteral("Holiday pictures"));
        QStringList lines;
        for (int i = 1; i <= text.fieldCount(); ++i)
            lines << QStringLiteral("line%1 of a listing whose names run on for a while.txt")
                         .arg(i, 2, 10, QLatin1Char('0'));
        text.fill(lines);
        StockTab tab(settings, sources_);
        tab.setDesign(text.size(), true);
        tab.setDiscFace([&text](const stock::Choice& choice) {
            std::shared_ptr<const document::DiscFace> face = document::discFaceFor(text, choice);
            return platform::DiscFacePreview{face, face ? face->fitNote() : QString()};
        });
        tab.resize(1100, 600);
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        auto* layout = find<QComboBox>(tab, "layout");
        auto* plain = find<QCheckBox>(tab, "plainDiscFace");
        auto* fit = find<QLabel>(tab, "discFit");
        auto* sheet = find<stockui::SheetView>(tab, "sheet");

        // Plain paper: the sleeve unless asked for the face.
        QVERIFY(plain->isVisible() && !layout->isVisible() && !fit->isVisible());
        QVERIFY(!tab.choice().discFace);
        plain->click();
        QVERIFY(tab.choice().discFace && fit->isVisible());

        QTest::keyClicks(find<QLineEdit>(tab, "search"), QStringLiteral("acme"));
        auto* list = find<QListWidget>(tab, "products");
        list->setCurrentRow(1);
        QCOMPARE(tab.choice().product->name(), QStringLiteral("Acme CD-2"));
        QVERIFY(layout->isVisible() && !plain->isVisible());
        QCOMPARE(layout->currentText(), QStringLiteral("Disc face"));
        QVERIFY(tab.choice().discFace);
        const std::unique_ptr<document::DiscFace> face = document::discFaceFor(text, tab.choice());
        QVERIFY(face);
        QCOMPARE(fit->text(), QStringLiteral("%1 of 45 lines fit on the disc").arg(face->linesShown()));
        QCOMPARE(name(QAccessible::queryAccessibleInterface(fit)), fit->text());
        QCOMPARE(name(QAccessible::queryAccessibleInterface(layout)), QStringLiteral("Disc face"));

        // The first label shows the face's text, where the sleeve shows its state alone.
        const QRect firstDisc = QAccessible::queryAccessibleInterface(sheet)->child(0)->rect().translated(
            -sheet->mapToGlobal(QPoint(0, 0)));
        const QImage withFace = sheet->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
        layout->setCurrentIndex(layout->findText(QStringLiteral("Sleeve, cut to the disc")));
        QVERIFY(!tab.choice().discFace && !fit->isVisible());
        // Text drawn inside the ring, away from its outlines, over the light fill.
        const QPointF centre = QRectF(firstDisc).center();
        const double outer = firstDisc.width() / 2.0 - 3, inner = firstDisc.width() / 2.0 * 20.5 / 58.5 + 3;
        int inked = 0, ring = 0;
        for (int y = firstDisc.top(); y <= firstDisc.bottom(); ++y)
            for (int x = firstDisc.left(); x <= firstDisc.right(); ++x) {
                const double d = QLineF(centre, QPointF(x + 0.5, y + 0.5)).length();
                ring += d < outer && d > inner;
                inked += d < outer && d > inner && qGray(withFace.pixel(x, y)) < 150;
            }
        QVERIFY2(inked > 300 && inked < ring / 3, qPrintable(QStringLiteral("%1 of %2").arg(inked).arg(ring)));

        // Collected as a disc face, it prints as one, also once read again.
        {
            QTemporaryDir store;
            platform::ScriptedPictures pictures;
            const stock::Product cd = *tab.choice().product;
            QVERIFY(collection::Collections(pictures, store.path()).add(cd, text, {1}, true));
            QVERIFY(collection::Collections(pictures, store.path()).add(cd, text, {2}, false));
            collection::Collections reread(pictures, store.path());
            const QList<const platform::Printable*> printed = reread.of(cd).labels();
            QCOMPARE(printed.size(), 2);
            QVERIFY(dynamic_cast<const document::DiscFace*>(printed[0]));
            QCOMPARE(printed[1], static_cast<const platform::Printable*>(reread.of(cd).entries()[1].document.get()));
        }

        // Round stickers take the sleeve unless the face is chosen.
        list->setCurrentRow(2);
        QCOMPARE(tab.choice().product->name(), QStringLiteral("Acme R-40"));
        QVERIFY(layout->isVisible());
        QVERIFY(!tab.choice().discFace);
        layout->setCurrentIndex(layout->findText(QStringLiteral("Disc face")));
        const std::unique_ptr<document::DiscFace> small = document::discFaceFor(text, tab.choice());
        QVERIFY(small && small->linesShown() > 0 && small->linesShown() < 45);
        QCOMPARE(fit->text(), QStringLiteral("%1 of 45 lines fit on the disc").arg(small->linesShown()));
        // A job without a disc face is not offered one.
        tab.setDiscFace({});
        QVERIFY(!layout->isVisible() && !tab.choice().discFace);
    }

    void calibrationOfThePrinter()
    {
        platform::Settings settings(settingsFile("calibration.conf"));
        const QString printer = QStringLiteral("Office/Laser 2");
        StockTab tab(settings, sources_);
        tab.setPrinter(printer);
        tab.show();
        auto* right = find<QDoubleSpinBox>(tab, "right");
        auto* status = find<QLabel>(tab, "calibrationStatus");
        typeNumber(right, QStringLiteral("12"));
        QCOMPARE(tab.choice().calibration, Calibration{});
        QCOMPARE(right->value(), 0.0);
        QVERIFY(status->text().contains(u"from -10 mm to 10 mm"));
        QCOMPARE(settings.read().keys(), QStringList());

        // What the user measured is what the printer does; the print is moved
        // and scaled the other way. The note on a refused figure goes with it.
        typeNumber(right, QStringLiteral("1.5"));
        QVERIFY2(!status->text().contains(u"Refused"), qPrintable(status->text()));
        typeNumber(find<QDoubleSpinBox>(tab, "down"), QStringLiteral("-0.8"));
        typeNumber(find<QDoubleSpinBox>(tab, "across"), QStringLiteral("99.5"));
        const Calibration measured{1.5, -0.8, 99.5, 100};
        QCOMPARE(tab.choice().calibration, measured);
        QCOMPARE(loadCalibration(settings, printer), measured);
        const QPointF corner = measured.transform().map(QPointF(0, 0));
        QVERIFY(corner.x() < 0 && corner.y() > 0);

        // A stored calibration that is not sound is not used, and the tab says so.
        QVERIFY(settings.update([](platform::SettingsText& text) {
            text.setValue(QStringLiteral("stock/calibration/Other/printsAcross"), 200.0);
        }));
        tab.setPrinter(QStringLiteral("Other"));
        QCOMPARE(tab.choice().calibration, Calibration{});
        QVERIFY2(status->text().contains(u"stored for this printer is not used: A ruler must measure"),
                 qPrintable(status->text()));
        typeNumber(find<QDoubleSpinBox>(tab, "downScale"), QStringLiteral("100.4"));
        QCOMPARE(readCalibration(settings, QStringLiteral("Other")).problem, QString());
        QVERIFY(!status->text().contains(u"not used"));
        tab.setPrinter(QStringLiteral("Third"));
        QCOMPARE(tab.choice().calibration, Calibration{});
        QCOMPARE(right->value(), 0.0);
        tab.setPrinter(printer);
        QCOMPARE(find<QDoubleSpinBox>(tab, "down")->value(), -0.8);

        // The calibration page, for a product.
        QSignalSpy asked(&tab, &StockTab::calibrationPageRequested);
        auto* button = find<QPushButton>(tab, "calibrationPage");
        QVERIFY(!button->isEnabled());
        find<QListWidget>(tab, "products")->setCurrentRow(1);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(asked.size(), 1);

        // What it shows: outlines, a cross on each centre, rulers of 100 mm,
        // and what it is for and what to do with it.
        const CalibrationPage page = calibrationPage(*tab.choice().product, printer, QDate(2024, 5, 1));
        const QList<Cell> labels = cells(*tab.choice().product);
        QCOMPARE(page.crosses.size(), 2 * labels.size());
        for (const Cell& cell : labels) {
            QVERIFY(page.outlines.contains(cell.rect.center()));
            QVERIFY(!page.outlines.contains(cell.rect.topLeft() + QPointF(-1, -1)));
            QCOMPARE(page.crosses[2 * (cell.number - 1)].center(), cell.rect.center());
            QCOMPARE(page.crosses[2 * (cell.number - 1) + 1].center(), cell.rect.center());
        }
        QCOMPARE(page.rulers[0].dy(), 0.0);
        QCOMPARE(page.rulers[0].dx(), 100 * kMm);
        QCOMPARE(page.rulers[1].dx(), 0.0);
        QCOMPARE(page.rulers[1].dy(), 100 * kMm);
        QCOMPARE(page.rulers.size(), 2 + 2 * 101);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("calibration.pdf"));
        platform::ScriptedPrinter scripted;
        scripted.queues = {printer.toLocal8Bit()};
        output::printCalibrationPage(*tab.choice().product, printer.toLocal8Bit(), QStringLiteral("Calibration page"),
                                     {scripted, settings});
        write(pdf, scripted.jobs[0].pdf);
        const QString text = pdfprobe::text(pdf).simplified();
        for (const QString& said :
             {QStringLiteral("Calibration page for Avery 5196 (Diskette Labels), printer Office/Laser 2, ") +
                  QDate::currentDate().toString(Qt::ISODate),
              QStringLiteral("Lay this page on a sheet of Avery 5196"),
              QStringLiteral("\u201cCross right of centre\u201d (a cross left of the centre: negative)"),
              QStringLiteral("\u201cRuler across measures\u201d")})
            QVERIFY2(text.contains(said), qPrintable(text));
    }

    // Labels collected for a sheet show on the tab in their cells, named for
    // assistive technology, and Delete takes one off, in the stored file
    // too. A stored collection with a bad byte is set aside and said, and
    // the tab goes on working.
    void collectedLabelsOnTheSheet()
    {
        platform::Settings settings(settingsFile("collected.conf"));
        platform::ScriptedPictures pictures;
        const QString folder = dir_.filePath(QStringLiteral("collected"));
        const ProductDatabase database = ProductDatabase::load(sources_);
        const Product* product = database.find(QStringLiteral("Avery"), QStringLiteral("5196"));
        QVERIFY(product);
        {
            collection::Collections collections(pictures, folder);
            for (int cell : {1, 2}) {
                document::TemplateDocument label(LabelKind::Floppy);
                label.setDiskName(1, QStringLiteral("DISK %1").arg(cell + 6));
                QVERIFY(collections.add(*product, label, {cell}));
            }
            QCOMPARE(collections.cellsFor(*product, 2, 1, {}).error(),
                     QStringLiteral("Label 2 of Avery 5196 is taken already: the label was not collected. Choose a "
                                    "free first label."));
        }
        // A floppy label's tab, shown with the collections, on Avery 5196.
        const auto openOnTheSheet = [](StockTab& tab, collection::Collections& collections) {
            tab.setDesign(kFloppyMm, false);
            tab.setCollected(&collections);
            tab.show();
            if (!QTest::qWaitForWindowExposed(&tab))
                return false;
            QTest::keyClicks(find<QLineEdit>(tab, "search"), QStringLiteral("5196"));
            QTest::keyClick(find<QListWidget>(tab, "products"), Qt::Key_Down);
            return true;
        };
        collection::Collections collections(pictures, folder);
        StockTab tab(settings, sources_);
        QVERIFY(openOnTheSheet(tab, collections));
        QVERIFY(tab.choice().product);
        QCOMPARE(tab.choice().product->name(), QStringLiteral("Avery 5196"));
        QCOMPARE(tab.choice().firstCell, 3);
        auto* sheet = find<stockui::SheetView>(tab, "sheet");
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(sheet);
        QCOMPARE(name(view->child(1)), QStringLiteral("Row 1, column 2, collected: DISK 8"));
        QVERIFY(find<QPushButton>(tab, "printCollected")->isEnabled());

        // The picture draws the collected label where it prints: its ink
        // lies at the same place in its cell, within one picture pixel.
        tab.resize(1000, 700);
        QTest::qWait(20);
        const QImage picture = sheet->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
        const QRect shown = sheet->itemRect(0);
        QRect pictureInk;
        for (int y = shown.top() + 2; y < shown.bottom() - 1; ++y) {
            for (int x = shown.left() + 2; x < shown.right() - 1; ++x) {
                if (qGray(picture.pixel(x, y)) < 200)
                    pictureInk |= QRect(x, y, 1, 1);
            }
        }
        platform::ScriptedPrinter printer;
        platform::Settings elsewhere(settingsFile("collectedprint.conf"));
        stock::Choice printed = tab.choice();
        printed.copies = 1;
        printed.cells = collections.of(*product).cells();
        output::print(collections.of(*product).labels(), printed,
                      platform::Destination{{}, printer.defaultQueue(), QPageLayout()}, QStringLiteral("sheet"),
                      {printer, elsewhere});
        const QRectF cell = stock::cells(*product)[0].rect;
        const QRectF cellMm(cell.topLeft() / kMm, cell.size() / kMm);
        const QRectF ink = pdfprobe::inkBoxMm(pdfprobe::firstPage(pdfprobe::saved(printer.jobs[0].pdf)),
                                              cellMm.adjusted(0.6, 0.6, -0.6, -0.6));
        const double pixelsPerMm = shown.width() / cellMm.width();
        const QPointF expected = shown.topLeft() + (ink.topLeft() - cellMm.topLeft()) * pixelsPerMm;
        const QPointF expectedEnd = shown.topLeft() + (ink.bottomRight() - cellMm.topLeft()) * pixelsPerMm;
        qInfo("picture ink %d,%d-%d,%d; printed ink at %.1f,%.1f-%.1f,%.1f px", pictureInk.left(), pictureInk.top(),
              pictureInk.right() + 1, pictureInk.bottom() + 1, expected.x(), expected.y(), expectedEnd.x(),
              expectedEnd.y());
        QVERIFY(qAbs(pictureInk.left() - expected.x()) <= 1.5 && qAbs(pictureInk.top() - expected.y()) <= 1.5);
        QVERIFY(qAbs(pictureInk.right() + 1 - expectedEnd.x()) <= 1.5 &&
                qAbs(pictureInk.bottom() + 1 - expectedEnd.y()) <= 1.5);
        find<QCheckBox>(tab, "collect")->setChecked(true);
        QVERIFY(tab.choice().collect);
        sheet->setFocus();
        QTest::keyClick(sheet, Qt::Key_Home);
        QTest::keyClick(sheet, Qt::Key_Right);
        QTest::keyClick(sheet, Qt::Key_Delete);
        QCOMPARE(name(view->child(1)), QStringLiteral("Row 1, column 2, free"));
        QCOMPARE(collection::Collections(pictures, folder).of(*product).cells(), QList<int>{1});

        // One byte changed in the stored file.
        const QString path = collections.fileOf(*product);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        bytes[bytes.indexOf("DISK 7") + 5] = '9';
        QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
        file.close();
        collection::Collections reread(pictures, folder);
        StockTab again(settings, sources_);
        QVERIFY(openOnTheSheet(again, reread));
        const QString note = find<QLabel>(again, "collectedNote")->text();
        QVERIFY2(note.startsWith(u"The labels collected for Avery 5196 could not be read: it is damaged"),
                 qPrintable(note));
        const QStringList aside = QDir(folder).entryList({QStringLiteral("*.damaged-*")});
        QCOMPARE(aside.size(), 1);
        QVERIFY(note.contains(aside.first()));
        QCOMPARE(QFile(QDir(folder).filePath(aside.first())).size(), bytes.size());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(again.choice().firstCell, 1);
        QVERIFY(!find<QPushButton>(again, "printCollected")->isEnabled());
        document::TemplateDocument label(LabelKind::Floppy);
        QVERIFY(reread.add(*product, label, {1}));
    }

    void withoutTheDatabasePlainPaperWorks()
    {
        platform::Settings settings(settingsFile("none.conf"));
        StockTab tab(settings, {{}, {dir_.filePath(QStringLiteral("absent"))}});
        tab.show();
        QCOMPARE(find<QLabel>(tab, "status")->text(), missingDatabaseHint());
        QCOMPARE(rows(find<QListWidget>(tab, "products")), QStringList{plainPaperText()});
        QVERIFY(tab.choice().plainPaper());
    }
};

QTEST_MAIN(StockTabTest)
#include "test_stocktab.moc"
