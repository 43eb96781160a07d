// The print manager: success, cancel, failure and retry, the page the
// system printer makes when it prints to a PDF file, and that page against
// the window's image.

#include "support/Harness.h"
#include "support/PdfProbe.h"

#include "platform/Dialogs.h"
#include "ui/SystemColors.h"
#include "wizard/PrintManager.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

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
    designer::Card& card = h.forms->CustomPre.card();
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

}  // namespace

class PrintingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { configureTestApplication(); }

    void cancelPrintsNothingAndSaysNothing()
    {
        Harness h;
        finishDiskLabel(h, LabelKind::Floppy);
        h.take();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::cancel());
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.dialogs->printSetups, 1);
        QVERIFY(h.printer->pages.isEmpty());
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
        QCOMPARE(h.printer->pages.size(), 1);
        QCOMPARE(h.printer->pages[0].jobName, QStringLiteral("Zip Disk Label"));
        QCOMPARE(h.visible(), QStringList{"Tessera"});
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

    void theDialogIsAskedForPrintSetupAndTheTemplateInFull()
    {
        Harness h;
        finishDiskLabel(h, LabelKind::Cd);
        h.forms->CDSleve.window()->resize(120, 90);  // the user shrank the window
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.printer->pages.size(), 1);
        QCOMPARE(h.printer->pages[0].size, QSize(8745 / 15, 6840 / 15));
        QCOMPARE(h.printer->pages[0].jobName, QStringLiteral("CD Rom Sleeve"));
        // The outline's far corner is on the page.
        QCOMPARE(h.printer->pages[0].image.pixelColor(8640 / 15, 6720 / 15), QColor(Qt::black));
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
            templates::LabelTemplate& t = (*h.forms).*labelKind(LabelKind(kind)).form;
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
        h.context->printer().printPage(*page.label, page.jobName);
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
        const QSizeF size = h.forms->design.sizeMm();
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

    void aPdfFileThatCannotBeWrittenIsAPrinterError()
    {
        Harness h(Harness::PrinterKind::System);
        finishDiskLabel(h, LabelKind::ZipSleeve);
        h.take();
        h.dialogs->printAnswers.push_back(
            platform::ScriptedDialogs::chooseFile(QStringLiteral("/nonexistent-folder/label.pdf")));
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text, PrintManager::kPrinterErrorText);
        QCOMPARE(h.take(), QStringList{"show ZipSleve"});
    }
};

QTEST_MAIN(PrintingTest)
#include "test_printing.moc"
