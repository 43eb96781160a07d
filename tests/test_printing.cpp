// The print manager: success, cancel, failure and retry, and the page the
// system printer makes when it prints to a PDF file.

#include "support/Harness.h"
#include "support/PdfProbe.h"

#include "ui/Dialogs.h"
#include "wizard/PrintManager.h"

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
        h.dialogs->printAnswers.push_back(ui::testing::ScriptedDialogs::cancel());
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
        h.dialogs->printAnswers.push_back(ui::testing::ScriptedDialogs::confirm());
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

        h.dialogs->printAnswers.push_back(ui::testing::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.printer->pages.size(), 1);
        QCOMPARE(h.printer->pages[0].window, QStringLiteral("ZipLabel"));
        QCOMPARE(h.visible(), QStringList{"Tessera"});
    }

    void anyOtherPrintFailureIsReportedToo()
    {
        Harness h;
        finishDiskLabel(h, LabelKind::Cd);
        h.dialogs->printAnswers.push_back(ui::testing::ScriptedDialogs::confirm());
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
        ui::QtDialogs::preparePrintSetup(dialog);
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
        h.dialogs->printAnswers.push_back(ui::testing::ScriptedDialogs::confirm());
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
        h.dialogs->printAnswers.push_back(ui::testing::ScriptedDialogs::chooseFile(pdf));
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

    void aPdfFileThatCannotBeWrittenIsAPrinterError()
    {
        Harness h(Harness::PrinterKind::System);
        finishDiskLabel(h, LabelKind::ZipSleeve);
        h.take();
        h.dialogs->printAnswers.push_back(
            ui::testing::ScriptedDialogs::chooseFile(QStringLiteral("/nonexistent-folder/label.pdf")));
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text, PrintManager::kPrinterErrorText);
        QCOMPARE(h.take(), QStringList{"show ZipSleve"});
    }
};

QTEST_MAIN(PrintingTest)
#include "test_printing.moc"
