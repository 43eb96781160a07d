// Labels made without a window: a whole collection of disk images and
// folders in one run of the real program, with no display, each label
// filled as automatic contents fills it; and saved cards.

#include "support/Harness.h"
#include "support/PdfProbe.h"

#include "document/CardDocument.h"
#include "platform/Pictures.h"
#include "output/Pipeline.h"
#include "platform/Printer.h"
#include "platform/Settings.h"
#include "stock/Calibration.h"
#include "stock/PrintRun.h"
#include "stock/ProductDatabase.h"
#include "stock/SheetMemory.h"
#include "stock/SheetGeometry.h"
#include "document/TemplateDesign.h"
#include "document/TemplateDocument.h"

#include <QPrinter>
#include <QScopeGuard>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs a shell script in `dir`; returns its error output when it fails.
QString sh(const QString& dir, const QString& script)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral("sh"), {QStringLiteral("-ec"), script});
    if (!p.waitForFinished(300000) || p.exitCode() != 0)
        return QStringLiteral("failed: %1\n%2").arg(script, QString::fromLocal8Bit(p.readAllStandardError()));
    return {};
}

struct Outcome {
    int status = -1;
    QString errors;
    QByteArray output;
};

// How the program runs besides its words.
struct Setup {
    QString cupsServer{};       // the spooler, if one is given
    rlim_t fileSizeLimit = 0;   // the largest file it may write, if one is given
    QByteArray input{};         // its standard input
    bool closedStderr = false;  // stderr a pipe whose reader is gone
    bool asNobody = false;      // the unprivileged user "nobody", when this is root
};

enum { kCannotDropRoot = 99 };

// The program, copied where "nobody" may run it: a checkout in a private
// folder (mode 0700) is closed to other users.
QString programForEveryone()
{
    static QTemporaryDir dir(QStringLiteral("/tmp/tessera-XXXXXX"));
    static const QString program = [] {
        const QString copy = dir.filePath(QStringLiteral("tessera"));
        const bool ok = dir.isValid() && ::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0 &&
                        QFile::copy(QStringLiteral(TESSERA_BINARY), copy) &&
                        ::chmod(QFile::encodeName(copy).constData(), 0755) == 0;
        return ok ? copy : QStringLiteral(TESSERA_BINARY);
    }();
    return program;
}

// The program run by the shell in `dir` with `words` (shell words, so that
// names that are no UTF-8 can be given), no display anywhere, as `setup`
// says.
Outcome tessera(const QString& dir, const QString& words, const Setup& setup = {})
{
    QProcess p;
    p.setChildProcessModifier([setup] {
        if (setup.fileSizeLimit > 0) {
            const rlimit limit{setup.fileSizeLimit, setup.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (setup.closedStderr) {
            int ends[2];
            if (::pipe(ends) == 0) {
                ::close(ends[0]);
                ::dup2(ends[1], STDERR_FILENO);
                ::close(ends[1]);
            }
        }
        const uid_t nobody = 65534;
        if (setup.asNobody && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
             ::setresuid(nobody, nobody, nobody) != 0))
            ::_exit(kCannotDropRoot);
    });
    p.setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_LOGGING_RULES"})
        env.remove(QString::fromLatin1(name));
    if (!setup.cupsServer.isEmpty())
        env.insert(QStringLiteral("CUPS_SERVER"), setup.cupsServer);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$0\" ") + words,
                                   setup.asNobody ? programForEveryone() : QStringLiteral(TESSERA_BINARY)});
    p.write(setup.input);
    p.closeWriteChannel();
    if (!p.waitForFinished(300000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError()), p.readAllStandardOutput()};
}

// A template label as printed into `box` (points on page `page`, the
// design scaled by `scale`): the words that lie in each content field, and
// in the disk-name field.
struct Fields {
    QStringList contents;
    QString diskName;
};

Fields printedFields(const QList<pdfprobe::Word>& words, const QRectF& box, double scale,
                     const document::TemplateDesign& design)
{
    Fields fields;
    fields.contents = QStringList(design.fieldCount(), QString());
    const auto append = [](QString& field, const QString& word) {
        field += (field.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    };
    for (const pdfprobe::Word& word : words) {
        if (!box.contains(word.box.center()))
            continue;
        // Points to the design's twips.
        const QPoint centre = ((word.box.center() - box.topLeft()) / scale * 20).toPoint();
        if (design.diskName1.contains(centre)) {
            append(fields.diskName, word.text);
            continue;
        }
        for (int i = 0; i < design.fieldCount(); ++i) {
            if (design.contentFields[i].contains(centre))
                append(fields.contents[i], word.text);
        }
    }
    return fields;
}

// A job the private spooler's PDF queue wrote that was not among `before`,
// once complete.
QString waitForNewJob(const QStringList& before)
{
    const QDir out(qEnvironmentVariable("TESSERA_CUPS_OUT"));
    for (QDeadlineTimer bound(60000); !bound.hasExpired(); QThread::msleep(100)) {
        for (const QString& name : out.entryList({QStringLiteral("job-*.pdf")}, QDir::Files)) {
            if (!before.contains(name) && pdfprobe::waitForFile(out.filePath(name), 30))
                return out.filePath(name);
        }
    }
    return {};
}

QStringList padded(QStringList entries, int count)
{
    entries = entries.mid(0, count);
    while (entries.size() < count)
        entries.append(QString());
    return entries;
}

}  // namespace

class BatchTest : public QObject {
    Q_OBJECT

    // A product of the installed label database, or none.
    static std::optional<stock::Product> standardProduct(const QString& brand, const QString& part)
    {
        const stock::ProductDatabase database =
            stock::ProductDatabase::load(stock::ProductDatabase::Sources::standard());
        const stock::Product* product = database.find(brand, part);
        return product ? std::optional<stock::Product>(*product) : std::nullopt;
    }

    // The collection's 33 labels in the cells of Avery 5196 sheets (3 x 3 on
    // Letter paper), each shrunk to its cell.
    static void checkSheets(const QString& pdf)
    {
        QCOMPARE(pdfprobe::pageCount(pdf), 4);
        const std::optional<stock::Product> product = standardProduct(QStringLiteral("Avery"), QStringLiteral("5196"));
        QVERIFY(product);
        const QList<stock::Cell> cells = stock::cells(*product);
        QCOMPARE(cells.size(), 9);
        const document::TemplateDesign& design = document::floppyLabel();
        const ui::LengthSize designSize = ui::LengthSize::mm(document::sizeMm(design));
        QList<Fields> labels;
        for (int page = 1; page <= 4; ++page) {
            const QList<pdfprobe::Word> words = pdfprobe::words(pdf, page);
            for (const stock::Cell& cell : cells) {
                const stock::Placement placed =
                    stock::place(designSize, ui::LengthSize::pt(cell.rect.size()), stock::Fit::ShrinkToFit);
                labels.append(printedFields(words, placed.rect.translated(cell.rect.topLeft()), placed.scale, design));
            }
        }
        for (int i = 1; i <= 30; ++i) {
            const QString n = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
            const Fields& printed = labels[i - 1];
            QCOMPARE(printed.contents, padded({QStringLiteral("[D%1]").arg(n), QStringLiteral("F%1A.TXT").arg(n),
                                               QStringLiteral("F%1B.TXT").arg(n)},
                                              design.fieldCount()));
            const QString stem = i == 29 ? QStringLiteral("caf\u00e9") : QStringLiteral("disk") + n;
            QCOMPARE(printed.diskName, i % 2 == 0 ? QStringLiteral("VOL") + n : stem);
        }
        QCOMPARE(labels[30].diskName, QStringLiteral("Photos 2024"));
        QCOMPARE(labels[30].contents.mid(0, 3), (QStringList{"[PICTURES]", "readme.txt", QString()}));
        QCOMPARE(labels[31].diskName, QStringLiteral("plain"));
        QCOMPARE(labels[32].diskName, QStringLiteral("big"));
        QCOMPARE(labels[32].contents.first(), QStringLiteral("f00001"));
        QCOMPARE(labels[32].contents.last(), QStringLiteral("f%1").arg(design.fieldCount(), 5, 10, QLatin1Char('0')));
        // The rest of the last sheet is empty.
        QVERIFY(labels[33].diskName.isEmpty() && labels[35].contents.join(QString()).isEmpty());
    }

    QTemporaryDir config_;

private Q_SLOTS:
    void initTestCase()
    {
        configureTestApplication();
        // What the runs remember (used labels, calibrations) goes to a
        // configuration folder of the test's own.
        QVERIFY(config_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
    }

    // A print queue is named or there is none: an unknown queue prints
    // nothing anywhere; a queue on label stock is printed with the
    // calibration the label stock tab keeps for it, and its used labels
    // are remembered for the next print from the window.
    void theQueueItsCalibrationAndTheUsedLabels()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("CUPS_SERVER"), "run through ctest: the fixture starts the spooler");
        QTemporaryDir dir;
        const QDir out(qEnvironmentVariable("TESSERA_CUPS_OUT"));
        const QStringList before = out.entryList({QStringLiteral("job-*.pdf")}, QDir::Files);
        const QString label = QStringLiteral("--floppy --name Calibrated --stock 'Avery 5196' --outline ");
        const Outcome unknown = tessera(dir.path(), label + QStringLiteral("--printer NoSuchQueue"));
        QCOMPARE(unknown.status, 1);
        QVERIFY2(unknown.errors.contains(QStringLiteral("\"NoSuchQueue\" not found")), qPrintable(unknown.errors));

        const QString conf = config_.filePath(QStringLiteral("Tessera/Tessera.conf"));
        QFile::remove(conf);
        const auto forget = qScopeGuard([&conf] { QFile::remove(conf); });
        platform::Settings settings(conf);
        const stock::Calibration calibration{2, -1.5, 100, 100};
        QVERIFY(stock::saveCalibration(settings, QStringLiteral("TesseraPDF"), calibration));
        const Outcome printed = tessera(dir.path(), label + QStringLiteral("--printer TesseraPDF --start-cell 2"));
        QVERIFY2(printed.status == 0 && printed.errors.isEmpty(), qPrintable(printed.errors));
        const QString job = waitForNewJob(before);
        QVERIFY2(!job.isEmpty(), "no job arrived");
        QCOMPARE(out.entryList({QStringLiteral("job-*.pdf")}, QDir::Files).size(), before.size() + 1);

        // Cell 2's outline, moved against what the printer was measured to do
        // (2 mm right and 1.5 mm up): the PDF queue does nothing of the kind.
        const std::optional<stock::Product> product = standardProduct(QStringLiteral("Avery"), QStringLiteral("5196"));
        QVERIFY(product);
        const QRectF cell = stock::cells(*product)[1].rect;
        const QRectF expected(cell.topLeft() / ui::kPointsPerMm + QPointF(-2, 1.5), cell.size() / ui::kPointsPerMm);
        const QRectF ink = pdfprobe::inkBoxMm(pdfprobe::firstPage(job), expected.adjusted(-3, -3, 3, 3));
        QVERIFY2(qAbs(ink.left() - expected.left()) < 0.15 && qAbs(ink.top() - expected.top()) < 0.15,
                 qPrintable(QStringLiteral("ink at %1, %2 mm, the calibrated cell at %3, %4 mm")
                                .arg(ink.left())
                                .arg(ink.top())
                                .arg(expected.left())
                                .arg(expected.top())));
        QCOMPARE(stock::SheetMemory(settings).usedCells(*product), (QList<int>{1, 2}));
    }

    // Labels collected run by run print later as one sheet, each in the
    // cells it was given; the sheet is then empty.
    void labelsCollectedRunByRunPrintAsOneSheet()
    {
        QTemporaryDir dir;
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        const auto restore = qScopeGuard([] { qunsetenv("XDG_DATA_HOME"); });
        const QString stock = QStringLiteral("--stock 'Avery 5196' ");
        const Outcome one = tessera(dir.path(), QStringLiteral("--floppy --name Onefold --collect ") + stock);
        QCOMPARE(one.status, 0);
        QCOMPARE(one.errors, QStringLiteral("tessera: Label 1 of 9 collected on Avery 5196; the sheet prints with "
                                            "--print-collected.\n"));
        const Outcome two =
            tessera(dir.path(), QStringLiteral("--floppy --name Twofold --collect --copies 2 ") + stock);
        QVERIFY2(two.status == 0 && two.errors.contains(u"Labels 2 to 3 of 9 collected"), qPrintable(two.errors));
        QCOMPARE(tessera(dir.path(), QStringLiteral("--floppy --name X --collect --pdf x.pdf ") + stock).status, 2);

        const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
        const Outcome printed = tessera(dir.path(), QStringLiteral("--print-collected --pdf sheet.pdf ") + stock);
        QVERIFY2(printed.status == 0 && printed.errors.isEmpty(), qPrintable(printed.errors));
        QCOMPARE(pdfprobe::pageCount(pdf), 1);
        const std::optional<stock::Product> product = standardProduct(QStringLiteral("Avery"), QStringLiteral("5196"));
        QVERIFY(product);
        const QList<stock::Cell> cells = stock::cells(*product);
        QList<int> where;
        for (const pdfprobe::Word& word : pdfprobe::words(pdf)) {
            for (const stock::Cell& cell : cells) {
                if ((word.text == u"Onefold" || word.text == u"Twofold") && cell.rect.contains(word.box))
                    where.append(word.text == u"Onefold" ? cell.number : -cell.number);
            }
        }
        QCOMPARE(where, (QList<int>{1, -2, -3}));
        const Outcome again = tessera(dir.path(), QStringLiteral("--print-collected --pdf again.pdf ") + stock);
        QCOMPARE(again.status, 1);
        QVERIFY2(again.errors.contains(u"No labels are collected for Avery 5196."), qPrintable(again.errors));

        // A stored sheet that is damaged is set aside and said first.
        QVERIFY(tessera(dir.path(), QStringLiteral("--floppy --name Threefold --collect ") + stock).status == 0);
        const QString stored = dir.filePath(QStringLiteral("data/Tessera/Tessera/collected/Avery_5196.sheet"));
        QFile file(stored);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(file.size() / 2) && file.write("#") == 1);
        file.close();
        const Outcome damaged = tessera(dir.path(), QStringLiteral("--print-collected --pdf damaged.pdf ") + stock);
        QCOMPARE(damaged.status, 1);
        QVERIFY2(damaged.errors.startsWith(u"tessera: The labels collected for Avery 5196 could not be read: it is "
                                           u"damaged"),
                 qPrintable(damaged.errors));
    }

    // A product that the database leaves out is named with its reason, not
    // taken for one that is not there.
    void aProductLeftOutSaysWhy()
    {
        QTemporaryDir dir;
        const QString folder = config_.filePath(QStringLiteral("libglabels/templates"));
        QVERIFY(QDir().mkpath(folder));
        QFile products(folder + QStringLiteral("/mine-templates.xml"));
        QVERIFY(products.open(QIODevice::WriteOnly));
        products.write(R"(<Glabels-templates><Template brand="Mine" part="M-1" size="Other" width="100mm"
            height="100mm" _description="Too wide"><Label-rectangle id="0" width="150mm" height="40mm">
            <Layout nx="1" ny="1" x0="5mm" y0="5mm"/></Label-rectangle></Template></Glabels-templates>)");
        products.close();
        const auto forget = qScopeGuard([&products] { products.remove(); });
        const Outcome run = tessera(dir.path(), QStringLiteral("--floppy --name X --stock 'mine m-1' --pdf x.pdf"));
        QCOMPARE(run.status, 2);
        QVERIFY2(run.errors.startsWith(QStringLiteral("tessera: Mine M-1 is in the label database but left out: ")),
                 qPrintable(run.errors));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.pdf"))));
    }

    // The PDF file is never one of the inputs, nor a file that is no PDF:
    // a forgotten output name is a mistake on the command line.
    void thePdfFileIsNeverAnInputNorAnotherFile()
    {
        QTemporaryDir dir;
        QVERIFY(sh(dir.path(), QStringLiteral("mkfs.fat -C same.img 1440 >/dev/null && cp same.img other.img && "
                                              "ln -s same.img link.img && echo notes > notes.txt"))
                    .isEmpty());
        const QByteArray image = [&] {
            QFile f(dir.filePath(QStringLiteral("same.img")));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        for (const char* words : {"--pdf same.img same.img", "--pdf link.img same.img other.img",
                                  "--pdf other.img same.img", "--pdf notes.txt same.img"}) {
            const Outcome run = tessera(dir.path(), QStringLiteral("--floppy --contents ") + QLatin1String(words));
            QCOMPARE(run.status, 2);
            QVERIFY2(!run.errors.isEmpty() && run.errors.count(QLatin1Char('\n')) == 1, qPrintable(run.errors));
        }
        for (const char* name : {"same.img", "other.img"}) {
            QFile f(dir.filePath(QLatin1String(name)));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), image);
        }
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("link.img"))).isSymLink());
    }

    // 30 floppies (half with a volume label, one with a name that is no
    // UTF-8), two CDs and a damaged one, a missing path and a folder of
    // 40,000 files, in one run.
    void aCollectionIsLabelledInOneRunAsAutomaticContentsFillsEach()
    {
        QTemporaryDir dir;
        // QTemporaryDir cannot remove a name that is no UTF-8.
        const auto clear = qScopeGuard([&dir] { (void)sh(dir.path(), QStringLiteral("rm -rf ./*")); });
        QVERIFY2(sh(dir.path(),
                    QStringLiteral(
                        "for i in $(seq -w 1 30); do "
                        "  if [ $((1$i % 2)) = 0 ]; then n=\"-n VOL$i\"; else n=; fi; "
                        "  mkfs.fat $n -C disk$i.img 1440 >/dev/null; "
                        "  echo x > F${i}B.TXT; echo y > F${i}A.TXT; echo z > H$i.SYS; "
                        "  mcopy -i disk$i.img F${i}B.TXT F${i}A.TXT H$i.SYS ::/; mmd -i disk$i.img ::/D$i; "
                        "  mattrib -i disk$i.img +h ::/H$i.SYS; rm F${i}?.TXT H$i.SYS; "
                        "done; "
                        "mv disk29.img \"$(printf 'caf\\351.img')\"; "
                        "mkdir -p cd/Pictures && echo p > cd/readme.txt && "
                        "xorriso -as mkisofs -quiet -R -J -V 'Photos 2024' -o photos.iso cd 2>/dev/null && "
                        "xorriso -as mkisofs -quiet -R -J -V '' -o plain.iso cd 2>/dev/null && "
                        "truncate -s 3M cd/pad.bin && xorriso -as mkisofs -quiet -J -o full.iso cd 2>/dev/null && "
                        "head -c 1000000 full.iso > damaged.iso && rm -rf full.iso cd && "
                        "mkdir big && cd big && seq -f 'f%05g' 40000 | xargs touch"))
                     .isEmpty(),
                 "the images could not be made");
        QStringList words;
        for (int i = 1; i <= 30; ++i)
            words << (i == 29 ? QStringLiteral("\"$(printf 'caf\\351.img')\"")
                              : QStringLiteral("disk%1.img").arg(i, 2, 10, QLatin1Char('0')));
        words << QStringLiteral("photos.iso") << QStringLiteral("damaged.iso") << QStringLiteral("plain.iso")
              << QStringLiteral("gone.img") << QStringLiteral("big/");
        const Outcome run =
            tessera(dir.path(), QStringLiteral("--floppy --contents --stock 'Avery 5196' --pdf out.pdf ") +
                                    words.join(QLatin1Char(' ')));

        // Two of 35 failed: the damaged image and the missing one, each named.
        QCOMPARE(run.status, 1);
        const QStringList lines = run.errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(lines.contains(QStringLiteral("[1/35] disk01.img: 3 entries")), qPrintable(run.errors));
        QVERIFY2(lines.contains(QStringLiteral("[29/35] caf\u00e9.img: 3 entries")), qPrintable(run.errors));
        QVERIFY2(lines.contains(QStringLiteral("[35/35] big: 40000 entries, 20 on the label")), qPrintable(run.errors));
        QVERIFY2(run.errors.contains(QStringLiteral("tessera: damaged.iso: Device unavailable")),
                 qPrintable(run.errors));
        QVERIFY2(run.errors.contains(QStringLiteral("tessera: gone.img: File not found")), qPrintable(run.errors));
        QVERIFY2(lines.last() == QStringLiteral("tessera: 2 of 35 inputs failed"), qPrintable(run.errors));
        // Nothing but progress and errors: every line is one or the other.
        for (const QString& line : lines)
            QVERIFY2(line.startsWith(QLatin1Char('[')) || line.startsWith(QStringLiteral("tessera: ")),
                     qPrintable(line));

        // On four Letter sheets of nine labels, each filled as content
        // selection fills it: folders first, then files, hidden ones left
        // out; the disk's name, else the file's.
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        checkSheets(pdf);

        // The same run to the default print queue is one job of those pages.
        QVERIFY2(!qEnvironmentVariableIsEmpty("CUPS_SERVER"), "run through ctest: the fixture starts the spooler");
        const QStringList before =
            QDir(qEnvironmentVariable("TESSERA_CUPS_OUT")).entryList({QStringLiteral("job-*.pdf")}, QDir::Files);
        const Outcome printed = tessera(
            dir.path(), QStringLiteral("--floppy --contents --stock 'Avery 5196' ") + words.join(QLatin1Char(' ')));
        QCOMPARE(printed.status, 1);
        QCOMPARE(printed.errors, run.errors);
        const QString job = waitForNewJob(before);
        QVERIFY2(!job.isEmpty(), "no job arrived");
        checkSheets(job);
        QThread::msleep(1000);
        QCOMPARE(
            QDir(qEnvironmentVariable("TESSERA_CUPS_OUT")).entryList({QStringLiteral("job-*.pdf")}, QDir::Files).size(),
            before.size() + 1);
    }

    // CD images on CD labels are disc faces, two to a sheet, each listing its
    // own image inside its disc's ring; --layout sleeve gives the sleeve cut
    // to the disc, --disc-face a face on plain paper. Neither goes with a
    // kind that has no disc face.
    void cdImagesOnCdLabelsAreDiscFaces()
    {
        QTemporaryDir dir;
        QVERIFY2(
            sh(dir.path(), QStringLiteral("for n in alpha bravo charlie; do mkdir $n && echo x > $n/${n}_notes.txt && "
                                          "xorriso -as mkisofs -quiet -R -J -V $n -o $n.iso $n 2>/dev/null; done"))
                .isEmpty(),
            "the images could not be made");
        const Outcome run = tessera(
            dir.path(), QStringLiteral("--cd --contents --stock 'Avery 5931-Disc' --pdf discs.pdf alpha.iso bravo.iso "
                                       "charlie.iso"));
        QVERIFY2(run.status == 0, qPrintable(run.errors));
        const QString pdf = dir.filePath(QStringLiteral("discs.pdf"));
        QCOMPARE(pdfprobe::pageCount(pdf), 2);
        const std::optional<stock::Product> product =
            standardProduct(QStringLiteral("Avery"), QStringLiteral("5931-Disc"));
        QVERIFY(product);
        const QList<stock::Cell> cells = stock::cells(*product);
        const double outer = (product->shape.radius - *product->shape.margin).toMm();
        const double inner = (product->shape.hole + *product->shape.margin).toMm();
        const QStringList listed{QStringLiteral("alpha_notes.txt"), QStringLiteral("bravo_notes.txt"),
                                 QStringLiteral("charlie_notes.txt")};
        for (int face = 0; face < 3; ++face) {
            const QList<pdfprobe::Word> words = pdfprobe::words(pdf, face / 2 + 1);
            const QPointF centre = cells[face % 2].rect.center() / ui::kPointsPerMm;
            const auto found = std::find_if(words.begin(), words.end(),
                                            [&](const pdfprobe::Word& w) { return w.text == listed[face]; });
            QVERIFY2(found != words.end(), qPrintable(listed[face]));
            const double d = QLineF(found->box.center() / ui::kPointsPerMm, centre).length();
            QVERIFY2(d > inner && d < outer, qPrintable(QString::number(d)));
        }
        QVERIFY(!pdfprobe::text(pdf).contains(document::kCreditText));
        // The second sheet's second disc stays blank.
        QVERIFY(pdfprobe::inkBoxMm(pdfprobe::page(pdf, 2), QRectF(cells[1].rect.topLeft() / ui::kPointsPerMm,
                                                                  cells[1].rect.size() / ui::kPointsPerMm))
                    .isNull());

        const Outcome sleeve = tessera(
            dir.path(), QStringLiteral("--cd --contents --stock 'Avery 5931-Disc' --layout sleeve --pdf sleeve.pdf "
                                       "alpha.iso"));
        QVERIFY2(sleeve.status == 0, qPrintable(sleeve.errors));
        QVERIFY(pdfprobe::text(dir.filePath(QStringLiteral("sleeve.pdf"))).contains(document::kCreditText));
        const Outcome plain =
            tessera(dir.path(), QStringLiteral("--cd --contents --disc-face --pdf plain.pdf alpha.iso bravo.iso"));
        QVERIFY2(plain.status == 0, qPrintable(plain.errors));
        QCOMPARE(pdfprobe::pageCount(dir.filePath(QStringLiteral("plain.pdf"))), 2);
        // The disc and its hole to cut along, at 117 mm.
        const QRectF cut = pdfprobe::inkBoxMm(pdfprobe::firstPage(dir.filePath(QStringLiteral("plain.pdf"))));
        QVERIFY2(qAbs(cut.width() - 117) < 0.3 && qAbs(cut.height() - 117) < 0.3,
                 qPrintable(QStringLiteral("%1 x %2").arg(cut.width()).arg(cut.height())));

        for (const char* words :
             {"--floppy --name X --disc-face --pdf x.pdf", "--cd --name X --layout sleeve --pdf x.pdf",
              "--cd --name X --layout round --pdf x.pdf",
              "--cd --name X --stock 'Avery 5196' --disc-face --pdf x.pdf"}) {
            const Outcome refused = tessera(dir.path(), QLatin1String(words));
            QVERIFY2(refused.status == 2, words);
            QVERIFY2(!refused.errors.isEmpty() && !QFile::exists(dir.filePath(QStringLiteral("x.pdf"))), words);
        }
    }

    // Nothing made, nothing written; a PDF that does not fit (a file size
    // limit, as a full disk) is reported: an earlier PDF stays as it was.
    void anEarlierPdfIsReplacedWholeOrNotAtAll()
    {
        QTemporaryDir dir;
        QVERIFY(sh(dir.path(), QStringLiteral("echo %PDF-before > out.pdf && echo junk > junk.img && mkdir folder"))
                    .isEmpty());
        const Outcome run = tessera(dir.path(), QStringLiteral("--cd --contents --pdf out.pdf junk.img nothing/"));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.errors.endsWith(QStringLiteral("tessera: 2 of 2 inputs failed\n")), qPrintable(run.errors));
        const Outcome full =
            tessera(dir.path(), QStringLiteral("--cd --contents --pdf out.pdf folder"), {.fileSizeLimit = 4096});
        QCOMPARE(full.status, 1);
        QVERIFY2(full.errors.startsWith(QStringLiteral("tessera: out.pdf could not be written: ")),
                 qPrintable(full.errors));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"junk.img", "out.pdf"}));
        QFile out(dir.filePath(QStringLiteral("out.pdf")));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), QByteArray("%PDF-before\n"));
    }

    // A disk image on standard input is read where it is a file, whatever
    // reads it; through a pipe it is refused, and so is a file that is no
    // disk image, each saying what it is.
    void standardInputAndWhatIsNoImageSayWhatTheyAre()
    {
        QTemporaryDir dir;
        QVERIFY(sh(dir.path(), QStringLiteral("mkfs.fat -n PIPED -C fat.img 1440 >/dev/null && echo a > A.TXT && "
                                              "mcopy -i fat.img A.TXT ::/ && mkdir cd && echo b > cd/B.TXT && "
                                              "xorriso -as mkisofs -quiet -J -o cd.iso cd 2>/dev/null && "
                                              "printf 'MZ%58s\\100\\000\\000\\000PE\\000\\000%200s' > x.exe"))
                    .isEmpty());
        for (const char* image : {"fat.img", "cd.iso"}) {
            const Outcome run =
                tessera(dir.path(), QStringLiteral("--floppy --contents --pdf out.pdf /dev/stdin < %1").arg(image));
            QVERIFY2(run.status == 0 && run.errors.isEmpty(), qPrintable(image + (": " + run.errors)));
            QVERIFY(QFile::remove(dir.filePath(QStringLiteral("out.pdf"))));
        }
        const Outcome piped =
            tessera(dir.path(), QStringLiteral("--floppy --contents --pdf out.pdf /dev/stdin x.exe"), {.input = [&] {
                        QFile fat(dir.filePath(QStringLiteral("fat.img")));
                        return fat.open(QIODevice::ReadOnly) ? fat.readAll() : QByteArray();
                    }()});
        QCOMPARE(piped.status, 1);
        QCOMPARE(piped.errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 (QStringList{"tessera: /dev/stdin: Path/File access error (it is a pipe, not a regular file)",
                              "tessera: x.exe: The file is not a disk image: a PE file (a Windows program)",
                              "tessera: 2 of 2 inputs failed"}));
    }

    // More inputs than a command line holds come from a list, on standard
    // input or in a file, their names as bytes; progress into a pipe that
    // was closed costs the progress alone; the PDF document may go to
    // standard output, and nothing else goes there. A label that shows less
    // than its input holds says so, also as the only label.
    void inputsComeFromAListAndThePdfGoesWhereverAsked()
    {
        QTemporaryDir dir;
        const auto clear = qScopeGuard([&dir] { (void)sh(dir.path(), QStringLiteral("rm -rf ./*")); });
        QVERIFY(sh(dir.path(), QStringLiteral("mkfs.fat -n ONE -C one.img 1440 >/dev/null && "
                                              "mkfs.fat -n TWO -C \"$(printf 'new\\nline.img')\" 1440 >/dev/null && "
                                              "mkfs.fat -n THREE -C \"$(printf 'caf\\351.img')\" 1440 >/dev/null && "
                                              "mkdir many && cd many && seq -f 'f%03g' 120 | xargs touch"))
                    .isEmpty());
        const QByteArray names = QByteArray("one.img\0new\nline.img\0", 21) + "caf\xe9.img" + '\0';
        const Outcome listed =
            tessera(dir.path(), QStringLiteral("--floppy --contents --inputs-from - --null --pdf out.pdf"),
                    {.input = names, .closedStderr = true});
        QCOMPARE(listed.status, 0);
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        QCOMPARE(pdfprobe::pageCount(pdf), 3);
        const QString text = pdfprobe::text(pdf);
        for (const char* name : {"ONE", "TWO", "THREE"})
            QVERIFY2(text.contains(QLatin1String(name)), qPrintable(text));

        QVERIFY(sh(dir.path(), QStringLiteral("printf 'one.img\\n\\ncaf\\351.img\\n' > list")).isEmpty());
        const Outcome out =
            tessera(dir.path(), QStringLiteral("--floppy --contents --pdf - --inputs-from list one.img"));
        QVERIFY2(out.status == 0, qPrintable(out.errors));
        QCOMPARE(out.errors, QStringLiteral("[1/3] one.img: 0 entries\n[2/3] one.img: 0 entries\n"
                                            "[3/3] caf\u00e9.img: 0 entries\n"));
        QVERIFY(out.output.startsWith("%PDF-") && out.output.endsWith("%%EOF\n"));
        QCOMPARE(pdfprobe::pageCount(pdfprobe::saved(out.output)), 3);

        const Outcome many = tessera(dir.path(), QStringLiteral("--cd --contents --pdf - many/"));
        QCOMPARE(many.status, 0);
        QCOMPARE(many.errors, QStringLiteral("tessera: many: 120 entries, 45 on the label\n"));
        QCOMPARE(pdfprobe::pageCount(pdfprobe::saved(many.output)), 1);
    }

    // What the command line asks for is checked before the first input is
    // read, each mistake one line and exit status 2: a print larger than one
    // print holds, a PDF file that cannot be made where it is named, a list
    // of inputs that cannot be read.
    void everyLimitAndTheOutputAreCheckedBeforeAnyInputIsRead()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/tessera-XXXXXX"));
        QVERIFY(sh(dir.path(), QStringLiteral("mkdir locked && chmod 755 . && chmod 555 locked")).isEmpty());
        QStringList many;
        for (int i = 0; i <= stock::kMaxLabels / stock::kMaxCopies; ++i)
            many << QStringLiteral("gone%1.lab").arg(i);
        const QList<QPair<QString, QString>> mistakes = {
            {QStringLiteral("--card --copies %1 ").arg(stock::kMaxCopies) + many.join(QLatin1Char(' ')),
             QStringLiteral("are more than one print holds")},
            {QStringLiteral("--cd --contents --pdf nowhere/out.pdf gone.img"),
             QStringLiteral("--pdf nowhere/out.pdf: No such file or directory")},
            {QStringLiteral("--cd --contents --pdf \"$(printf 't\\351te.pdf')\" gone.img"),
             QStringLiteral("must be valid in the locale's encoding")},
            {QStringLiteral("--cd --contents --pdf - gone.img > gone.img"), QStringLiteral("one of the inputs")},
            {QStringLiteral("--cd --contents --inputs-from nolist"),
             QStringLiteral("--inputs-from nolist: No such file or directory")},
        };
        for (const auto& [words, why] : mistakes) {
            const Outcome run = tessera(dir.path(), words);
            QCOMPARE(run.status, 2);
            QVERIFY2(run.errors.count(QLatin1Char('\n')) == 1 && run.errors.contains(why), qPrintable(run.errors));
        }
        // Permission bits bind only a user who is not root.
        const Outcome locked =
            tessera(dir.path(), QStringLiteral("--cd --contents --pdf locked/out.pdf gone.img"), {.asNobody = true});
        if (locked.status == kCannotDropRoot)
            QSKIP("this root process may not become an unprivileged user");
        QCOMPARE(locked.status, 2);
        QCOMPARE(locked.errors, QStringLiteral("tessera: --pdf locked/out.pdf: Permission denied\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"gone.img"});
    }

    // The labels' characters that the label fonts lack are printed in an
    // installed font that has them, as on the screen; a character that no
    // installed font has is told, once.
    void charactersTheLabelFontLacksComeFromInstalledFonts()
    {
        QTemporaryDir dir;
        const QString words = QStringLiteral(
            "--floppy --name '\u041f\u0440\u0438\u0432\u0435\u0442' --line '\u65e5\u672c\u8a9e' "
            "--line '\u263a\u266b' --line 'a\u0378b' --line 'c\u0378d' --pdf fonts.pdf");
        const Outcome run = tessera(dir.path(), words);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.errors,
                 QStringLiteral("tessera: no installed font has this character, which prints as an empty box: "
                                "\u0378 (U+0378)\n"));
        const QString pdf = dir.filePath(QStringLiteral("fonts.pdf"));
        const QString text = pdfprobe::text(pdf);
        for (const QString& printed : {QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442"),
                                       QStringLiteral("\u65e5\u672c\u8a9e"), QStringLiteral("\u263a\u266b")})
            QVERIFY2(text.contains(printed), qPrintable(text));
        // Every font embedded, and not only the label fonts.
        QProcess fonts;
        fonts.start(QStringLiteral("pdffonts"), {pdf});
        QVERIFY(fonts.waitForFinished(30000));
        const QStringList rows =
            QString::fromUtf8(fonts.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
        QVERIFY(!rows.isEmpty());
        bool another = false;
        for (const QString& row : rows) {
            const QStringList columns = row.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QVERIFY2(columns.size() >= 7 && columns[columns.size() - 5] == QLatin1String("yes"), qPrintable(row));
            another = another || !row.startsWith(QLatin1String("Liberation"));
        }
        QVERIFY2(another, qPrintable(rows.join(QLatin1Char('\n'))));
    }

    // A saved card prints at the size the designer prints it.
    void aCardPrintsAtTheSizeTheDesignerPrintsIt()
    {
        QTemporaryDir dir;
        const QString card = QFINDTESTDATA("data/holiday.lab");
        const Outcome run = tessera(dir.path(), QStringLiteral("--card --pdf card.pdf '%1'").arg(card));
        QVERIFY2(run.status == 0 && run.errors.isEmpty(), qPrintable(run.errors));
        // Without a printer set up, printing says so.
        const Outcome nowhere = tessera(dir.path(), QStringLiteral("--card '%1'").arg(card),
                                        {.cupsServer = dir.filePath(QStringLiteral("no.sock"))});
        QCOMPARE(nowhere.status, 1);
        QVERIFY2(nowhere.errors.startsWith(QStringLiteral("tessera: no default printer is set up")),
                 qPrintable(nowhere.errors));
        // A file that is no label file is said to be what it is, in one line.
        QFile png(dir.filePath(QStringLiteral("photo.lab")));
        QVERIFY(png.open(QIODevice::WriteOnly) && png.write("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\r\n") > 0);
        png.close();
        const Outcome picture = tessera(dir.path(), QStringLiteral("--card --pdf bad.pdf photo.lab"));
        QCOMPARE(picture.status, 1);
        QCOMPARE(picture.errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts).first(),
                 QStringLiteral("tessera: photo.lab: line 3: the file ends after 2 of its 135 values. It is not a "
                                "label file but a PNG picture"));

        document::CardDocument design;
        platform::FilePictures pictures;
        QVERIFY(design.load(QFile::encodeName(card), pictures).ok());
        platform::SystemPrinter printer;
        printer.device().setOutputFormat(QPrinter::PdfFormat);
        printer.device().setOutputFileName(dir.filePath(QStringLiteral("designer.pdf")));
        platform::Settings settings(dir.filePath(QStringLiteral("settings.conf")));
        output::print({&design}, stock::Choice(), printer.chosen(), QStringLiteral("Custom Label"),
                      {printer, settings});

        const QRectF batch = pdfprobe::inkBoxMm(pdfprobe::firstPage(dir.filePath(QStringLiteral("card.pdf"))));
        const QRectF designer = pdfprobe::inkBoxMm(pdfprobe::firstPage(dir.filePath(QStringLiteral("designer.pdf"))));
        QVERIFY(!designer.isEmpty());
        QVERIFY2(qAbs(batch.width() - designer.width()) <= 0.1 && qAbs(batch.height() - designer.height()) <= 0.1,
                 qPrintable(QStringLiteral("%1 x %2 mm, the designer's %3 x %4 mm")
                                .arg(batch.width())
                                .arg(batch.height())
                                .arg(designer.width())
                                .arg(designer.height())));
    }
};

QTEST_MAIN(BatchTest)
#include "test_batch.moc"
