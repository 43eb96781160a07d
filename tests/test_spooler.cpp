// Printing through a real CUPS scheduler (started by the test fixture):
// each template comes out as one page with its outline at the designed
// size, and a stopped queue is reported without losing the job.

#include "support/Harness.h"
#include "support/PdfProbe.h"

#include "collection/Collections.h"
#include "platform/ScriptedBusy.h"
#include "stock/Calibration.h"
#include "stock/ProductDatabase.h"
#include "stock/SheetMemory.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"
#include "wizard/PrintManager.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cups/cups.h>

namespace {

QString outputFolder() { return qEnvironmentVariable("TESSERA_CUPS_OUT"); }

QStringList jobFiles() { return QDir(outputFolder()).entryList({QStringLiteral("job-*.pdf")}, QDir::Files); }

// Why the spooler failed a job of the queue, from its log; empty while no
// job has failed.
QString spoolerTrouble(const char* queue)
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue, 0, CUPS_WHICHJOBS_ALL);
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        if (jobs[i].state == IPP_JSTATE_ABORTED || jobs[i].state == IPP_JSTATE_STOPPED)
            failed = jobs[i].id;
    }
    cupsFreeJobs(count, jobs);
    if (!failed)
        return {};
    QFile log(QDir(outputFolder()).filePath(QStringLiteral("../log/error_log")));
    QStringList why;
    if (log.open(QIODevice::ReadOnly)) {
        const QByteArray tag = "[Job " + QByteArray::number(failed) + "]";
        // Its warnings and errors, not the debug history logged with them.
        for (const QByteArray& line : log.readAll().split('\n'))
            if (line.contains(tag) && (line.startsWith("E ") || line.startsWith("W ")))
                why.append(QString::fromUtf8(line.mid(line.indexOf(tag) + tag.size()).trimmed()));
    }
    return QStringLiteral("the spooler failed job %1: %2").arg(failed).arg(why.join(QStringLiteral("; ")));
}

// The job file that was not there before, once it is complete. A job the
// spooler fails ends the wait at once, with the spooler's reason.
QString waitForNewJob(const QStringList& before, QString& trouble)
{
    QString job;
    QElapsedTimer timer;
    timer.start();
    while (job.isEmpty() && timer.elapsed() < 20000) {
        for (const QString& name : jobFiles())
            if (!before.contains(name))
                job = QDir(outputFolder()).filePath(name);
        if (!job.isEmpty())
            break;
        trouble = spoolerTrouble("TesseraPDF");
        if (!trouble.isEmpty())
            return {};
        QTest::qWait(50);
    }
    if (job.isEmpty()) {
        trouble = QStringLiteral("no job arrived within 20 s");
        return {};
    }
    if (!pdfprobe::waitForFile(job, 20)) {
        trouble = QStringLiteral("the job file stayed incomplete");
        return {};
    }
    return job;
}

// Label sheets as their makers describe them: diskette squares 3 x 3 on
// Letter, 2 x 4 labels on A4, two CD labels on A4.
const char kProducts[] = R"(<?xml version="1.0"?>
<Glabels-templates>
  <Template brand="Test" part="5196" size="US-Letter" _description="Diskette labels">
    <Meta category="media"/>
    <Label-rectangle id="0" width="2.75in" height="2.75in" round="0.0625in">
      <Layout nx="3" ny="3" x0="0.125in" y0="0.5in" dx="2.75in" dy="3in"/>
    </Label-rectangle>
  </Template>
  <Template brand="Test" part="A4-8" size="A4" _description="Eight labels">
    <Label-rectangle id="0" width="99.1mm" height="67.7mm" round="2mm">
      <Layout nx="2" ny="4" x0="4.65mm" y0="13.1mm" dx="101.6mm" dy="67.7mm"/>
    </Label-rectangle>
  </Template>
  <Template brand="Test" part="CD-2" size="A4" _description="CD labels">
    <Meta category="media"/>
    <Label-cd id="0" radius="58.5mm" hole="20.5mm">
      <Layout nx="1" ny="2" x0="46.5mm" y0="21.5mm" dy="137mm"/>
    </Label-cd>
  </Template>
</Glabels-templates>
)";

const char kPaperSizes[] = R"(<Glabels-paper-sizes>
  <Paper-size id="A4" _name="A4" pwg_size="iso_a4" width="210mm" height="297mm"/>
  <Paper-size id="US-Letter" _name="US Letter" pwg_size="na_letter" width="8.5in" height="11in"/>
</Glabels-paper-sizes>)";

}  // namespace

Q_DECLARE_METATYPE(stock::Calibration)

class SpoolerTest : public QObject {
    Q_OBJECT
    QTemporaryDir home_;

private Q_SLOTS:
    void initTestCase()
    {
        configureTestApplication();
        QVERIFY2(!qEnvironmentVariableIsEmpty("CUPS_SERVER"), "run through ctest: the fixture starts the scheduler");
        QVERIFY(QDir(outputFolder()).exists());
        // What label stock remembers goes to a configuration folder of the
        // test's own, read before any settings are.
        QVERIFY(home_.isValid());
        qputenv("XDG_CONFIG_HOME", home_.path().toLocal8Bit());
    }

    void eachTemplatePrintsOnePageAtItsDesignedSize_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("form");
        QTest::newRow("floppy label") << "1.44"
                                      << "DiskLabel";
        QTest::newRow("Zip label") << "ZIPL"
                                   << "ZipLabel";
        QTest::newRow("Zip sleeve") << "ZIPS"
                                    << "ZipSleve";
        QTest::newRow("CD sleeve") << "CD"
                                   << "CDSleve";
    }
    void eachTemplatePrintsOnePageAtItsDesignedSize()
    {
        QFETCH(QString, kind);
        QFETCH(QString, form);
        Harness h(Harness::PrinterKind::System);
        h.forms->start();
        h.forms->Tessera.hide();
        for (const LabelKindRow& row : labelKinds()) {
            if (row.disktype == kind)
                h.forms->Tessera.disktype = row.kind;
        }
        h.forms->diskop.Command1_Click();
        h.forms->opncontents.Command2_Click();
        const QStringList before = jobFiles();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseQueue(QStringLiteral("TesseraPDF")));
        h.forms->readytoprint.Command1_Click();
        QVERIFY2(h.messages->calls.isEmpty(), qPrintable(h.messages->calls.value(0).text));
        QCOMPARE(h.visible(), QStringList{"Tessera"});

        QString trouble;
        const QString job = waitForNewJob(before, trouble);
        QVERIFY2(!job.isEmpty(), qPrintable(trouble));
        QCOMPARE(pdfprobe::pageCount(job), 1);
        QVERIFY(pdfprobe::text(job).contains(QStringLiteral("Label1")));

        const templates::LabelTemplate* label = h.forms->templateOfJob();
        QList<QLine> outline;
        for (const auto& l : label->labelDesign().outline)
            outline.append(l.line);
        const QSizeF expected = pdfprobe::outlineSizeMm(outline, 2);
        const QRectF ink = pdfprobe::inkBoxMm(pdfprobe::firstPage(job));
        qInfo("%s: printed outline %.2f x %.2f mm, designed %.2f x %.2f mm", qPrintable(form), ink.width(),
              ink.height(), expected.width(), expected.height());
        QVERIFY2(qAbs(ink.width() - expected.width()) < 0.2, qPrintable(QString::number(ink.width())));
        QVERIFY2(qAbs(ink.height() - expected.height()) < 0.2, qPrintable(QString::number(ink.height())));
    }

    void aCustomCardPrintsAtTheSizeOfItsWindow()
    {
        Harness h(Harness::PrinterKind::System);
        h.forms->start();
        h.forms->Tessera.Command7_Click();
        document::Card& card = h.forms->CustomPre.card();
        card.setBackColor(ui::rgb(0, 0, 96));
        h.forms->CustomOp.Command9_Click();
        card.setCaption(0, QStringLiteral("Printed card"));
        card.setTop(0, 10);
        card.setLeft(0, 10);
        card.setForeColor(0, ui::rgb(255, 255, 255));
        // The user dragged the window bigger.
        h.forms->CustomPre.window()->resize(320, 190);
        h.forms->CustomOp.Command1_Click();
        const QStringList before = jobFiles();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseQueue(QStringLiteral("TesseraPDF")));
        h.forms->readytoprint.Command1_Click();
        QVERIFY2(h.messages->calls.isEmpty(), qPrintable(h.messages->calls.value(0).text));
        QString trouble;
        const QString job = waitForNewJob(before, trouble);
        QVERIFY2(!job.isEmpty(), qPrintable(trouble));
        QCOMPARE(pdfprobe::pageCount(job), 1);
        QVERIFY(pdfprobe::text(job).contains(QStringLiteral("Printed card")));
        const QRectF ink = pdfprobe::inkBoxMm(pdfprobe::firstPage(job));
        const QSizeF expected(ui::pxToMm(320), ui::pxToMm(190));
        qInfo("custom card: printed %.2f x %.2f mm, window %.2f x %.2f mm", ink.width(), ink.height(), expected.width(),
              expected.height());
        QVERIFY2(qAbs(ink.width() - expected.width()) < 0.2, qPrintable(QString::number(ink.width())));
        QVERIFY2(qAbs(ink.height() - expected.height()) < 0.2, qPrintable(QString::number(ink.height())));
    }

    // A card coloured to its edges, printed on label stock through the print
    // manager: every label's ink lies centred in its cell (moved and scaled
    // as the calibration says), the cells run on over further sheets, and
    // the next print starts after them, in settings a later run reads.
    void labelsLandInTheirCellsOnLabelStock_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("copies");
        QTest::addColumn<stock::Calibration>("calibration");
        QTest::addColumn<QList<QList<int>>>("pages");
        QTest::addColumn<int>("next");
        QTest::newRow("Letter 3 x 3, calibrated") << "5196" << 4 << 11 << stock::Calibration{1.5, -0.8, 99.5, 100}
                                                  << QList<QList<int>>{{4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5}} << 6;
        QTest::newRow("A4 2 x 4") << "A4-8" << 3 << 2 << stock::Calibration() << QList<QList<int>>{{3, 4}} << 5;
        QTest::newRow("CD labels") << "CD-2" << 2 << 1 << stock::Calibration() << QList<QList<int>>{{2}} << 1;
    }
    void labelsLandInTheirCellsOnLabelStock()
    {
        QFETCH(QString, part);
        QFETCH(int, first);
        QFETCH(int, copies);
        QFETCH(stock::Calibration, calibration);
        QFETCH(QList<QList<int>>, pages);
        QFETCH(int, next);
        QTemporaryDir folder;
        const QString system = folder.filePath(QStringLiteral("templates"));
        QDir().mkpath(system);
        for (const auto& [name, bytes] :
             {std::pair{"paper-sizes.xml", kPaperSizes}, {"test-templates.xml", kProducts}}) {
            QFile file(QDir(system).filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        const stock::ProductDatabase database = stock::ProductDatabase::load({{}, {system}});
        const stock::Product* product = database.find(QStringLiteral("Test"), part);
        QVERIFY(product);

        Harness h(Harness::PrinterKind::System);
        h.forms->start();
        h.forms->Tessera.Command7_Click();
        h.forms->CustomPre.card().setBackColor(ui::rgb(0, 0, 96));
        h.forms->CustomPre.window()->resize(240, 150);
        h.forms->CustomOp.Command1_Click();
        const QStringList before = jobFiles();
        stock::Choice choice;
        choice.product = *product;
        choice.firstCell = first;
        choice.copies = copies;
        choice.fit = stock::Fit::ActualSize;
        // The printer's calibration, as the label stock tab keeps it.
        QVERIFY(stock::saveCalibration(h.context->settings(), QStringLiteral("TesseraPDF"), calibration));
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseQueue(QStringLiteral("TesseraPDF")));
        h.dialogs->stockAnswers.push_back(choice);
        h.forms->readytoprint.Command1_Click();
        QVERIFY2(h.messages->calls.isEmpty(), qPrintable(h.messages->calls.value(0).text));
        QCOMPARE(h.dialogs->stockSetups.size(), 1);
        QCOMPARE(h.dialogs->stockSetups[0].design.toMm(), QSizeF(ui::pxToMm(240), ui::pxToMm(150)));
        QVERIFY(h.dialogs->stockSetups[0].roundLabelsAllowed);

        QString trouble;
        const QString job = waitForNewJob(before, trouble);
        QVERIFY2(!job.isEmpty(), qPrintable(trouble));
        QCOMPARE(pdfprobe::pageCount(job), int(pages.size()));
        const QList<stock::Cell> cells = stock::cells(*product);
        for (qsizetype page = 0; page < pages.size(); ++page) {
            const QImage image = pdfprobe::page(job, int(page) + 1);
            const QSizeF paper = product->paper.toPt() / ui::kPointsPerInch * pdfprobe::kDpi;
            QVERIFY(qAbs(image.width() - paper.width()) < 2 && qAbs(image.height() - paper.height()) < 2);
            for (const stock::Cell& cell : cells) {
                const QRectF placed = calibration.transform().mapRect(cell.rect);
                const QRectF area(placed.topLeft() / ui::kPointsPerMm, placed.size() / ui::kPointsPerMm);
                const QRectF ink = pdfprobe::inkBoxMm(image, area);
                const QString where = QStringLiteral("page %1, cell %2").arg(page + 1).arg(cell.number);
                if (!pages[page].contains(cell.number)) {
                    QVERIFY2(ink.isNull(), qPrintable(where));
                    continue;
                }
                const QPointF centre = calibration.transform().map(cell.rect.center()) / ui::kPointsPerMm;
                qInfo("%s: ink centre %.2f, %.2f mm, cell centre %.2f, %.2f mm", qPrintable(where), ink.center().x(),
                      ink.center().y(), centre.x(), centre.y());
                QVERIFY2(qAbs(ink.center().x() - centre.x()) < 0.1 && qAbs(ink.center().y() - centre.y()) < 0.1,
                         qPrintable(where));
            }
        }
        QVERIFY(QFile::exists(home_.filePath(QStringLiteral("Tessera/Tessera.conf"))));
        QCOMPARE(stock::SheetMemory(h.context->settings()).firstFreeCell(*product), next);
    }

    // Three floppy labels and a card collected for one sheet, the program
    // started afresh between them, print as one job of one page: each label
    // in its own cell with its own words; a cancelled print keeps them all,
    // a print that went through empties the collection and uses the cells.
    void aCollectedSheetPrintsEachLabelInItsCell()
    {
        QTemporaryDir folder;
        const QString system = folder.filePath(QStringLiteral("templates"));
        QDir().mkpath(system);
        for (const auto& [name, bytes] :
             {std::pair{"paper-sizes.xml", kPaperSizes}, {"test-templates.xml", kProducts}}) {
            QFile file(QDir(system).filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        const stock::ProductDatabase database = stock::ProductDatabase::load({{}, {system}});
        const stock::Product* product = database.find(QStringLiteral("Test"), QStringLiteral("5196"));
        QVERIFY(product);
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(QStringLiteral("data"))));
        const auto restoreData = qScopeGuard([] { qunsetenv("XDG_DATA_HOME"); });
        const auto choice = [&](int first, bool collect, bool printCollected) {
            stock::Choice c;
            c.product = *product;
            c.firstCell = first;
            c.fit = stock::Fit::ShrinkToFit;
            c.collect = collect;
            c.printCollected = printCollected;
            return c;
        };
        const QStringList words{"Alpha7", "Bravo7", "Charlie7", "Delta7"};
        const auto collectFloppy = [&](Harness& h, int cell) {
            h.forms->Tessera.disktype = LabelKind::Floppy;
            h.forms->diskop.Command1_Click();
            h.forms->opncontents.Command2_Click();
            h.forms->templateOfJob()->text().setDiskName(1, words[cell - 1]);
            h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseQueue(QStringLiteral("TesseraPDF")));
            h.dialogs->stockAnswers.push_back(choice(cell, true, false));
            h.forms->readytoprint.Command1_Click();
        };
        const QStringList before = jobFiles();
        {
            Harness h(Harness::PrinterKind::System);
            QVERIFY(stock::SheetMemory(h.context->settings()).newSheet(*product));
            h.forms->start();
            collectFloppy(h, 1);
            collectFloppy(h, 2);
            QCOMPARE(h.messages->calls.size(), 2);
            QCOMPARE(h.messages->calls[1].text, QStringLiteral("Label 2 of 9 collected on Test 5196; the sheet prints "
                                                               "when you choose Print collected sheet."));
            QCOMPARE(h.visible(), QStringList{"Tessera"});
        }
        // A fresh program finds them, and adds two more.
        Harness h(Harness::PrinterKind::System);
        h.forms->start();
        QCOMPARE(h.forms->readytoprint.collections().of(*product).cells(), (QList<int>{1, 2}));
        collectFloppy(h, 3);
        h.forms->Tessera.Command7_Click();
        h.forms->CustomPre.card().setBackColor(ui::rgb(255, 255, 255));
        h.forms->CustomOp.Command9_Click();
        h.forms->CustomPre.card().setCaption(0, words[3]);
        h.forms->CustomOp.Command1_Click();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseQueue(QStringLiteral("TesseraPDF")));
        h.dialogs->stockAnswers.push_back(choice(4, true, false));
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 2);
        QCOMPARE(jobFiles(), before);
        QCOMPARE(stock::SheetMemory(h.context->settings()).usedCells(*product), QList<int>());

        // Cancelled while it prints: nothing printed, all four kept.
        h.forms->Tessera.disktype = LabelKind::Floppy;
        h.forms->diskop.Command1_Click();
        h.forms->opncontents.Command2_Click();
        h.busy->cancelWhen = [] { return true; };
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseQueue(QStringLiteral("TesseraPDF")));
        h.dialogs->stockAnswers.push_back(choice(5, true, true));
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.forms->readytoprint.collections().of(*product).cells(), (QList<int>{1, 2, 3, 4}));
        h.busy->cancelWhen = nullptr;

        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseQueue(QStringLiteral("TesseraPDF")));
        h.dialogs->stockAnswers.push_back(choice(5, true, true));
        h.forms->readytoprint.Command1_Click();
        QVERIFY2(h.messages->calls.size() == 2, qPrintable(h.messages->calls.last().text));
        QString trouble;
        const QString job = waitForNewJob(before, trouble);
        QVERIFY2(!job.isEmpty(), qPrintable(trouble));
        QTest::qWait(500);
        QCOMPARE(jobFiles().size(), before.size() + 1);
        QCOMPARE(pdfprobe::pageCount(job), 1);
        const QImage image = pdfprobe::firstPage(job);
        const QList<stock::Cell> cells = stock::cells(*product);
        QRectF used;
        for (const stock::Cell& cell : cells) {
            const QRectF area(cell.rect.topLeft() / ui::kPointsPerMm, cell.rect.size() / ui::kPointsPerMm);
            const QRectF ink = pdfprobe::inkBoxMm(image, area);
            QCOMPARE(ink.isNull(), cell.number > 4);
            if (cell.number <= 4)
                used |= area;
        }
        const QRectF ink = pdfprobe::inkBoxMm(image);
        QVERIFY2(
            used.adjusted(-0.1, -0.1, 0.1, 0.1).contains(ink),
            qPrintable(QStringLiteral("%1 %2 %3 %4").arg(ink.x()).arg(ink.y()).arg(ink.right()).arg(ink.bottom())));
        const QList<pdfprobe::Word> printedWords = pdfprobe::words(job);
        for (int i = 0; i < 4; ++i) {
            const auto word = std::find_if(printedWords.begin(), printedWords.end(),
                                           [&](const pdfprobe::Word& w) { return w.text == words[i]; });
            QVERIFY2(word != printedWords.end(), qPrintable(words[i]));
            QVERIFY2(cells[i].rect.contains(word->box), qPrintable(words[i]));
        }
        QCOMPARE(stock::SheetMemory(h.context->settings()).usedCells(*product), (QList<int>{1, 2, 3, 4}));
        QVERIFY(h.forms->readytoprint.collections().of(*product).isEmpty());
        QVERIFY(!QFile::exists(h.forms->readytoprint.collections().fileOf(*product)));
    }

    void aStoppedQueueIsReportedAndNothingIsUnloaded()
    {
        Harness h(Harness::PrinterKind::System);
        h.forms->start();
        h.forms->Tessera.Command3_Click();
        h.forms->diskop.controls().Option1->click();
        h.forms->diskop.Command1_Click();
        h.forms->CDSleve.Label1(4).setCaption(QStringLiteral("do not lose me"));
        h.forms->frmchangecap.Command3_Click();
        h.take();
        const QStringList before = jobFiles();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseQueue(QStringLiteral("TesseraDown")));
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text, PrintManager::kPrinterErrorText);
        QCOMPARE(h.take(), QStringList{"show CDSleve"});
        for (ui::Form* form : h.forms->wizard())
            QVERIFY2(form->exists(), qPrintable(form->name()));
        QCOMPARE(h.forms->CDSleve.Label1(4).caption(), QStringLiteral("do not lose me"));
        QCOMPARE(jobFiles(), before);

        // Retried on a working printer, the same job prints. Its file is
        // awaited here, so that it cannot arrive during a later test.
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::chooseQueue(QStringLiteral("TesseraPDF")));
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.visible(), QStringList{"Tessera"});
        QString trouble;
        QVERIFY2(!waitForNewJob(before, trouble).isEmpty(), qPrintable(trouble));
    }

    void aQueueRemovedAfterItWasChosenIsAPrinterError()
    {
        const auto lpadmin = [](const QStringList& args) {
            QProcess p;
            p.start(QStringLiteral("lpadmin"), args);
            return p.waitForFinished(10000) && p.exitCode() == 0;
        };
        QVERIFY(lpadmin({"-p", "TesseraGone", "-E", "-v", "keep:" + outputFolder()}));
        Harness h(Harness::PrinterKind::System);
        h.forms->start();
        h.forms->Tessera.disktype = LabelKind::ZipLabel;
        h.dialogs->printAnswers.push_back([&](platform::Printer& printer) {
            printer.device().setPrinterName(QStringLiteral("TesseraGone"));
            const bool chosen = printer.device().printerName() == QLatin1String("TesseraGone");
            lpadmin({"-x", "TesseraGone"});
            return chosen;
        });
        const QStringList before = jobFiles();
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text, PrintManager::kPrinterErrorText);
        QVERIFY(h.forms->readytoprint.exists());
        QCOMPARE(jobFiles(), before);
    }
};

QTEST_MAIN(SpoolerTest)
#include "test_spooler.moc"
