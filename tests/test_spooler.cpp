// Printing through a real CUPS scheduler (started by the test fixture):
// each template comes out as one page with its outline at the designed
// size, and a stopped queue is reported without losing the job.

#include "support/Harness.h"
#include "support/PdfProbe.h"

#include "collection/Collections.h"
#include "document/DiscFace.h"
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
#include <QtMath>
#include <QtTest>

#include <cstring>

#include <numeric>

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

// Disc labels: two on Letter with a 41 mm hole and a margin of their own,
// two on A4 with a 17 mm hole and none.
const char kDiscProducts[] = R"(<?xml version="1.0"?>
<Glabels-templates>
  <Template brand="Test" part="Disc-41" size="US-Letter" _description="CD labels">
    <Meta category="media"/>
    <Label-cd id="0" radius="58.5mm" hole="20.5mm">
      <Markup-margin size="1.5mm"/>
      <Layout nx="1" ny="2" x0="49.45mm" y0="20mm" dy="127mm"/>
    </Label-cd>
  </Template>
  <Template brand="Test" part="Disc-17" size="A4" _description="CD labels, small hole">
    <Meta category="media"/>
    <Label-cd id="0" radius="58.5mm" hole="8.5mm">
      <Layout nx="1" ny="2" x0="46.5mm" y0="21.5mm" dy="137mm"/>
    </Label-cd>
  </Template>
</Glabels-templates>
)";

// The ink of a printed page of disc labels, looked at disc by disc.
struct DiscInk {
    int outside = 0;        // inked pixels outside every printed disc's ring
    QList<int> inkedDiscs;  // the cells with ink in their ring
    QString firstOutside;   // where the first of them lies
};

DiscInk discInk(const QImage& page, const QList<stock::Cell>& cells, const QList<int>& printed, double outerMm,
                double innerMm)
{
    constexpr double kSlackMm = 0.2;
    const double mmPerPixel = ui::kMmPerInch / pdfprobe::kDpi;
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    DiscInk out;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (row[x] >= 250)
                continue;
            const QPointF at((x + 0.5) * mmPerPixel, (y + 0.5) * mmPerPixel);
            bool inRing = false;
            for (const stock::Cell& cell : cells) {
                const double d = QLineF(at, cell.rect.center() / ui::kPointsPerMm).length();
                if (d >= innerMm - kSlackMm && d <= outerMm + kSlackMm && printed.contains(cell.number)) {
                    inRing = true;
                    if (!out.inkedDiscs.contains(cell.number))
                        out.inkedDiscs.append(cell.number);
                }
            }
            if (!inRing && out.outside++ == 0)
                out.firstOutside = QStringLiteral("%1, %2 mm").arg(at.x()).arg(at.y());
        }
    }
    return out;
}

// The glyphs of the disk name (the ink above `aboveMm` over the disc's
// centre, each connected piece one glyph): how far from the centre each
// one's middle lies, and the angles from the top, clockwise, that they span.
struct NameGlyphs {
    QList<double> radii;
    double firstAngle = 0, lastAngle = 0;  // degrees
};

NameGlyphs nameGlyphs(const QImage& page, QPointF centreMm, double aboveMm)
{
    const double mmPerPixel = ui::kMmPerInch / pdfprobe::kDpi;
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    const auto inked = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < grey.width() && y < grey.height() && grey.constScanLine(y)[x] < 128 &&
               (y + 0.5) * mmPerPixel < centreMm.y() - aboveMm;
    };
    QImage seen(grey.size(), QImage::Format_Grayscale8);
    seen.fill(0);
    NameGlyphs out;
    out.firstAngle = 360;
    out.lastAngle = -360;
    const int top = std::max(0, int((centreMm.y() - 60) / mmPerPixel));
    for (int y = top; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            if (!inked(x, y) || seen.scanLine(y)[x])
                continue;
            double nearest = 1e9, farthest = 0;
            int pixels = 0;
            QList<QPoint> open{QPoint(x, y)};
            seen.scanLine(y)[x] = 1;
            while (!open.isEmpty()) {
                const QPoint p = open.takeLast();
                ++pixels;
                const QPointF at = QPointF(p.x() + 0.5, p.y() + 0.5) * mmPerPixel - centreMm;
                nearest = std::min(nearest, std::hypot(at.x(), at.y()));
                farthest = std::max(farthest, std::hypot(at.x(), at.y()));
                const double angle = qRadiansToDegrees(std::atan2(at.x(), -at.y()));
                out.firstAngle = std::min(out.firstAngle, angle);
                out.lastAngle = std::max(out.lastAngle, angle);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (inked(p.x() + dx, p.y() + dy) && !seen.scanLine(p.y() + dy)[p.x() + dx]) {
                            seen.scanLine(p.y() + dy)[p.x() + dx] = 1;
                            open.append(QPoint(p.x() + dx, p.y() + dy));
                        }
            }
            if (pixels >= 20)
                out.radii.append((nearest + farthest) / 2);
        }
    }
    return out;
}

const char kPaperSizes[] = R"(<Glabels-paper-sizes>
  <Paper-size id="A4" _name="A4" pwg_size="iso_a4" width="210mm" height="297mm"/>
  <Paper-size id="US-Letter" _name="US Letter" pwg_size="na_letter" width="8.5in" height="11in"/>
</Glabels-paper-sizes>)";

// The products of `products` on the paper sizes above, as a system's
// database in `folder`.
stock::ProductDatabase productsIn(const QTemporaryDir& folder, const char* fileName, const char* products)
{
    const QString system = folder.filePath(QStringLiteral("templates"));
    QDir().mkpath(system);
    for (const auto& [name, bytes] : {std::pair{"paper-sizes.xml", kPaperSizes}, {fileName, products}}) {
        QFile file(QDir(system).filePath(QLatin1String(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != qint64(std::strlen(bytes)))
            qFatal("%s could not be written", qPrintable(file.fileName()));
    }
    return stock::ProductDatabase::load({{}, {system}});
}

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
        const stock::ProductDatabase database = productsIn(folder, "test-templates.xml", kProducts);
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

    // A CD job printed as disc faces through the print manager: all its ink
    // in the ring of its disc, between the hole and the edge less the
    // margin; the name's glyphs on one circle, centred on the top; the lines
    // as text in the ring, as many as the tab says fit; the next print on
    // the next disc.
    void discFacesKeepToTheirRing_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<double>("hole");
        QTest::addColumn<double>("margin");
        QTest::addColumn<bool>("longTexts");
        QTest::newRow("41 mm hole, 1.5 mm margin") << "Disc-41" << 20.5 << 1.5 << false;
        QTest::newRow("17 mm hole, no margin given") << "Disc-17" << 8.5 << 2.0 << false;
        QTest::newRow("80-character name, 45 long lines") << "Disc-17" << 8.5 << 2.0 << true;
    }
    void discFacesKeepToTheirRing()
    {
        QFETCH(QString, part);
        QFETCH(double, hole);
        QFETCH(double, margin);
        QFETCH(bool, longTexts);
        QTemporaryDir folder;
        const stock::ProductDatabase database = productsIn(folder, "disc-templates.xml", kDiscProducts);
        const stock::Product* product = database.find(QStringLiteral("Test"), part);
        QVERIFY(product);
        const double outer = 58.5 - margin, inner = hole + margin;

        const QString name = longTexts ? QStringLiteral(
                                             "Backup of the family archive: letters, photographs, films and "
                                             "the tax years 2019-2024")
                                       : QStringLiteral("HELIX TIME H");
        QStringList lines;
        if (longTexts) {
            for (int i = 1; i <= 45; ++i)
                lines << QStringLiteral("line%1 a folder name that runs on and on well past any chord.txt")
                             .arg(i, 2, 10, QLatin1Char('0'));
        } else {
            lines = QStringList{QStringLiteral("photos lake"), QStringLiteral("letters 2023"), QString(),
                                QStringLiteral("music jazz"), QStringLiteral("taxes receipts")};
        }
        QCOMPARE(name.size() >= 80, longTexts);

        Harness h(Harness::PrinterKind::System);
        stock::SheetMemory(h.context->settings()).newSheet(*product);
        for (int print = 1; print <= 2; ++print) {
            h.forms->start();
            h.forms->Tessera.Command3_Click();
            h.forms->diskop.controls().Option1->click();
            h.forms->diskop.Command1_Click();
            h.forms->CDSleve.text().setDiskName(1, name);
            h.forms->CDSleve.text().fill(lines);
            h.forms->frmchangecap.Command3_Click();
            stock::Choice choice;
            choice.product = *product;
            choice.firstCell = stock::SheetMemory(h.context->settings()).firstFreeCell(*product);
            QCOMPARE(choice.firstCell, print);
            choice.discFace = true;
            const std::unique_ptr<document::DiscFace> face = document::discFaceFor(h.forms->CDSleve.text(), choice);
            QVERIFY(face);
            const QStringList before = jobFiles();
            // The tab is offered the face, and shows what fits as it prints.
            QString shown;
            h.dialogs->printAnswers.push_back([&](platform::Printer& printer) {
                const platform::StockSetup& setup = h.dialogs->stockSetups.last();
                shown = setup.discFace ? setup.discFace(choice).fit : QStringLiteral("(no disc face)");
                return platform::ScriptedDialogs::chooseQueue(QStringLiteral("TesseraPDF"))(printer);
            });
            h.dialogs->stockAnswers.push_back(choice);
            h.forms->readytoprint.Command1_Click();
            QVERIFY2(h.messages->calls.isEmpty(), qPrintable(h.messages->calls.value(0).text));
            QCOMPARE(shown, face->fitNote());

            QString trouble;
            const QString job = waitForNewJob(before, trouble);
            QVERIFY2(!job.isEmpty(), qPrintable(trouble));
            QCOMPARE(pdfprobe::pageCount(job), 1);
            const QImage page = pdfprobe::page(job, 1);
            const QList<stock::Cell> cells = stock::cells(*product);
            const DiscInk ink = discInk(page, cells, {print}, outer, inner);
            QVERIFY2(ink.outside == 0, qPrintable(QStringLiteral("%1 pixels outside the ring, the first at %2")
                                                      .arg(ink.outside)
                                                      .arg(ink.firstOutside)));
            QCOMPARE(ink.inkedDiscs, QList<int>{print});
            const QPointF centre = cells[print - 1].rect.center() / ui::kPointsPerMm;

            // The lines, as text, inside the ring.
            const QList<pdfprobe::Word> words = pdfprobe::words(job, 1);
            const auto inRing = [&](const pdfprobe::Word& word) {
                const double d = QLineF(word.box.center() / ui::kPointsPerMm, centre).length();
                return d > inner && d < outer;
            };
            if (longTexts) {
                int found = 0;
                for (const pdfprobe::Word& word : words) {
                    if (QRegularExpression(QStringLiteral("^line\\d\\d$")).match(word.text).hasMatch()) {
                        ++found;
                        QVERIFY2(inRing(word), qPrintable(word.text));
                    }
                }
                qInfo("%s", qPrintable(face->fitNote()));
                QCOMPARE(found, face->linesShown());
                QVERIFY(found > 0);
                continue;
            }
            QCOMPARE(face->fitNote(), QStringLiteral("4 of 4 lines fit on the disc"));
            for (const QString& line : std::as_const(lines)) {
                for (const QString& word : line.split(u' ', Qt::SkipEmptyParts)) {
                    const auto found = std::find_if(words.begin(), words.end(),
                                                    [&](const pdfprobe::Word& w) { return w.text == word; });
                    QVERIFY2(found != words.end(), qPrintable(word));
                    QVERIFY2(inRing(*found), qPrintable(word));
                }
            }
            // The name: its glyphs' middles on one circle, centred on the top.
            const NameGlyphs glyphs = nameGlyphs(page, centre, inner + 1);
            QCOMPARE(glyphs.radii.size(), name.size() - name.count(u' '));
            const double mean = std::accumulate(glyphs.radii.begin(), glyphs.radii.end(), 0.0) / glyphs.radii.size();
            for (double r : glyphs.radii)
                QVERIFY2(qAbs(r - mean) <= 0.3, qPrintable(QStringLiteral("%1 mm from %2 mm").arg(r).arg(mean)));
            qInfo("name glyphs at %.2f mm, from %.2f to %.2f degrees", mean, glyphs.firstAngle, glyphs.lastAngle);
            QVERIFY2(qAbs(qDegreesToRadians(glyphs.firstAngle + glyphs.lastAngle)) * mean <= 0.3,
                     qPrintable(QStringLiteral("%1 to %2").arg(glyphs.firstAngle).arg(glyphs.lastAngle)));
        }
        QCOMPARE(stock::SheetMemory(h.context->settings()).usedCells(*product), QList<int>());
    }

    // Three floppy labels and a card collected for one sheet, the program
    // started afresh between them, print as one job of one page: each label
    // in its own cell with its own words; a cancelled print keeps them all,
    // a print that went through empties the collection and uses the cells.
    void aCollectedSheetPrintsEachLabelInItsCell()
    {
        QTemporaryDir folder;
        const stock::ProductDatabase database = productsIn(folder, "test-templates.xml", kProducts);
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
