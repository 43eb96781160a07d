// The print manager: success, cancel, failure and retry, the page the
// system printer makes when it prints to a PDF file, and that page against
// the window's image.

#include "support/Harness.h"
#include "support/PdfProbe.h"

#include "collection/Collections.h"
#include "document/CardDocument.h"
#include "platform/Dialogs.h"
#include "output/Pipeline.h"
#include "platform/PdfDocument.h"
#include "platform/Printer.h"
#include "platform/Settings.h"
#include "stock/SheetGeometry.h"
#include "stock/SheetMemory.h"
#include "stock/SheetPrinting.h"
#include "stockui/PrintSetupTab.h"
#include "stockui/StockTab.h"
#include "ui/SystemColors.h"
#include "wizard/PrintManager.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>

#include <sys/mount.h>
#include <sys/stat.h>

namespace {

void finishDiskLabel(Harness& h, LabelKind kind)
{
    h.forms->start();
    h.forms->Tessera.hide();
    h.forms->Tessera.disktype = kind;
    h.forms->diskop.controls().Option1->click();
    h.forms->diskop.Command1_Click();
    h.forms->frmchangecap.Command3_Click();
}

// A card with a picture, a framed line and lines in several fonts, the
// lines inside the card or, `pastEdges`, some of them partly off it.
void makeBusyCard(Harness& h, bool pastEdges)
{
    h.forms->Tessera.Command7_Click();
    QImage picture(60, 30, QImage::Format_RGB32);
    picture.fill(QColor(40, 90, 160));
    h.pictures->images.insert(QStringLiteral("/pictures/busy.bmp"), picture);
    h.dialogs->openAnswers.push_back(QStringLiteral("/pictures/busy.bmp"));
    h.forms->CustomOp.Command12_Click();
    document::Card& card = h.forms->CustomPre.card();
    card.setBackColor(ui::rgb(255, 255, 220));
    const QStringList captions = {QStringLiteral("Holiday photos"), QStringLiteral("Summer\r\nby the sea"),
                                  QStringLiteral("Disc 2 of 3"), QStringLiteral("Tessera")};
    const QStringList fonts = {QStringLiteral("MS Sans Serif"), QStringLiteral("MS Serif"),
                               QStringLiteral("Abadi MT Condensed"), QStringLiteral("MS Sans Serif")};
    for (int i = 0; i < captions.size(); ++i) {
        h.forms->CustomOp.Command9_Click();
        card.setCaption(i, captions[i]);
        card.setFontName(i, fonts[i]);
        card.setFontSize(i, 8 + 2.25f * float(i));
        card.setFontBold(i, i == 1);
        card.setFontItalic(i, i == 2);
        card.setFontUnderline(i, i == 3);
        card.setTop(i, 4 + 9.5f * float(i));
        card.setLeft(i, 3 + 7.25f * float(i));
    }
    if (pastEdges) {
        card.setLeft(0, -5);
        card.setTop(1, 40);
        card.setCaption(3, QStringLiteral("Tessera, a line far too long for the card it is on"));
    }
    h.forms->CustomPre.Label1_Click(1);
}

// The page as printing made it before: the window's client area rendered
// onto a PDF page of the printer's layout, one pixel to 1/96 inch.
void renderWindow(QWidget* client, const QPrinter& printer, const QString& file)
{
    QPdfWriter pdf(file);
    pdf.setPageLayout(printer.pageLayout());
    pdf.setResolution(printer.resolution());
    QPainter painter(&pdf);
    painter.scale(pdf.logicalDpiX() / 96.0, pdf.logicalDpiY() / 96.0);
    client->render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
}

// A black box of a given size.
class Box final : public platform::Printable {
public:
    explicit Box(QSizeF mm) : mm_(mm) {}
    ui::LengthSize size() const override { return ui::LengthSize::mm(mm_); }
    void paint(QPainter& painter, const QRectF& mm) const override { painter.fillRect(mm, Qt::black); }

private:
    QSizeF mm_;
};

// Diskette labels, 3 x 3 squares of 2.75 in on a Letter sheet.
stock::Product diskettes()
{
    stock::Product p;
    p.brand = QStringLiteral("Test");
    p.part = QStringLiteral("5196");
    using ui::Length;
    p.paper = {Length::in(8.5), Length::in(11)};
    p.shape.size = {Length::in(2.75), Length::in(2.75)};
    p.layouts = {stock::Layout{3, 3, Length::in(0.125), Length::in(0.5), Length::in(2.75), Length::in(3)}};
    return p;
}

}  // namespace

class PrintingTest : public QObject {
    Q_OBJECT
    QTemporaryDir config_;

private Q_SLOTS:
    void initTestCase()
    {
        configureTestApplication();
        // Label stock's settings go to a folder of the test's own.
        QVERIFY(config_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    }

    void cancelPrintsNothingAndSaysNothing()
    {
        Harness h;
        finishDiskLabel(h, LabelKind::Floppy);
        h.take();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::cancel());
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.dialogs->printSetups, 1);
        QVERIFY(h.printer->jobs.isEmpty());
        QVERIFY(h.messages->calls.isEmpty());
        QCOMPARE(h.take(), QStringList());
        QCOMPARE(h.visible(), QStringList{"readytoprint"});
    }

    void aFailingPrinterIsReportedOnceAndPrintCanBeRetried()
    {
        Harness h;
        finishDiskLabel(h, LabelKind::ZipLabel);
        h.forms->ZipLabel.Label1(0).setCaption(QStringLiteral("kept"));
        h.take();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.printer->failWith = ui::Error::of(ui::Error::PrinterError);
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text, PrintManager::kPrinterErrorText);
        QCOMPARE(h.messages->calls[0].style, 0);
        QCOMPARE(h.messages->calls[0].title, QStringLiteral("Tessera v1.6"));
        // Nothing unloaded; the template was made visible for the print.
        QCOMPARE(h.take(), QStringList{"show ZipLabel"});
        QCOMPARE(h.visible(), (QStringList{"ZipLabel", "readytoprint"}));
        QCOMPARE(h.forms->ZipLabel.Label1(0).caption(), QStringLiteral("kept"));

        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.printer->jobs.size(), 1);
        QCOMPARE(h.printer->jobs[0].title, QStringLiteral("Zip Disk Label"));
        QCOMPARE(h.visible(), QStringList{"Tessera"});
    }

    // A print on label stock that fails, or is cancelled, uses no labels;
    // one that succeeds uses its own.
    void onlyASuccessfulPrintUsesLabels()
    {
        Harness h;
        finishDiskLabel(h, LabelKind::Floppy);
        stock::Choice choice;
        choice.product = diskettes();
        choice.firstCell = 5;
        choice.fit = stock::Fit::ShrinkToFit;
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::cancel());
        h.dialogs->stockAnswers.push_back(choice);
        h.forms->readytoprint.Command1_Click();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.printer->failWith = ui::Error::of(ui::Error::PrinterError);
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(stock::SheetMemory(h.context->settings()).usedCells(*choice.product), QList<int>());

        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.dialogs->stockAnswers.push_back(choice);
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.printer->jobs.size(), 1);
        // On the product's Letter paper.
        QCOMPARE(pdfprobe::firstPage(pdfprobe::saved(h.printer->jobs[0].pdf)).size(),
                 QSize(17 * pdfprobe::kDpi / 2, 11 * pdfprobe::kDpi));
        QCOMPARE(stock::SheetMemory(h.context->settings()).usedCells(*choice.product), (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(stock::SheetMemory(h.context->settings()).firstFreeCell(*choice.product), 6);

        // Cancel pressed once the spooler has the job comes too late: the
        // print counts, its label is used, and the job ends as printed.
        finishDiskLabel(h, LabelKind::Floppy);
        std::atomic<bool> handedOver = false;
        h.printer->whenFinished = [&handedOver] {
            handedOver = true;
            QThread::msleep(200);  // the print is still under way when the user cancels
        };
        h.busy->cancelWhen = [&handedOver] { return handedOver.load(); };
        choice.firstCell = 6;
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.dialogs->stockAnswers.push_back(choice);
        h.forms->readytoprint.Command1_Click();
        h.busy->cancelWhen = nullptr;
        QCOMPARE(h.printer->jobs.size(), 2);
        QCOMPARE(stock::SheetMemory(h.context->settings()).firstFreeCell(*choice.product), 7);
        QCOMPARE(h.visible(), QStringList{"Tessera"});
    }

    // "Print collected sheet" prints the current label with the collected
    // ones, each in its cells; a clash or a failed print keeps everything,
    // a print that went through empties the collection and ends the job.
    void theCollectedSheetPrintsWithTheCurrentLabel()
    {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        const auto restore = qScopeGuard([] { qunsetenv("XDG_DATA_HOME"); });
        Harness h;
        const auto label = [&](const QString& name, int first, bool collect, bool printCollected) {
            finishDiskLabel(h, LabelKind::Floppy);
            h.forms->templateOfJob()->text().setDiskName(1, name);
            stock::Choice choice;
            choice.product = diskettes();
            choice.firstCell = first;
            choice.fit = stock::Fit::ShrinkToFit;
            choice.collect = collect;
            choice.printCollected = printCollected;
            h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
            h.dialogs->stockAnswers.push_back(choice);
            h.forms->readytoprint.Command1_Click();
        };
        const stock::Product product = diskettes();
        QVERIFY(stock::SheetMemory(h.context->settings()).newSheet(product));
        label(QStringLiteral("Kept1"), 1, true, false);
        QCOMPARE(h.messages->calls.size(), 1);
        label(QStringLiteral("Current9"), 1, false, true);
        QCOMPARE(h.messages->calls.size(), 2);
        QCOMPARE(h.messages->calls[1].text, QStringLiteral("Label 1 of Test 5196 holds a collected label: choose "
                                                           "another first label for this one."));
        h.printer->failWith = ui::Error::of(ui::Error::PrinterError);
        label(QStringLiteral("Current9"), 2, false, true);
        QCOMPARE(h.messages->calls.size(), 3);
        QVERIFY(h.forms->readytoprint.exists());
        QCOMPARE(h.forms->readytoprint.collections().of(product).cells(), QList<int>{1});
        h.printer->failWith.reset();
        label(QStringLiteral("Current9"), 2, false, true);
        QCOMPARE(h.messages->calls.size(), 3);
        QCOMPARE(h.printer->jobs.size(), 1);
        QCOMPARE(h.visible(), QStringList{"Tessera"});
        const QList<stock::Cell> cells = stock::cells(product);
        QStringList where;
        for (const pdfprobe::Word& word : pdfprobe::words(pdfprobe::saved(h.printer->jobs[0].pdf))) {
            for (const stock::Cell& cell : cells) {
                if (word.text == u"Kept1" || word.text == u"Current9") {
                    if (cell.rect.contains(word.box))
                        where << QStringLiteral("%1 %2").arg(word.text).arg(cell.number);
                }
            }
        }
        QCOMPARE(where, (QStringList{"Kept1 1", "Current9 2"}));
        QCOMPARE(stock::SheetMemory(h.context->settings()).usedCells(product), (QList<int>{1, 2}));
        QVERIFY(h.forms->readytoprint.collections().of(product).isEmpty());
    }

    // Settings that cannot be used (a named pipe in the file's place once
    // froze Print) never stop a print: it counts, and the user is told once.
    void aSettingsFileInTheWayNeverStopsAPrint()
    {
        QTemporaryDir config;
        const QByteArray before = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const auto restore = qScopeGuard([&before] { qputenv("XDG_CONFIG_HOME", before); });
        QVERIFY(QDir().mkpath(config.filePath(QStringLiteral("Tessera"))));
        QCOMPARE(::mkfifo(QFile::encodeName(config.filePath(QStringLiteral("Tessera/Tessera.conf"))).constData(), 0600),
                 0);
        Harness h;
        stock::Choice choice;
        choice.product = diskettes();
        for (int print = 0; print < 2; ++print) {
            finishDiskLabel(h, LabelKind::Floppy);
            h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
            h.dialogs->stockAnswers.push_back(choice);
            h.forms->readytoprint.Command1_Click();
            QCOMPARE(h.printer->jobs.size(), print + 1);
            QCOMPARE(h.visible(), QStringList{"Tessera"});
        }
        QCOMPARE(h.messages->calls.size(), 1);
        QVERIFY2(h.messages->calls[0].text.contains(u"a named pipe, not a file"),
                 qPrintable(h.messages->calls[0].text));
        QVERIFY(QFileInfo(config.filePath(QStringLiteral("Tessera/Tessera.conf"))).isFile() == false);
    }

    // A print of more than ten sheets asks first; a PDF file uses no labels
    // of the sheet in the printer.
    void manySheetsAreAskedAboutAndAPdfFileUsesNoLabels()
    {
        QTemporaryDir dir;
        Harness h;
        stock::Choice choice;
        choice.product = diskettes();
        choice.copies = 9 * 10 + 1;
        for (const int answer : {int(platform::MessageBox::No), int(platform::MessageBox::Yes)}) {
            finishDiskLabel(h, LabelKind::Floppy);
            h.messages->answers = {answer};
            h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
            h.dialogs->stockAnswers.push_back(choice);
            h.forms->readytoprint.Command1_Click();
            QCOMPARE(h.messages->calls.takeLast().text,
                     QStringLiteral("This print takes 11 sheets of Test 5196. Print them all?"));
            QCOMPARE(h.printer->jobs.size(), answer == platform::MessageBox::Yes ? 1 : 0);
        }
        QCOMPARE(stock::SheetMemory(h.context->settings()).usedCells(*choice.product), QList<int>{1});
        stock::SheetMemory(h.context->settings()).newSheet(*choice.product);
        choice.copies = 2;
        finishDiskLabel(h, LabelKind::Floppy);
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseFile(dir.filePath(QStringLiteral("a.pdf"))));
        h.dialogs->stockAnswers.push_back(choice);
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(pdfprobe::pageCount(dir.filePath(QStringLiteral("a.pdf"))), 1);
        QCOMPARE(stock::SheetMemory(h.context->settings()).usedCells(*choice.product), QList<int>());
    }

    // Another Tessera printed on the sheet after the user chose its first
    // label: nothing prints, and the user is told before anything is lost.
    void labelsUsedMeanwhileByAnotherPrintAreNotPrintedOver()
    {
        Harness h;
        stock::Choice choice;
        choice.product = diskettes();
        stock::SheetMemory(h.context->settings()).newSheet(*choice.product);
        choice.firstCell = 1;
        choice.copies = 2;
        choice.usedWhenChosen = QList<int>();
        finishDiskLabel(h, LabelKind::Floppy);
        h.take();
        h.dialogs->printAnswers.push_back([&](platform::Printer&) {
            platform::Settings other(platform::Settings::userFile());
            return stock::SheetMemory(other).recordPrint(*choice.product, *stock::planPrint(9, 2, 2));
        });
        h.dialogs->stockAnswers.push_back(choice);
        h.forms->readytoprint.Command1_Click();
        QVERIFY(h.printer->jobs.isEmpty());
        QCOMPARE(h.messages->calls.size(), 1);
        QVERIFY2(h.messages->calls[0].text.startsWith(
                     QStringLiteral("Labels 1, 2 of the sheet in the printer were used by another print meanwhile.")),
                 qPrintable(h.messages->calls[0].text));
        QCOMPARE(h.take(), QStringList{"show DiskLabel"});
        QCOMPARE(stock::SheetMemory(h.context->settings()).usedCells(*choice.product), (QList<int>{1, 2, 3}));
    }

    // A character that no installed font has prints as an empty box: the
    // user is told so after the print, once, however often it prints.
    void aCharacterNoFontHasIsToldOnce()
    {
        Harness h;
        for (int print = 0; print < 2; ++print) {
            finishDiskLabel(h, LabelKind::ZipLabel);
            h.forms->ZipLabel.Label1(0).setCaption(QStringLiteral("caf\u00e9 \u0416 \u0378"));
            h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
            h.forms->readytoprint.Command1_Click();
            QCOMPARE(h.printer->jobs.size(), print + 1);
        }
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(
            h.messages->calls[0].text,
            QStringLiteral("No installed font has this character, which prints as an empty box: \u0378 (U+0378)."));
        QCOMPARE(h.messages->calls[0].style, int(platform::MessageBox::Information));
    }

    void anyOtherPrintFailureIsReportedToo()
    {
        Harness h;
        finishDiskLabel(h, LabelKind::Cd);
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.printer->failWith = ui::Error::of(ui::Error::PathFileAccess);
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text, PrintManager::kPrinterErrorText);
        QVERIFY(h.forms->readytoprint.isVisible());
    }

    // Qt's real dialog, set up for one page: its copies tab is gone however
    // Qt brings copies back, and a tab of the program's own stays.
    void printSetupHasNoCopiesAndKeepsOptionTabs_data()
    {
        QTest::addColumn<bool>("tabFirst");
        QTest::newRow("tab added before") << true;
        QTest::newRow("tab added after") << false;
    }
    void printSetupHasNoCopiesAndKeepsOptionTabs()
    {
        QFETCH(bool, tabFirst);
        QPrinter printer;
        QPrintDialog dialog(&printer);
        auto* stock = new QWidget;
        stock->setWindowTitle(QStringLiteral("Label stock"));
        if (tabFirst)
            dialog.setOptionTabs({stock});
        platform::QtDialogs::preparePrintSetup(dialog);
        if (!tabFirst)
            dialog.setOptionTabs({stock});
        QStringList titles;
        QStringList numberBoxes;  // copies or a page range, on Qt's tabs
        for (const QTabWidget* tabs : dialog.findChildren<QTabWidget*>()) {
            for (int i = 0; i < tabs->count(); ++i) {
                titles.append(tabs->tabText(i));
                for (const QSpinBox* spin : tabs->widget(i)->findChildren<QSpinBox*>()) {
                    if (tabs->widget(i) != stock)
                        numberBoxes.append(tabs->tabText(i) + QLatin1Char(':') + spin->objectName());
                }
            }
        }
        QCOMPARE(titles, (QStringList{"Options", "Label stock"}));
        QCOMPARE(numberBoxes, QStringList());
    }

    // The "Label stock" tab in Qt's real dialog: it is in front, with the
    // options unfolded, on every print; plain paper stays chosen unless a
    // product was chosen before. The dialog fits a 1366 x 768 screen, and
    // every key for a control on it belongs to that control alone.
    void theLabelStockTabIsInFrontOnEveryPrint()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(QStringLiteral("system")));
        QFile file(dir.filePath(QStringLiteral("system/test-templates.xml")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"(<Glabels-templates><Template brand="Test" part="S1" size="Other" width="100mm" height="100mm"
            _description="Squares"><Label-rectangle id="0" width="40mm" height="40mm">
            <Layout nx="2" ny="2" x0="5mm" y0="5mm" dx="50mm" dy="50mm"/></Label-rectangle></Template></Glabels-templates>)");
        file.close();
        platform::Settings settings(dir.filePath(QStringLiteral("settings.conf")));
        platform::StockSetup setup;
        setup.settings = &settings;
        setup.sources = {{}, {dir.filePath(QStringLiteral("system"))}};
        setup.design = ui::LengthSize::mm(QSizeF(78.05, 58.21));
        platform::ScriptedPrinter printer;
        for (const bool remembered : {false, true}) {
            if (remembered) {
                const stock::ProductDatabase db = stock::ProductDatabase::load(setup.sources);
                QVERIFY(db.find(QStringLiteral("Test"), QStringLiteral("S1")));
                stock::SheetMemory(settings).setLastProduct(db.find(QStringLiteral("Test"), QStringLiteral("S1")));
            }
            QPrintDialog dialog(&printer.device());
            platform::QtDialogs::preparePrintSetup(dialog);
            stockui::StockTab* tab = stockui::addStockTab(dialog, setup);
            dialog.show();
            auto* tabs = dialog.findChild<QTabWidget*>(QStringLiteral("tabs"));
            QVERIFY(tabs);
            QVERIFY(tabs->indexOf(tab) >= 0);
            QCOMPARE(tabs->tabText(tabs->indexOf(tab)), QStringLiteral("Label stock"));
            QVERIFY(tabs->isVisible());
            QCOMPARE(tabs->currentWidget(), tab);
            QCOMPARE(tab->choice().plainPaper(), !remembered);
            // With room for the tab's sheet and notes, as far as the screen has it.
            const QSize room = dialog.screen()->availableSize() - QSize(0, 32);
            QVERIFY(dialog.height() >= std::min(dialog.sizeHint().height(), room.height()));
            QVERIFY2(
                dialog.sizeHint().width() <= 1366 && dialog.sizeHint().height() + 32 <= 768,
                qPrintable(QStringLiteral("%1 x %2").arg(dialog.sizeHint().width()).arg(dialog.sizeHint().height())));

            QMultiHash<QChar, QString> keys;
            const auto mnemonic = [&](const QString& text) {
                for (qsizetype i = text.indexOf(u'&'); i >= 0 && i + 1 < text.size(); i = text.indexOf(u'&', i + 2)) {
                    if (text[i + 1] != u'&')
                        keys.insert(text[i + 1].toLower(), text);
                }
            };
            for (const QLabel* label : dialog.findChildren<QLabel*>())
                if (label->isVisibleTo(&dialog) && label->buddy())
                    mnemonic(label->text());
            for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
                if (button->isVisibleTo(&dialog))
                    mnemonic(button->text());
            for (const QChar key : keys.uniqueKeys())
                QVERIFY2(keys.count(key) == 1, qPrintable(QStringList(keys.values(key)).join(QStringLiteral(", "))));
            QVERIFY(keys.size() > 10);
        }
    }

    void theDialogIsAskedForPrintSetupAndTheTemplateInFull()
    {
        Harness h;
        finishDiskLabel(h, LabelKind::Cd);
        h.forms->CDSleve.window()->resize(120, 90);  // the user shrank the window
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.printer->jobs.size(), 1);
        QCOMPARE(h.printer->jobs[0].title, QStringLiteral("CD Rom Sleeve"));
        // The whole outline is on the page, far corner too.
        QList<QLine> outline;
        for (const document::LineDesign& line : document::cdSleeve().outline)
            outline.append(line.line);
        const QSizeF expected = pdfprobe::outlineSizeMm(outline, 2);
        const QRectF ink = pdfprobe::inkBoxMm(pdfprobe::firstPage(pdfprobe::saved(h.printer->jobs[0].pdf)));
        QVERIFY2(qAbs(ink.width() - expected.width()) < 0.2 && qAbs(ink.height() - expected.height()) < 0.2,
                 qPrintable(QStringLiteral("%1 x %2 mm").arg(ink.width()).arg(ink.height())));
    }

    void printingToAPdfFileGivesOnePageOfVectorTextAtPhysicalSize()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("floppy.pdf"));
        Harness h(Harness::PrinterKind::System);
        finishDiskLabel(h, LabelKind::Floppy);
        h.forms->DiskLabel.Label1(0).setCaption(QStringLiteral("letters.doc"));
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseFile(pdf));
        h.forms->readytoprint.Command1_Click();
        QVERIFY(h.messages->calls.isEmpty());
        QCOMPARE(h.visible(), QStringList{"Tessera"});

        QCOMPARE(pdfprobe::pageCount(pdf), 1);
        const QString text = pdfprobe::text(pdf);
        QVERIFY2(text.contains(QStringLiteral("letters.doc")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Made with Tessera")));
        const QRectF ink = pdfprobe::inkBoxMm(pdfprobe::firstPage(pdf));
        const QSizeF expected = pdfprobe::outlineSizeMm(
            {QLine(120, 120, 4200, 120), QLine(120, 120, 120, 3000), QLine(240, 3120, 4080, 3120)}, 2);
        QVERIFY2(qAbs(ink.width() - expected.width()) < 0.2, qPrintable(QString::number(ink.width())));
        QVERIFY2(qAbs(ink.height() - expected.height()) < 0.2, qPrintable(QString::number(ink.height())));
        // Top-left of the design at the printable area's top-left.
        const QPointF origin = h.context->printer().device().pageLayout().paintRect(QPageLayout::Millimeter).topLeft();
        const double outlineOffset = (120 - 15) * 25.4 / 1440;
        QVERIFY(qAbs(ink.left() - (origin.x() + outlineOffset)) < 0.2);
        QVERIFY(qAbs(ink.top() - (origin.y() + outlineOffset)) < 0.2);
    }

    // Every label prints as its window shows it: the same ink and the same
    // words at the same places as the window's image.
    void aLabelPrintsAsItsWindowShowsIt_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("floppy label") << int(LabelKind::Floppy);
        QTest::newRow("Zip label") << int(LabelKind::ZipLabel);
        QTest::newRow("Zip sleeve") << int(LabelKind::ZipSleeve);
        QTest::newRow("CD sleeve") << int(LabelKind::Cd);
        QTest::newRow("busy card") << int(LabelKind::Custom);
    }
    void aLabelPrintsAsItsWindowShowsIt()
    {
        QFETCH(int, kind);
        Harness h(Harness::PrinterKind::System);
        h.forms->start();
        QWidget* client = nullptr;
        if (LabelKind(kind) == LabelKind::Custom) {
            makeBusyCard(h, false);
            client = h.forms->CustomPre.client();
        } else {
            templates::LabelTemplate& t = *h.forms->templateForm(LabelKind(kind));
            for (int i = 0; i < t.fieldCount(); i += 3)
                t.Label1(i).setCaption(QStringLiteral("file number %1 with a name long enough to wrap").arg(i));
            t.setDiskName(QStringLiteral("Backup disk"));
            t.show();
            client = t.client();
        }
        h.forms->Tessera.disktype = LabelKind(kind);
        QTemporaryDir dir;
        const QString window = dir.filePath(QStringLiteral("window.pdf"));
        const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
        QPrinter& printer = h.context->printer().device();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        const PrintManager::Printed page = h.forms->readytoprint.printed();
        output::print({page.label}, stock::Choice(), h.context->printer().chosen(), page.jobName,
                      {h.context->printer(), h.context->settings()});
        renderWindow(client, printer, window);

        const double pixelMm = 25.4 / pdfprobe::kDpi;
        const QRectF was = pdfprobe::inkBoxMm(pdfprobe::firstPage(window));
        const QRectF is = pdfprobe::inkBoxMm(pdfprobe::firstPage(printed));
        QVERIFY(!was.isEmpty());
        const auto near = [&](double a, double b) { return qAbs(a - b) <= pixelMm + 1e-9; };
        QVERIFY2(near(is.left(), was.left()) && near(is.top(), was.top()) && near(is.right(), was.right()) &&
                     near(is.bottom(), was.bottom()),
                 qPrintable(QStringLiteral("ink %1,%2 %3x%4 mm, the window's %5,%6 %7x%8 mm")
                                .arg(is.left())
                                .arg(is.top())
                                .arg(is.width())
                                .arg(is.height())
                                .arg(was.left())
                                .arg(was.top())
                                .arg(was.width())
                                .arg(was.height())));

        const QList<pdfprobe::Word> wasWords = pdfprobe::words(window);
        const QList<pdfprobe::Word> isWords = pdfprobe::words(printed);
        QVERIFY(wasWords.size() > 3);
        QCOMPARE(isWords.size(), wasWords.size());
        const double pixelPt = 72.0 / pdfprobe::kDpi;
        for (qsizetype i = 0; i < wasWords.size(); ++i) {
            const QRectF a = isWords[i].box, b = wasWords[i].box;
            QCOMPARE(isWords[i].text, wasWords[i].text);
            QVERIFY2(qAbs(a.left() - b.left()) <= pixelPt && qAbs(a.top() - b.top()) <= pixelPt &&
                         qAbs(a.right() - b.right()) <= pixelPt && qAbs(a.bottom() - b.bottom()) <= pixelPt,
                     qPrintable(wasWords[i].text));
        }
    }

    // Lines partly off the card or too long for it, and the frame of the
    // selected one, are cut at the card's edges on paper as on the screen:
    // on label stock nothing lands on the next label.
    void aCardPrintsCutAtItsEdges()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("card.pdf"));
        Harness h(Harness::PrinterKind::System);
        h.forms->start();
        makeBusyCard(h, true);
        const QSizeF size = h.forms->card().size().toMm();
        h.forms->CustomOp.Command1_Click();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseFile(pdf));
        h.forms->readytoprint.Command1_Click();
        QVERIFY(h.messages->calls.isEmpty());

        const QPointF origin = h.context->printer().device().pageLayout().paintRect(QPageLayout::Millimeter).topLeft();
        const QRectF card(origin, size);
        const QRectF ink = pdfprobe::inkBoxMm(pdfprobe::firstPage(pdf));
        const auto near = [](double a, double b) { return qAbs(a - b) < 0.2; };
        QVERIFY2(near(ink.left(), card.left()) && near(ink.top(), card.top()) && near(ink.right(), card.right()) &&
                     near(ink.bottom(), card.bottom()),
                 qPrintable(QStringLiteral("ink from %1,%2 to %3,%4 mm, the card from %5,%6 to %7,%8 mm")
                                .arg(ink.left())
                                .arg(ink.top())
                                .arg(ink.right())
                                .arg(ink.bottom())
                                .arg(card.left())
                                .arg(card.top())
                                .arg(card.right())
                                .arg(card.bottom())));
    }

    // Eleven labels from the fourth of nine: two pages, each label centred in
    // its cell as the calibration moves and scales the page.
    void sheetsFillConsecutiveCellsWithTheCalibrationApplied()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("sheets.pdf"));
        stock::Choice choice;
        choice.product = diskettes();
        choice.firstCell = 4;
        choice.copies = 11;
        choice.calibration = {1.5, -0.8, 99.5, 100};
        const Box box(QSizeF(50, 40));
        stock::PrintedCells printed;
        {
            QPdfWriter pdf(file);
            pdf.setResolution(1200);
            pdf.setPageLayout(*stock::pageLayoutFor(choice));
            printed = stock::paintSheets(pdf, {&box}, choice);
        }
        QCOMPARE(printed.pages, 2);
        QVERIFY(printed.run);
        QCOMPARE(printed.run->pages, (QList<QList<int>>{{4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5}}));
        QCOMPARE(pdfprobe::pageCount(file), 2);
        const QList<stock::Cell> cells = stock::cells(*choice.product);
        const QTransform calibration = choice.calibration.transform();
        for (int page = 1; page <= 2; ++page) {
            const QImage image = pdfprobe::page(file, page);
            QCOMPARE(image.width(), qRound(8.5 * pdfprobe::kDpi));
            for (const stock::Cell& cell : cells) {
                const QRectF mm(cell.rect.topLeft() / ui::kPointsPerMm, cell.rect.size() / ui::kPointsPerMm);
                const QRectF ink = pdfprobe::inkBoxMm(image, mm);
                if (!printed.run->pages[page - 1].contains(cell.number)) {
                    QVERIFY2(ink.isNull(), qPrintable(QStringLiteral("page %1 cell %2").arg(page).arg(cell.number)));
                    continue;
                }
                const QPointF centre = calibration.map(cell.rect.center()) / ui::kPointsPerMm;
                QVERIFY2(std::abs(ink.center().x() - centre.x()) < 0.1 && std::abs(ink.center().y() - centre.y()) < 0.1,
                         qPrintable(QStringLiteral("page %1 cell %2 at %3, %4")
                                        .arg(page)
                                        .arg(cell.number)
                                        .arg(ink.center().x())
                                        .arg(ink.center().y())));
                QVERIFY(std::abs(ink.width() - 50 * calibration.m11()) < 0.15);
                QVERIFY(std::abs(ink.height() - 40) < 0.15);
            }
        }
    }

    // A card's background goes on 2 mm past the die-cut where the stock has
    // that much waste, its picture's edge stretched over it; where the card
    // does not reach the label's edge, it keeps its own edge.
    void aCardsBackgroundBleedsIntoTheWaste()
    {
        using ui::Length;
        document::CardDocument card;
        for (int i = 0; i < document::kLineCount; ++i)
            card.card.setVisible(i, false);
        const QSizeF cardMm = card.size().toMm();
        stock::Choice choice;
        choice.product = diskettes();
        choice.product->shape.size = ui::LengthSize::mm(cardMm);
        choice.product->shape.xWaste = choice.product->shape.yWaste = Length::mm(2);
        choice.product->layouts = {stock::Layout{1, 1, Length::mm(20), Length::mm(30), {}, {}}};
        QTemporaryDir dir;
        const auto inkOf = [&](const QString& name) {
            const QString file = dir.filePath(name);
            {
                QPdfWriter pdf(file);
                pdf.setResolution(1200);
                pdf.setPageLayout(*stock::pageLayoutFor(choice));
                (void)stock::paintSheets(pdf, {&card}, choice);
            }
            return pdfprobe::inkBoxMm(pdfprobe::firstPage(file));
        };
        const auto expect = [](const QRectF& ink, const QRectF& mm) {
            const bool near = qAbs(ink.left() - mm.left()) < 0.15 && qAbs(ink.top() - mm.top()) < 0.15 &&
                              qAbs(ink.right() - mm.right()) < 0.15 && qAbs(ink.bottom() - mm.bottom()) < 0.15;
            if (!near)
                qWarning("ink from %.2f, %.2f to %.2f, %.2f mm, expected %.2f, %.2f to %.2f, %.2f mm", ink.left(),
                         ink.top(), ink.right(), ink.bottom(), mm.left(), mm.top(), mm.right(), mm.bottom());
            return near;
        };
        card.card.setBackColor(0);  // black
        QVERIFY(expect(inkOf(QStringLiteral("colour.pdf")), QRectF(QPointF(20, 30), cardMm).adjusted(-2, -2, 2, 2)));

        // A white card whose picture is black on its left half.
        card.card.setBackColor(0xFFFFFF);
        QImage picture(card.card.clientSize(), QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter(&picture).fillRect(0, 0, picture.width() / 2, picture.height(), Qt::black);
        card.card.setPicture(picture);
        const double half = cardMm.width() * (picture.width() / 2) / picture.width();
        QVERIFY(expect(inkOf(QStringLiteral("picture.pdf")), QRectF(18, 28, half + 2, cardMm.height() + 4)));

        // The same card on a label 10 mm larger all round: no bleed.
        card.card.setPicture(QImage());
        card.card.setBackColor(0);
        choice.product->shape.size = ui::LengthSize::mm(cardMm + QSizeF(20, 20));
        QVERIFY(expect(inkOf(QStringLiteral("smaller.pdf")), QRectF(QPointF(30, 40), cardMm)));
    }

    // A PDF file from the print dialog is written whole or not at all: on a
    // device or a full disk nothing is reported as printed, an earlier PDF
    // keeps every byte, and the unsaved card is still there to print again.
    void thePrintDialogsPdfIsWrittenWholeOrNotAtAll()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/tessera-XXXXXX"));
        const QByteArray point = QFile::encodeName(dir.path());
        const bool mounted = ::mount("tmpfs", point.constData(), "tmpfs", 0, "size=64k,mode=0755") == 0;
        const auto unmount = qScopeGuard([&] {
            if (mounted)
                ::umount2(point.constData(), MNT_DETACH);
        });
        const QString old = dir.filePath(QStringLiteral("card.pdf"));
        const QByteArray earlier = "%PDF-1.4 an earlier print\n";
        {
            QFile f(old);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(earlier);
        }
        if (mounted) {
            QFile fill(dir.filePath(QStringLiteral("fill")));
            QVERIFY(fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (fill.write(QByteArray(4096, 'f')) == 4096) {
            }
        }
        Harness h;
        h.forms->start();
        makeBusyCard(h, false);
        h.forms->CustomOp.Command1_Click();
        QStringList targets{QStringLiteral("/dev/full")};
        if (mounted)
            targets.append(old);
        for (const QString& target : targets) {
            h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseFile(target));
            h.forms->readytoprint.Command1_Click();
            QCOMPARE(h.messages->calls.size(), 1);
            QCOMPARE(h.messages->calls.takeLast().text,
                     target + (target == old ? QStringLiteral(" could not be written: No space left on device.")
                                             : QStringLiteral(" could not be written: that is not a regular file.")));
            QVERIFY(h.forms->CustomOp.exists() && h.forms->CustomPre.exists());
            QCOMPARE(h.forms->CustomPre.card().line(0).Caption, QStringLiteral("Holiday photos"));
        }
        QFile f(old);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), earlier);
        if (!mounted)
            QSKIP("the full disk needs a file system this process may mount");
    }

    // The page is the product's paper, exactly: a standard size where it is
    // one, else its own size in millimetres (in points it would be rounded to
    // whole points). A label that reaches past the paper's edge is cut there,
    // where the calibration puts that edge.
    void labelStockPrintsOnItsExactPaperCutAtItsEdge()
    {
        const auto page = [](QSizeF mm) {
            stock::Product product = diskettes();
            product.paper = ui::LengthSize::mm(mm);
            return stock::pageSetup(product);
        };
        QCOMPARE(stock::pageSetup(diskettes()).size.id(), QPageSize::Letter);
        QCOMPARE(page({210, 297}).size.id(), QPageSize::A4);
        QCOMPARE(page({105, 148}).size.id(), QPageSize::A6);
        const stock::PageSetup own = page({150.7, 100.3});
        QCOMPARE(own.size.id(), QPageSize::Custom);
        QCOMPARE(own.orientation, QPageLayout::Landscape);
        QCOMPARE(own.size.definitionUnits(), QPageSize::Millimeter);
        QVERIFY(qAbs(own.size.definitionSize().width() - 100.3) < 1e-9 &&
                qAbs(own.size.definitionSize().height() - 150.7) < 1e-9);

        stock::Choice choice;
        choice.product = diskettes();
        choice.product->paper = ui::LengthSize::mm(QSizeF(100.3, 150.7));
        choice.product->shape.size = ui::LengthSize::mm(QSizeF(50, 30));
        choice.product->layouts = {stock::Layout{1, 1, ui::Length::mm(-2), ui::Length::mm(10), {}, {}}};
        choice.fit = stock::Fit::ActualSize;
        // A printer measured to print 2 mm left of the place: printing moves
        // the page 2 mm right.
        choice.calibration = {-2, 0, 100, 100};
        const QPageLayout layout = *stock::pageLayoutFor(choice);
        QVERIFY(qAbs(layout.fullRect(QPageLayout::Millimeter).width() - 100.3) < 1e-9 &&
                qAbs(layout.fullRect(QPageLayout::Millimeter).height() - 150.7) < 1e-9);
        QBuffer pdf;
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        const Box label(QSizeF(50, 30));
        platform::writePdfDocument(
            &pdf, layout, 1200, QStringLiteral("paper"), [] { return false; },
            [&](QPagedPaintDevice& device) { (void)stock::paintSheets(device, {&label}, choice); });
        const QRegularExpressionMatch media =
            QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"))
                .match(QString::fromLatin1(pdf.data()));
        QVERIFY(media.hasMatch());
        QEXPECT_FAIL("", "Qt 6.4's PDF engine writes the page size in whole points", Continue);
        QVERIFY2(qAbs(media.captured(1).toDouble() - 100.3 * ui::kPointsPerMm) < 0.01 &&
                     qAbs(media.captured(2).toDouble() - 150.7 * ui::kPointsPerMm) < 0.01,
                 qPrintable(media.captured(0)));

        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("cut.pdf")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(pdf.data()) == pdf.size());
        file.close();
        // The label from -2 mm to 48 mm lands 2 mm further right, cut at the
        // paper's edge, which lands there too.
        const QRectF ink = pdfprobe::inkBoxMm(pdfprobe::firstPage(file.fileName()));
        QVERIFY2(qAbs(ink.left() - 2) < 0.1 && qAbs(ink.right() - 50) < 0.1 && qAbs(ink.top() - 10) < 0.1 &&
                     qAbs(ink.bottom() - 40) < 0.1,
                 qPrintable(QStringLiteral("ink from %1, %2 to %3, %4 mm")
                                .arg(ink.left())
                                .arg(ink.top())
                                .arg(ink.right())
                                .arg(ink.bottom())));
    }

    // A PDF file that cannot be written is not a printer's fault: the
    // message names the file and why, and the job stays as it was.
    void aPdfFileThatCannotBeWrittenSaysWhy()
    {
        Harness h(Harness::PrinterKind::System);
        finishDiskLabel(h, LabelKind::ZipSleeve);
        h.take();
        h.dialogs->printAnswers.push_back(
            platform::ScriptedDialogs::chooseFile(QStringLiteral("/nonexistent-folder/label.pdf")));
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text,
                 QStringLiteral("/nonexistent-folder/label.pdf could not be written: No such file or directory."));
        QCOMPARE(h.take(), QStringList{"show ZipSleve"});
    }
};

QTEST_MAIN(PrintingTest)
#include "test_printing.moc"
