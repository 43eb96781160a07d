// Label files: the bytes written, the reading rules, saving that never
// loses a file, and loading that either applies a whole file or changes
// nothing and says why.

#include "support/Harness.h"

#include "designer/CardSurface.h"
#include "document/LabelFile.h"
#include "platform/ReplaceFile.h"
#include "ui/SystemColors.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace designer;
using namespace document;

namespace {

void open(Harness& h)
{
    h.forms->start();
    h.forms->Tessera.Command7_Click();
}

Card& card(Harness& h) { return h.forms->CustomPre.card(); }

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The values of a cleared card with one line added.
labelfile::CardValues clearedCard()
{
    labelfile::CardValues v;
    v.txtamt = 1;
    v.Height = 2940;
    v.Width = 4005;
    v.BackColor = ui::syscolor::ButtonFace;
    for (int i = 0; i < kLineCount; ++i) {
        TextLine& l = v.lines[size_t(i)];
        l.Caption = QStringLiteral("Line %1 text.").arg(i + 1);
        l.FontName = QStringLiteral("MS Sans Serif");
        l.FontSize = 10;
        l.Height = 3.44f;
        l.Width = 15.61f;
        l.Visible = i == 0;
    }
    return v;
}

// Why a file could not be read, or nothing.
QString why(const ui::Result<labelfile::ReadCard, labelfile::Failure>& read)
{
    return read ? QString() : read.error().why;
}

QByteArray join(const QList<QByteArray>& values)
{
    QByteArray out;
    for (const QByteArray& v : values)
        out += v + "\r\n";
    return out;
}

// The card's stored values, as a save would take them.
labelfile::CardValues valuesOf(Harness& h)
{
    labelfile::CardValues v;
    v.txtamt = h.forms->CustomOp.txtamt;
    v.Height = card(h).Height();
    v.Width = card(h).Width();
    v.BackColor = card(h).BackColor();
    v.cardpc = h.forms->CustomOp.cardpc;
    for (int i = 0; i < kLineCount; ++i)
        v.lines[size_t(i)] = card(h).line(i);
    return v;
}

// `size` bytes of text: `letter` and a line break in turn, so that a file cut
// anywhere differs from the whole.
QByteArray filler(int size, char letter)
{
    QByteArray out(size, letter);
    for (int i = 63; i < size; i += 64)
        out[i] = '\n';
    return out;
}

using P = QFileDevice;
constexpr P::Permissions kEveryoneReads = P::ReadOwner | P::ReadGroup | P::ReadOther;
constexpr P::Permissions kEveryoneWrites = P::WriteOwner | P::WriteGroup | P::WriteOther;
constexpr P::Permissions kEveryoneEnters = P::ExeOwner | P::ExeGroup | P::ExeOther;

enum : int { Saved = 0, NotSaved = 1, CannotDropRoot = 77 };

struct ChildSave {
    int status = -1;
    QString why;
};

// The save helper, copied where "nobody" may run it: a checkout in a private
// folder (mode 0700) is closed to other users.
QString saveHelper()
{
    static QTemporaryDir dir(QStringLiteral("/tmp/tessera-XXXXXX"));
    static const QString helper = [] {
        const QString copy = dir.filePath(QStringLiteral("save_file"));
        const bool ok = dir.isValid() &&
                        QFile::setPermissions(dir.path(), kEveryoneReads | kEveryoneEnters | P::WriteOwner) &&
                        QFile::copy(QStringLiteral(SAVE_FILE), copy) &&
                        QFile::setPermissions(copy, kEveryoneReads | kEveryoneEnters);
        return ok ? copy : QStringLiteral(SAVE_FILE);
    }();
    return helper;
}

// Saves `bytes` as `path` in a child process in which writing a file past
// `limit` bytes fails as on a full disk (EFBIG), as the unprivileged user
// "nobody" when `asNobody` and this process is root.
ChildSave saveInChild(const QString& path, const QByteArray& bytes, rlim_t limit, bool asNobody = false)
{
    QProcess process;
    process.setChildProcessModifier([limit, asNobody] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &size);
        const uid_t nobody = 65534;
        if (asNobody && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
             ::setresuid(nobody, nobody, nobody) != 0))
            ::_exit(CannotDropRoot);
    });
    process.start(saveHelper(), {path, QString::fromLatin1(bytes)});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput())};
}

}  // namespace

class LabelFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { configureTestApplication(); }

    void aClearedCardWithOneLineSavesTheKnownFirstEighteenLines()
    {
        Harness h;
        open(h);
        h.messages->answers = {6};
        h.forms->CustomOp.Command13_Click();
        h.forms->CustomOp.Command9_Click();
        QTemporaryDir dir;
        h.dialogs->saveAnswers.push_back(dir.filePath(QStringLiteral("card")));
        h.forms->CustomOp.Command11_Click();
        QCOMPARE(h.dialogs->filters.last(), QStringLiteral("Tessera Files (*.lab)"));
        const QByteArray bytes = readAll(dir.filePath(QStringLiteral("card.lab")));
        const QByteArray first18 =
            join({" 1 ", " 2940 ", " 4005 ", "-2147483633 ", "", " 0 ", " 0 ", "Line 1 text.", "MS Sans Serif", " 10 ",
                  "False", "False", "False", "False", " 0 ", " 3.44 ", " 15.61 ", "True"});
        QCOMPARE(bytes.left(first18.size()), first18);
        QCOMPARE(bytes.count("\r\n"), 135);
        QVERIFY(bytes.endsWith("False\r\n"));
        QCOMPARE(bytes, labelfile::write(clearedCard()));
        QVERIFY(h.messages->calls.size() == 1);  // only the Clear Label question
        QCOMPARE(h.forms->CustomOp.controls().CommonDialog1->FileName, dir.filePath(QStringLiteral("card.lab")));
    }

    void theHandWrittenFileLoadsToTheCardItDescribes()
    {
        const QByteArray bytes = readAll(QFINDTESTDATA("data/holiday.lab"));
        const auto r = labelfile::read(bytes);
        QVERIFY2(r, qPrintable(why(r)));
        const labelfile::CardValues& v = r->card;
        QCOMPARE(v.txtamt, qint16(3));
        QCOMPARE(v.Height, 3510.0f);
        QCOMPARE(v.BackColor, quint32(0xFF8000));
        QCOMPARE(v.cardpc, QString());
        QCOMPARE(v.lines[0].Caption, QStringLiteral("Holiday photos, 1998"));
        QCOMPARE(v.lines[0].Left, 0.75f);
        QVERIFY(v.lines[0].FontBold && v.lines[0].FontUnderline && !v.lines[0].FontItalic);
        QCOMPARE(v.lines[1].Top, -1.0f);
        QCOMPARE(v.lines[1].Caption, QStringLiteral("First\r\nSecond"));
        QCOMPARE(v.lines[1].FontSize, 8.25f);
        QCOMPARE(v.lines[1].ForeColor, quint32(0x80000008));
        QVERIFY(v.lines[1].FontItalic && v.lines[1].FontStrikethru);
        QVERIFY(!v.lines[3].Visible);
        // The writer gives back the very same bytes.
        QCOMPARE(labelfile::write(v), bytes);

        Harness h;
        open(h);
        h.dialogs->openAnswers.push_back(QFINDTESTDATA("data/holiday.lab"));
        h.forms->CustomOp.Command4_Click();
        QVERIFY(h.messages->calls.isEmpty());
        QCOMPARE(valuesOf(h), v);
        QCOMPARE(h.forms->CustomPre.window()->size(), QSize(327, 207));
        QCOMPARE(h.forms->CustomOp.controls().Text1->text(), QStringLiteral("54.76875"));
        // Each line ends with its stored box, not one fitted to its text.
        QCOMPARE(card(h).line(0).Width, 40.25f);
    }

    void captionsAreEscapedOnWritingAndRestoredOnReading()
    {
        labelfile::CardValues v = clearedCard();
        v.lines[0].Caption = QStringLiteral("one, two\r\nthree");
        v.lines[1].Caption = QStringLiteral("tilde~ and bar|");
        v.lines[2].Caption = QStringLiteral("  \"quoted\" trailing  ");
        v.lines[3].Caption = QStringLiteral("lone\nfeed");
        const QByteArray bytes = labelfile::write(v);
        QVERIFY(bytes.contains("\r\none~ two|\nthree\r\n"));
        const auto r = labelfile::read(bytes);
        QVERIFY(r);
        QCOMPARE(r->card.lines[0].Caption, QStringLiteral("one, two\r\nthree"));
        // The format's own changes: "~" and "|" come back as "," and CR,
        // leading blanks are lost; quotes and trailing blanks stay.
        QCOMPARE(r->card.lines[1].Caption, QStringLiteral("tilde, and bar\r"));
        QCOMPARE(r->card.lines[2].Caption, QStringLiteral("\"quoted\" trailing  "));
        QCOMPARE(r->card.lines[3].Caption, QStringLiteral("lone\nfeed"));
        // Windows-1252 both ways.
        v.lines[4].Caption = QStringLiteral("café € 5");
        QVERIFY(labelfile::write(v).contains("caf\xe9 \x80 5"));
        QCOMPARE(labelfile::read(labelfile::write(v))->card.lines[4].Caption, QStringLiteral("café € 5"));
    }

    void theReadingRules()
    {
        // Values on one line split at commas; blanks and tabs before a value
        // are skipped; empty values are 0, false or empty; booleans take any
        // case or a number; numbers take blanks around them and ".5".
        QList<QByteArray> values = {" 2 ,\t 2940", "4005", "", "/pics/a b.bmp  "};
        values +=
            {" .5 ", "-0.25", "x", "MS Sans Serif", "10", "TRUE", "false", "0", "7", "", "3.44", " 15.61", "tRuE"};
        for (int i = 1; i < kLineCount; ++i)
            values += {"0", "0", "", "", "1", "", "", "", "", "0", "0", "0", "False"};
        values[18] = "1e-400";  // too small for a double: 0
        const auto r = labelfile::read(join(values));
        QVERIFY2(r, qPrintable(why(r)));
        QCOMPARE(r->card.txtamt, qint16(2));
        QCOMPARE(r->card.Height, 2940.0f);
        QCOMPARE(r->card.BackColor, quint32(0));
        QCOMPARE(r->card.cardpc, QStringLiteral("/pics/a b.bmp  "));
        const TextLine& l = r->card.lines[0];
        QCOMPARE(l.Top, 0.5f);
        QCOMPARE(l.Left, -0.25f);
        QVERIFY(l.FontBold && !l.FontItalic && !l.FontStrikethru && l.FontUnderline && l.Visible);
        QCOMPARE(r->card.lines[1].FontName, QString());
        QCOMPARE(r->card.lines[1].Left, 0.0f);

        // CR alone ends a value too; what follows the 135th value is ignored.
        QByteArray crOnly = join(values);
        crOnly.replace("\r\n", "\r");
        QVERIFY(labelfile::read(crOnly + "extra"));

        // A writer's ".5" or "0.5" reads the same; ours writes "0.5".
        labelfile::CardValues v = clearedCard();
        v.lines[0].Top = 0.5f;
        v.lines[0].Left = -0.125f;
        v.lines[1].Top = 123456789.0f;
        v.lines[1].Left = 0.000012345678f;
        const QByteArray written = labelfile::write(v);
        QVERIFY(written.contains("\r\n 0.5 \r\n-0.125 \r\n"));
        QVERIFY(written.contains("\r\n 123456800 \r\n 0.00001234568 \r\n"));
    }

    void readFailuresNameTheLineAndTheValue_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("why");
        const QByteArray good = labelfile::write(clearedCard());
        const auto with = [&](int line, const QByteArray& value) {
            QList<QByteArray> values = good.split('\n');
            values[line - 1] = value + '\r';
            return values.join('\n');
        };
        QTest::newRow("empty") << QByteArray() << 1 << "ends after 0 of its 135 values";
        QTest::newRow("short") << good.left(good.size() - 7) << 135 << "ends after 134 of its 135 values";
        QTest::newRow("text for a number") << with(6, "top") << 6 << "\"top\" is not a number (line 1's top)";
        QTest::newRow("count overflow") << with(1, " 40000 ") << 1 << "is outside -32768 to 32767";
        QTest::newRow("not a boolean") << with(11, "Yes") << 11 << "\"Yes\" is neither True nor False";
        QTest::newRow("no colour") << with(4, " 16777216 ") << 4 << "neither an RGB colour nor a system colour";
        QTest::newRow("unknown system colour") << with(15, "-2147483600 ") << 15 << "neither an RGB colour";
        QTest::newRow("card too small") << with(2, " 100 ") << 2 << "card size no window can have";
        // Within half a pixel of the bound, but it would be saved as "397.5".
        QTest::newRow("card a hair too small") << with(2, " 397.50003 ") << 2 << "(405 to 491910 twips)";
        QTest::newRow("card a hair too wide") << with(3, " 491625.1 ") << 3 << "(120 to 491625 twips)";
        QTest::newRow("font size zero") << with(10, " 0 ") << 10 << "is not a font size";
        QTest::newRow("single overflow") << with(7, " 1e39 ") << 7 << "is too large";
        QTest::newRow("negative box") << with(16, "-3 ") << 16 << "is a negative size";
        QTest::newRow("long font name") << with(9, QByteArray(256, 'f')) << 9
                                        << "is longer than 255 characters (line 1's font name)";
        QTest::newRow("long picture path")
            << with(5, QByteArray(4097, 'p')) << 5 << "is longer than 4096 characters (the picture path)";
        // A picture path with a comma moves every later value by one.
        QTest::newRow("comma in path") << with(5, "/pics/a,b.bmp") << 5 << "\"b.bmp\" is not a number";
    }
    void readFailuresNameTheLineAndTheValue()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(QString, why);
        const auto r = labelfile::read(bytes);
        QVERIFY(!r);
        QCOMPARE(r.error().line, line);
        QVERIFY2(r.error().why.contains(why), qPrintable(r.error().why));
    }

    void aBadFileChangesNothingAndSaysWhere()
    {
        Harness h;
        open(h);
        h.forms->CustomOp.Command9_Click();
        card(h).setBackColor(ui::rgb(9, 9, 9));
        const labelfile::CardValues before = valuesOf(h);
        QTemporaryDir dir;
        const QString bad = dir.filePath(QStringLiteral("bad.lab"));
        QList<QByteArray> values = labelfile::write(clearedCard()).split('\n');
        values[19] = "oops\r";
        writeAll(bad, values.join('\n'));
        const QString missing = dir.filePath(QStringLiteral("missing.lab"));
        h.dialogs->openAnswers = {bad, missing, dir.path(), std::nullopt};
        for (int i = 0; i < 4; ++i)
            h.forms->CustomOp.Command4_Click();
        QCOMPARE(h.messages->calls.size(), 3);
        QCOMPARE(h.messages->calls[0].text,
                 QStringLiteral("The label file \"%1\" could not be loaded: line 20: \"oops\" is not a number "
                                "(line 2's left).")
                     .arg(bad));
        QCOMPARE(h.messages->calls[0].style, 0);
        QVERIFY(h.messages->calls[1].text.contains(missing));
        QVERIFY(h.messages->calls[2].text.contains(dir.path()));
        QCOMPARE(valuesOf(h), before);
    }

    void theLargestCardAWindowCanHaveSavesAndLoadsBack()
    {
        Harness h;
        open(h);
        h.forms->CustomPre.window()->resize(40000, 40000);
        QCOMPARE(card(h).Height(), 491910.0f);
        QCOMPARE(card(h).Width(), 491625.0f);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.lab"));
        h.dialogs->saveAnswers.push_back(path);
        h.forms->CustomOp.Command11_Click();
        h.dialogs->openAnswers.push_back(path);
        h.forms->CustomOp.Command4_Click();
        QVERIFY(h.messages->calls.isEmpty());
        QCOMPARE(card(h).Width(), 491625.0f);
    }

    void aCaptionLongerThanALineHoldsLoadsCutAndSaysSo()
    {
        Harness h;
        open(h);
        labelfile::CardValues v = clearedCard();
        const QString longest(kMaxCaptionLength, QLatin1Char('y'));
        v.lines[1].Caption = longest + QStringLiteral("beyond");
        v.lines[2].Caption = longest;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.lab"));
        writeAll(path, labelfile::write(v));
        h.dialogs->openAnswers.push_back(path);
        h.forms->CustomOp.Command4_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text,
                 QStringLiteral("The label \"%1\" was loaded with the text of line 2 cut to its first 2000 characters, "
                                "the most a line can hold.")
                     .arg(path));
        QCOMPARE(card(h).line(1).Caption, longest);
        QCOMPARE(card(h).line(2).Caption, longest);
    }

    void aLoadedLabelShowsInTheTextBoxFindsItsPictureAndSavesBackUnchanged()
    {
        Harness h;
        open(h);
        h.forms->CustomPre.Label1_Click(1);
        labelfile::CardValues v = clearedCard();
        v.lines[1].Caption = QStringLiteral("Price\u00a0\u00a35");  // a no-break space
        // A relative picture path leads from the label file's folder.
        v.cardpc = QStringLiteral("pictures/back.bmp");
        QTemporaryDir dir;
        h.pictures->images.insert(dir.filePath(v.cardpc), QImage(4, 3, QImage::Format_RGB32));
        const QString path = dir.filePath(QStringLiteral("shown.lab"));
        writeAll(path, labelfile::write(v));
        h.dialogs->openAnswers.push_back(path);
        h.forms->CustomOp.Command4_Click();
        QCOMPARE(card(h).picture().size(), QSize(4, 3));
        QCOMPARE(h.forms->CustomOp.cardpc, v.cardpc);
        QCOMPARE(h.forms->CustomOp.controls().Text4->toPlainText(), QStringLiteral("Price \u00a35"));
        const QString again = dir.filePath(QStringLiteral("again.lab"));
        h.dialogs->saveAnswers.push_back(again);
        h.forms->CustomOp.Command11_Click();
        QCOMPARE(readAll(again), readAll(path));
        QTest::keyClick(h.forms->CustomOp.controls().Text4, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(h.forms->CustomOp.controls().Text4, Qt::Key_Exclam);
        QCOMPARE(card(h).line(1).Caption, v.lines[1].Caption + QLatin1Char('!'));
        QVERIFY(h.messages->calls.isEmpty());
    }

    void aFailedLoadNamesTheLikelyCause()
    {
        Harness h;
        open(h);
        labelfile::CardValues v = clearedCard();
        v.lines[0].Caption = QStringLiteral("\u00c3\u00a9");  // C3 A9, which is also UTF-8
        const QByteArray good = labelfile::write(v);
        QByteArray lfOnly = good;
        lfOnly.replace("\r\n", "\n");
        QByteArray utf8 = good;
        utf8.replace("\r\n 10 \r\n", "\r\n ten \r\n");
        QTemporaryDir dir;
        const QList<QPair<QByteArray, QString>> files = {
            {lfOnly, QStringLiteral("its lines end in LF alone")},
            {"\xef\xbb\xbf" + good, QStringLiteral("it begins with a UTF-8 byte-order mark")},
            {utf8, QStringLiteral("it is UTF-8 text")},
            {good, QString()}};
        for (const auto& [bytes, cause] : files) {
            const QString path = dir.filePath(QStringLiteral("file.lab"));
            writeAll(path, bytes);
            h.messages->calls.clear();
            h.dialogs->openAnswers.push_back(path);
            h.forms->CustomOp.Command4_Click();
            if (cause.isEmpty()) {
                QVERIFY(h.messages->calls.isEmpty());
            } else {
                QCOMPARE(h.messages->calls.size(), 1);
                QVERIFY2(h.messages->calls[0].text.contains(cause), qPrintable(h.messages->calls[0].text));
            }
        }
        // Windows-1252 that happens to be valid UTF-8 loads exactly.
        QCOMPARE(card(h).line(0).Caption, v.lines[0].Caption);
    }

    void aMissingPictureLoadsTheRestAndKeepsItsPath()
    {
        Harness h;
        open(h);
        card(h).setPicture(QImage(5, 5, QImage::Format_RGB32));
        labelfile::CardValues v = clearedCard();
        v.cardpc = QStringLiteral("/media/cdrom/back.bmp");
        v.lines[0].Caption = QStringLiteral("From the file");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pic.lab"));
        writeAll(path, labelfile::write(v));
        h.dialogs->openAnswers.push_back(path);
        h.forms->CustomOp.Command4_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QVERIFY(h.messages->calls[0].text.contains(QStringLiteral("/media/cdrom/back.bmp")));
        QVERIFY(h.messages->calls[0].text.contains(QStringLiteral("File not found")));
        QVERIFY(card(h).picture().isNull());
        QCOMPARE(h.forms->CustomOp.cardpc, QStringLiteral("/media/cdrom/back.bmp"));
        QCOMPARE(card(h).line(0).Caption, QStringLiteral("From the file"));

        // With the picture there it loads; an empty path removes it again.
        h.pictures->images.insert(v.cardpc, QImage(7, 3, QImage::Format_RGB32));
        h.dialogs->openAnswers.push_back(path);
        h.forms->CustomOp.Command4_Click();
        QCOMPARE(card(h).picture().size(), QSize(7, 3));
        writeAll(path, labelfile::write(clearedCard()));
        h.dialogs->openAnswers.push_back(path);
        h.forms->CustomOp.Command4_Click();
        QVERIFY(card(h).picture().isNull());
        QCOMPARE(h.forms->CustomOp.cardpc, QString());
        QCOMPARE(h.messages->calls.size(), 1);
    }

    void saveNamesOverwritesAndNeverLosesAFile()
    {
        Harness h;
        open(h);
        QTemporaryDir dir;
        const auto save = [&](const QString& name) {
            h.dialogs->saveAnswers.push_back(name);
            h.forms->CustomOp.Command11_Click();
        };
        save(dir.filePath(QStringLiteral("card.LAB")));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("card.LAB.lab"))));
        save(dir.filePath(QStringLiteral("card.lab")));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("card.lab"))));
        QVERIFY(h.messages->calls.isEmpty());
        // An existing file is asked about under the name it is saved as, with
        // or without the extension typed.
        h.forms->CustomOp.Command9_Click();
        h.messages->answers = {7, 6};
        save(dir.filePath(QStringLiteral("card")));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("card.lab"))).left(4), QByteArray(" 0 \r"));
        save(dir.filePath(QStringLiteral("card.lab")));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("card.lab"))).left(4), QByteArray(" 1 \r"));
        QCOMPARE(h.messages->calls.size(), 2);
        QCOMPARE(h.messages->calls[0].text,
                 QStringLiteral("The file \"%1\" already exists.\nDo you want to replace it?")
                     .arg(dir.filePath(QStringLiteral("card.lab"))));
        QCOMPARE(h.messages->calls[0].style, 4);
        h.messages->calls.clear();
        // Cancel writes nothing and says nothing.
        h.forms->CustomOp.Command11_Click();
        QVERIFY(h.messages->calls.isEmpty());

        // Failures leave an earlier file byte-identical and say why.
        const QByteArray kept = readAll(dir.filePath(QStringLiteral("card.lab")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.lab")));
        writeAll(dir.filePath(QStringLiteral("plain")), "not a folder");
        save(dir.filePath(QStringLiteral("folder.lab")));
        save(dir.filePath(QStringLiteral("missing/card.lab")));
        save(dir.filePath(QStringLiteral("plain/card.lab")));
        const QString pipe = dir.filePath(QStringLiteral("pipe.lab"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        save(pipe);
        QCOMPARE(h.messages->calls.size(), 4);
        QVERIFY(h.messages->calls[0].text.contains(QStringLiteral("that is a folder")));
        QVERIFY(h.messages->calls[3].text.contains(QStringLiteral("that is not a regular file")));
        QVERIFY(!QFileInfo(pipe).isFile());
        for (const auto& call : h.messages->calls) {
            QVERIFY(call.text.startsWith(QStringLiteral("The label could not be saved as \"")));
            QCOMPARE(call.style, 0);
        }
        QCOMPARE(readAll(dir.filePath(QStringLiteral("card.lab"))), kept);
    }

    // A save that does not fit (writes past a size fail, as on a full disk)
    // leaves the earlier file as it was, makes no file where there was none,
    // leaves no temporary file behind, and names the cause.
    void aSaveThatDoesNotFitKeepsTheEarlierFileAndSaysWhy()
    {
        QTemporaryDir dir;
        const QString old = dir.filePath(QStringLiteral("old.lab"));
        const QByteArray kept = filler(3000, 'o'), card = filler(7000, 'n');
        writeAll(old, kept);
        for (const QString& path : {old, dir.filePath(QStringLiteral("new.lab"))}) {
            const ChildSave save = saveInChild(path, card, 4096);
            QCOMPARE(save.status, int(NotSaved));
            QCOMPARE(save.why, QStringLiteral("File too large"));
        }
        QCOMPARE(readAll(old), kept);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.lab"});
        QCOMPARE(saveInChild(old, card, 8192).status, int(Saved));
        QCOMPARE(readAll(old), card);
    }

    // A folder that takes no new file, holding a label file that may be
    // written: the file is written in place, a save that does not fit touches
    // none of its bytes, and a file that may not be written stays as it was.
    // Permission bits bind only a user who is not root, so the saves run as
    // "nobody".
    void aFolderThatTakesNoNewFileStillSavesItsWritableFile()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/tessera-XXXXXX"));
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("locked"));
        const QString writable = folder + QStringLiteral("/card.lab");
        const QString readOnly = folder + QStringLiteral("/kept.lab");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
        writeAll(writable, "old label");
        writeAll(readOnly, "old");
        QVERIFY(QFile::setPermissions(writable, kEveryoneReads | kEveryoneWrites));
        QVERIFY(QFile::setPermissions(readOnly, kEveryoneReads));
        QVERIFY(QFile::setPermissions(folder, kEveryoneReads | kEveryoneEnters));
        QVERIFY(QFile::setPermissions(dir.path(), kEveryoneReads | kEveryoneEnters | P::WriteOwner));

        const ChildSave tooLarge = saveInChild(writable, "a label of 21 bytes..", 10, true);
        if (tooLarge.status == CannotDropRoot)
            QSKIP("this root process may not become an unprivileged user");
        QCOMPARE(tooLarge.status, int(NotSaved));
        QCOMPARE(tooLarge.why, QStringLiteral("File too large"));
        QCOMPARE(readAll(writable), QByteArray("old label"));
        for (const QByteArray& bytes : {QByteArray("a longer new label"), QByteArray("new")}) {
            QCOMPARE(saveInChild(writable, bytes, RLIM_INFINITY, true).status, int(Saved));
            QCOMPARE(readAll(writable), bytes);
        }
        QCOMPARE(saveInChild(readOnly, "new", RLIM_INFINITY, true).status, int(NotSaved));
        QCOMPARE(readAll(readOnly), QByteArray("old"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), (QStringList{"card.lab", "kept.lab"}));
        QVERIFY(QFile::setPermissions(folder, kEveryoneReads | kEveryoneEnters | P::WriteOwner));
    }

    // On a file system that really fills up (where this test may mount one),
    // the designer says why the label could not be saved, and neither the
    // save beside the file nor the one in place costs the earlier file.
    void aFullDiskCostsNoFileAndSaysSo()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/tessera-XXXXXX"));
        QVERIFY(dir.isValid());
        const QByteArray point = QFile::encodeName(dir.path());
        if (::mount("tmpfs", point.constData(), "tmpfs", 0, "size=64k,mode=0755") != 0)
            QSKIP("this process may not mount a file system");
        const auto unmount = qScopeGuard([&point] { ::umount2(point.constData(), MNT_DETACH); });
        const QString old = dir.filePath(QStringLiteral("old.lab"));
        const QByteArray kept = filler(3000, 'o'), card = filler(7000, 'n');
        writeAll(old, kept);
        QFile fill(dir.filePath(QStringLiteral("fill")));
        QVERIFY(fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray page(4096, 'f');
        const auto fillUp = [&] {
            while (fill.write(page) == page.size()) {
            }
        };
        fillUp();

        Harness h;
        open(h);
        h.messages->answers = {6};  // yes, replace old.lab
        for (const QString& path : {old, dir.filePath(QStringLiteral("new.lab"))}) {
            h.dialogs->saveAnswers.push_back(path);
            h.forms->CustomOp.Command11_Click();
            QCOMPARE(h.messages->calls.takeLast().text,
                     QStringLiteral("The label could not be saved as \"%1\": No space left on device.").arg(path));
            h.messages->calls.clear();
        }
        // With one page free, the first page of the new file fits.
        QVERIFY(fill.resize(fill.size() - page.size()));
        const auto saved = platform::replaceFile(old, card);
        QVERIFY(!saved);
        QCOMPARE(saved.error(), QStringLiteral("No space left on device"));
        QCOMPARE(readAll(old), kept);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"fill", "old.lab"}));

        // In place, in a folder that takes no new file.
        fillUp();
        QVERIFY(QFile::setPermissions(old, kEveryoneReads | kEveryoneWrites));
        QVERIFY(QFile::setPermissions(dir.path(), kEveryoneReads | kEveryoneEnters));
        const ChildSave inPlace = saveInChild(old, card, RLIM_INFINITY, true);
        if (inPlace.status != CannotDropRoot) {
            QCOMPARE(inPlace.status, int(NotSaved));
            QCOMPARE(inPlace.why, QStringLiteral("No space left on device"));
            QCOMPARE(readAll(old), kept);
            QVERIFY(fill.remove());
            QCOMPARE(saveInChild(old, card, RLIM_INFINITY, true).status, int(Saved));
            QCOMPARE(readAll(old), card);
        }
    }

    void whatTheFormatCannotHoldIsAskedAboutFirst()
    {
        Harness h;
        open(h);
        card(h).setFontName(0, QStringLiteral("Weird, Font"));
        card(h).setCaption(1, QStringLiteral("Łódź"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.lab"));
        h.messages->answers = {7};
        h.dialogs->saveAnswers.push_back(path);
        h.forms->CustomOp.Command11_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].style, 4);
        QVERIFY(h.messages->calls[0].text.contains(QStringLiteral("Weird, Font")));
        QVERIFY2(h.messages->calls[0].text.contains(QStringLiteral("\"?\"")), qPrintable(h.messages->calls[0].text));
        QVERIFY(!QFile::exists(path));
        h.messages->answers = {6};
        h.dialogs->saveAnswers.push_back(path);
        h.forms->CustomOp.Command11_Click();
        QVERIFY(
            readAll(path).contains("\r\n?\xf3"
                                   "d?\r\n"));
        // The format's own rules ask nothing.
        QCOMPARE(labelfile::problems(clearedCard()), QStringList());
        labelfile::CardValues v = clearedCard();
        v.lines[0].Caption = QStringLiteral("  a~b|c");
        QCOMPARE(labelfile::problems(v), QStringList());
    }

    void randomCardsComeBackAsTheyWereSaved()
    {
        QRandomGenerator random(20261208);
        const auto text = [&](bool caption) {
            static const QString alphabet = QStringLiteral("abcXYZ09 .-_/éü€\"'()");
            QString s;
            const int n = random.bounded(0, 20);
            for (int i = 0; i < n; ++i)
                s += alphabet[random.bounded(int(alphabet.size()))];
            if (caption && random.bounded(3) == 0)
                s += QStringLiteral(", more\r\nnext");
            while (s.startsWith(QLatin1Char(' ')))
                s.remove(0, 1);
            return s;
        };
        const auto real = [&](double lo, double hi) { return float(lo + random.generateDouble() * (hi - lo)); };
        for (int round = 0; round < 300; ++round) {
            labelfile::CardValues v;
            v.txtamt = qint16(random.bounded(-32768, 32768));
            v.Height = real(405, 20000);
            v.Width = real(120, 20000);
            v.BackColor = random.bounded(2) ? random.bounded(0x1000000) : 0x80000000u + random.bounded(25);
            v.cardpc = text(false);
            for (TextLine& l : v.lines) {
                l.Top = real(-500, 500);
                l.Left = real(-1, 1);
                l.Caption = text(true);
                l.FontName = text(false);
                l.FontSize = real(0.5, 300);
                l.FontBold = random.bounded(2);
                l.FontItalic = random.bounded(2);
                l.FontStrikethru = random.bounded(2);
                l.FontUnderline = random.bounded(2);
                l.ForeColor = random.bounded(0x1000000);
                l.Height = real(0, 100);
                l.Width = real(0, 300);
                l.Visible = random.bounded(2);
            }
            auto r = labelfile::read(labelfile::write(v));
            QVERIFY2(r, qPrintable(why(r)));
            const auto same = [](float a, float b) { return qAbs(a - b) <= qMax(qAbs(a), qAbs(b)) * 1e-6f; };
            QVERIFY(same(r->card.Height, v.Height) && same(r->card.Width, v.Width));
            for (int i = 0; i < kLineCount; ++i) {
                TextLine a = r->card.lines[size_t(i)], b = v.lines[size_t(i)];
                QVERIFY(same(a.Top, b.Top) && same(a.Left, b.Left) && same(a.FontSize, b.FontSize));
                QVERIFY(same(a.Height, b.Height) && same(a.Width, b.Width));
                a.Top = b.Top, a.Left = b.Left, a.FontSize = b.FontSize, a.Height = b.Height, a.Width = b.Width;
                QCOMPARE(a, b);
            }
            r->card.lines = v.lines;
            r->card.Height = v.Height;
            r->card.Width = v.Width;
            QCOMPARE(r->card, v);
        }
    }
};

QTEST_MAIN(LabelFileTest)
#include "test_labelfile.moc"
