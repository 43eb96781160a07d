// The command line: a label file to open (what a file manager passes),
// labels made without a window, --help, --version and mistakes; and opening
// a file from it.

#include "support/Harness.h"

#include "app/CommandLine.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The real program, started with `arguments` in `environment`, and ended
// when this goes.
class Program {
public:
    Program(const QStringList& arguments, const QProcessEnvironment& environment)
    {
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TESSERA_BINARY), arguments);
        process.waitForStarted();
    }
    ~Program()
    {
        process.kill();
        process.waitForFinished();
    }

    // Waits until the program sleeps in its event loop, everything it was
    // given handled, or ends, for at most 60 seconds (a loaded machine and a
    // sanitizer build start slowly); says whether it sleeps. What the program
    // said and how it ended are in `why` when it does not.
    bool waitUntilIdle()
    {
        const QString wchan = QStringLiteral("/proc/%1/wchan").arg(process.processId());
        const auto asleep = [&wchan] {
            QFile file(wchan);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("poll");
        };
        // Twice in a row: a round trip to a display server waits in poll too.
        for (QDeadlineTimer bound(60000); !bound.hasExpired() && process.state() == QProcess::Running;) {
            // Waiting for the end, not sleeping, so that the state follows.
            if (asleep()) {
                if (!process.waitForFinished(50) && asleep())
                    return true;
            }
            process.waitForFinished(50);
        }
        why = process.state() == QProcess::Running ? QByteArray("still busy after 60 s")
                                                   : "ended with status " + QByteArray::number(process.exitCode()) +
                                                         ": " + process.readAllStandardError().right(2000);
        return false;
    }
    QByteArray why;

    QProcess process;
};

QProcessEnvironment environment(std::initializer_list<std::pair<const char*, const char*>> changes)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        env.remove(QLatin1String(name));
    for (const auto& [name, value] : changes)
        env.insert(QLatin1String(name), QLatin1String(value));
    return env;
}

// A display number that no server has, with a socket left behind on it, in
// the file system and in the abstract namespace, that nobody answers.
class LeftoverDisplay {
public:
    LeftoverDisplay()
    {
        ::mkdir("/tmp/.X11-unix", 01777);
        for (int display = 4700; display < 4800 && number < 0; ++display) {
            const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(display);
            if (bound(abstract_, '\0' + path) && bound(file_, path)) {
                number = display;
                path_ = path;
            }
        }
    }
    ~LeftoverDisplay()
    {
        for (int fd : {abstract_, file_})
            if (fd >= 0)
                ::close(fd);
        if (!path_.isEmpty())
            ::unlink(path_.constData());
    }
    int number = -1;

private:
    static bool bound(int& fd, const QByteArray& name)
    {
        if (fd >= 0)
            ::close(fd);
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        return ::bind(fd, reinterpret_cast<const sockaddr*>(&address),
                      socklen_t(offsetof(sockaddr_un, sun_path) + size_t(name.size()))) == 0;
    }
    int abstract_ = -1, file_ = -1;
    QByteArray path_;
};

// The sample card under a name that is not valid UTF-8, which QFile cannot
// spell (nor QTemporaryDir remove); gone with this.
class OddlyNamedCard {
public:
    OddlyNamedCard() : path(QFile::encodeName(dir.path()) + "/caf\xe9.lab")
    {
        QFile sample(QFINDTESTDATA("data/holiday.lab"));
        const QByteArray bytes = sample.open(QIODevice::ReadOnly) ? sample.readAll() : QByteArray();
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        written = fd >= 0 && !bytes.isEmpty() && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
        if (fd >= 0)
            ::close(fd);
    }
    ~OddlyNamedCard() { ::unlink(path.constData()); }

    QTemporaryDir dir;
    const QByteArray path;
    bool written = false;
};

}  // namespace

Q_DECLARE_METATYPE(BatchRequest)

class CommandLineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { configureTestApplication(); }

    // Each row: the arguments as argv has them, what they ask for, and the
    // label file to open or what the one line of a mistake names.
    void parsing_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QByteArray>("detail");
        using A = CommandLine::Action;
        const auto row = [](const char* name, const QByteArrayList& arguments, A action, const QByteArray& detail) {
            QTest::newRow(name) << arguments << int(action) << detail;
        };
        row("nothing", {}, A::Run, {});
        row("a file", {"/home/me/card.lab"}, A::Run, "/home/me/card.lab");
        row("a file named like an option", {"--", "-odd.lab"}, A::Run, "-odd.lab");
        row("a name not valid UTF-8 stays its bytes", {"caf\xe9.lab"}, A::Run, "caf\xe9.lab");
        row("help", {"--help"}, A::Help, {});
        row("-h after a file and a mistake", {"x.lab", "--frobnicate", "-h"}, A::Help, {});
        row("version", {"-v"}, A::Version, {});
        row("Qt's display options", {"-platform", "xcb", "--display", ":1", "card.lab"}, A::Run, "card.lab");
        row("unknown", {"--print"}, A::UsageError, "unknown option '--print'");
        row("two files", {"a.lab", "b.lab"}, A::UsageError, "one label file at a time");
        row("an option without its value", {"-display"}, A::UsageError, "'-display'");
        row("two kinds", {"--floppy", "--card", "--contents", "a.img"}, A::UsageError, "--floppy and --card");
        row("contents and name", {"--cd", "--contents", "--name", "A", "a.img"}, A::UsageError,
            "--contents and --name");
        row("name with inputs", {"--cd", "--name", "A", "a.img", "b.img"}, A::UsageError, "--name");
        row("line without name", {"--cd", "--contents", "--line", "x", "a.img"}, A::UsageError, "--line needs --name");
        row("contents without inputs", {"--cd", "--contents"}, A::UsageError, "--contents needs");
        row("card without inputs", {"--card", "--pdf", "o.pdf"}, A::UsageError, "--card needs");
        row("a kind without contents or name", {"--zip-label", "a.img"}, A::UsageError, "--zip-label needs");
        row("contents without a kind", {"--contents", "a.img"}, A::UsageError, "--contents needs a kind");
        row("output without a kind", {"--outline", "a.lab"}, A::UsageError, "--outline needs a kind");
        row("pdf and printer", {"--card", "--pdf", "o.pdf", "--printer", "q", "a.lab"}, A::UsageError,
            "--pdf and --printer");
        row("the pdf twice", {"--card", "--pdf", "a.pdf", "--pdf", "b.pdf", "a.lab"}, A::UsageError, "--pdf");
        row("copies above the bound", {"--card", "--copies", "10001", "a.lab"}, A::UsageError, "'10001'");
        row("copies not a number", {"--card", "--copies", "2x", "a.lab"}, A::UsageError, "'2x'");
        row("start cell 0", {"--card", "--start-cell", "0", "a.lab"}, A::UsageError, "--start-cell");
        row("fit", {"--card", "--fit", "best", "a.lab"}, A::UsageError, "'best'");
        row("start cell without stock", {"--cd", "--name", "A", "--start-cell", "2"}, A::UsageError,
            "--start-cell is for label stock");
        row("fit without stock", {"--card", "--fit", "actual", "a.lab"}, A::UsageError, "--fit is for label stock");
        row("outline without stock", {"--card", "--outline", "a.lab"}, A::UsageError, "--outline is for label stock");
        row("null without a list", {"--card", "--null", "a.lab"}, A::UsageError, "--null is for");
        row("a list with name", {"--cd", "--name", "A", "--inputs-from", "-"}, A::UsageError, "not --inputs-from");
        QByteArrayList lines = {"--floppy", "--name", "A"};
        for (int i = 0; i < 21; ++i)
            lines << "--line" << QByteArray::number(i);
        row("more lines than the label has", lines, A::UsageError, "room for 20 lines, not 21");
    }
    void parsing()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, action);
        QFETCH(QByteArray, detail);
        const CommandLine line = CommandLine::parse(arguments);
        QCOMPARE(int(line.action), action);
        if (line.action == CommandLine::Action::UsageError) {
            QVERIFY2(line.error.startsWith(QStringLiteral("tessera: ")) && !line.error.contains(QLatin1Char('\n')) &&
                         line.error.endsWith(QStringLiteral(" (try 'tessera --help')")) &&
                         line.error.contains(QString::fromUtf8(detail)),
                     qPrintable(line.error));
        } else {
            QCOMPARE(line.file.value_or(QByteArray()), detail);
        }
    }

    void batchRequests_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<BatchRequest>("request");
        using L = LabelKind;
        BatchRequest contents;
        contents.labels = L::Floppy;
        contents.contents = true;
        contents.inputs = {"disk1.img", "caf\xe9", "-odd.img"};
        contents.pdf = "t\xeate.pdf";
        contents.stock = QStringLiteral("Avery 5196");
        QTest::newRow("contents") << QByteArrayList{"--floppy",          "--contents", "--stock", "Avery 5196",
                                                    "--pdf=t\xeate.pdf", "disk1.img",  "caf\xe9", "--",
                                                    "-odd.img"}
                                  << contents;
        BatchRequest byHand;
        byHand.labels = L::Cd;
        byHand.name = QStringLiteral("Backup");
        byHand.lines = {QStringLiteral("photos"), QString(), QStringLiteral("\u00e9t\u00e9")};
        byHand.printer = QStringLiteral("office");
        byHand.stock = QStringLiteral("Avery 8931");
        byHand.copies = 10000;
        byHand.startCell = 7;
        byHand.fit = stock::Fit::ShrinkToFit;
        byHand.outline = true;
        QTest::newRow("by hand") << QByteArrayList{"--cd",   "--name",   "Backup",    "--line",       "photos",
                                                   "--line", "",         "--line",    "\xe9t\xe9",    "--printer",
                                                   "office", "--copies", "10000",     "--start-cell", "7",
                                                   "--fit",  "shrink",   "--outline", "--stock",      "Avery 8931"}
                                 << byHand;
        BatchRequest cards;
        cards.labels = L::Custom;
        cards.inputs = {"a.lab", "b.lab"};
        QTest::newRow("cards") << QByteArrayList{"--card", "a.lab", "b.lab"} << cards;
        BatchRequest listed;
        listed.labels = L::Cd;
        listed.contents = true;
        listed.inputsFrom = "-";
        listed.nullSeparated = true;
        listed.pdf = "-";
        QTest::newRow("inputs from standard input, the PDF on standard output")
            << QByteArrayList{"--cd", "--contents", "--inputs-from", "-", "--null", "--pdf", "-"} << listed;
    }
    void batchRequests()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(BatchRequest, request);
        const CommandLine line = CommandLine::parse(arguments);
        QCOMPARE(int(line.action), int(CommandLine::Action::Batch));
        QCOMPARE(line.batch.inputs, request.inputs);
        QCOMPARE(line.batch.lines, request.lines);
        QVERIFY(line.batch == request);
    }

    void theProgramAnswersHelpVersionAndMistakesWithoutADisplay()
    {
        // Standard output to `outFile`, when given.
        const auto run = [](const QStringList& args, QByteArray& out, QByteArray& err, const QString& outFile = {}) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("DISPLAY"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
            p.setProcessEnvironment(env);
            if (!outFile.isEmpty())
                p.setStandardOutputFile(outFile);
            p.start(QStringLiteral(TESSERA_BINARY), args);
            p.waitForFinished(20000);
            out = p.readAllStandardOutput();
            err = p.readAllStandardError();
            return p.exitCode();
        };
        QByteArray out, err;
        QCOMPARE(run({"--help"}, out, err), 0);
        QVERIFY(out.startsWith("Usage: tessera [FILE.lab]"));
        QCOMPARE(run({"--version"}, out, err), 0);
        QCOMPARE(out, QByteArray("Tessera 1.6.0\n"));
        // Help or the version that cannot be written is no success.
        for (const char* asked : {"--help", "--version"}) {
            QCOMPARE(run({QLatin1String(asked)}, out, err, QStringLiteral("/dev/full")), 1);
            QCOMPARE(err, QByteArray("tessera: write error: No space left on device\n"));
        }
        QCOMPARE(run({"--frobnicate"}, out, err), 2);
        QCOMPARE(err, QByteArray("tessera: unknown option '--frobnicate' (try 'tessera --help')\n"));
        QVERIFY(out.isEmpty());
        QCOMPARE(run({"--floppy", "--contents"}, out, err), 2);
        QCOMPARE(err.count('\n'), 1);
        // Labels made without a window are decided on before Qt needs a display.
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        QCOMPARE(run({"--floppy", "--contents", "--pdf", pdf, "disk.img"}, out, err), 1);
        QCOMPARE(err, QByteArray("tessera: disk.img: File not found\ntessera: 1 of 1 inputs failed\n"));
        // A file still needs a display: the same one line as without one.
        QCOMPARE(run({"card.lab"}, out, err), 1);
        QVERIFY(err.startsWith("tessera: no display"));
    }

    // A named pipe given as the label file, or named in one as its picture:
    // the program refuses it at once and goes on waiting for the user, never
    // for a writer at the pipe. A program that blocks on the pipe fails this
    // test after a bound instead of hanging it.
    void aNamedPipeNeverHoldsTheProgram()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath(QStringLiteral("pipe.lab"));
        const QByteArray pipeName = QFile::encodeName(pipe);
        QCOMPARE(::mkfifo(pipeName.constData(), 0600), 0);
        QFile holiday(QFINDTESTDATA("data/holiday.lab"));
        QVERIFY(holiday.open(QIODevice::ReadOnly));
        QList<QByteArray> values = holiday.readAll().split('\n');
        values[4] = pipeName + '\r';  // the picture path
        const QString card = dir.filePath(QStringLiteral("card.lab"));
        QFile cardFile(card);
        QVERIFY(cardFile.open(QIODevice::WriteOnly));
        cardFile.write(values.join('\n'));
        cardFile.close();

        for (const QString& path : {pipe, card}) {
            Program program({path}, environment({{"QT_QPA_PLATFORM", "offscreen"}}));
            const bool reachedItsLoop = program.waitUntilIdle();
            // Opening the pipe for writing without waiting succeeds only while
            // something reads it; it also releases a program blocked on it.
            const int writer = ::open(pipeName.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0)
                ::close(writer);
            QVERIFY2(reachedItsLoop, qPrintable(path));
            QVERIFY2(writer < 0, qPrintable(path));
        }
    }

    // A display that cannot be used gets one line and exit status 1, however
    // it fails: nothing listening over TCP, a missing screen, a socket left
    // behind by a server that is gone. A working display is used, also one
    // that listens only in the abstract namespace, and so is a platform that
    // needs no display, chosen in a list or with -platform.
    void everyUnusableDisplayIsOneLineAndAWorkingOneIsUsed()
    {
        // -noreset: the display check's connection is this server's only
        // client, and a server that resets when it leaves refuses the next
        // one for a moment, as no desktop with a window manager ever does.
        QProcess xvfb;
        xvfb.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-nolisten", "unix",
                                             "-screen", "0", "320x240x24"});
        if (!xvfb.waitForStarted() || !xvfb.waitForReadyRead(20000))
            QSKIP("no Xvfb to test with");
        const auto endXvfb = qScopeGuard([&xvfb] {
            xvfb.terminate();
            xvfb.waitForFinished();
        });
        const QByteArray working = ':' + xvfb.readLine().trimmed();
        LeftoverDisplay leftover;
        QVERIFY(leftover.number >= 0);
        const QByteArray gone = ':' + QByteArray::number(leftover.number);

        for (const QByteArray& display :
             {QByteArray("localhost") + working + ".0", "127.0.0.1" + working, working + ".5", gone}) {
            Program program({}, environment({{"DISPLAY", display.constData()}}));
            QVERIFY(program.process.waitForFinished(20000));
            const QByteArray said = program.process.readAllStandardError();
            QCOMPARE(program.process.exitCode(), 1);
            QVERIFY2(said.startsWith("tessera: ") && said.count('\n') == 1 && said.endsWith('\n'), said.constData());
        }
        // Empty when the program reached its event loop; otherwise how it ended.
        const auto idle = [](const QStringList& arguments, const QProcessEnvironment& environment) {
            Program program(arguments, environment);
            return program.waitUntilIdle() ? QByteArray() : program.why;
        };
        QCOMPARE(idle({}, environment({{"DISPLAY", working.constData()}})), QByteArray());
        QCOMPARE(idle({}, environment({{"DISPLAY", gone.constData()}, {"QT_QPA_PLATFORM", "xcb;offscreen"}})),
                 QByteArray());
        QCOMPARE(idle({"-platform", "offscreen"}, environment({{"DISPLAY", gone.constData()}})), QByteArray());
        QCOMPARE(idle({"--platform=offscreen"}, environment({{"DISPLAY", gone.constData()}})), QByteArray());
    }

    // Also under a name that is not valid UTF-8: opened by its bytes, shown
    // as Latin-1.
    void aFileFromTheCommandLineOpensInTheDesigner()
    {
        OddlyNamedCard card;
        QVERIFY(card.written);
        Harness h;
        h.forms->start();
        h.forms->openLabelFile(card.path);
        QCOMPARE(h.visible(), (QStringList{"CustomOp", "CustomPre"}));
        QVERIFY(h.messages->calls.isEmpty());
        QCOMPARE(h.forms->CustomOp.txtamt, qint16(3));
        QCOMPARE(h.forms->CustomPre.card().line(0).Caption, QStringLiteral("Holiday photos, 1998"));
        QCOMPARE(h.forms->CustomOp.controls().CommonDialog1->FileName,
                 card.dir.path() + QStringLiteral("/caf\u00e9.lab"));
    }

    // The program itself opens that file: the bytes of argv reach open().
    void theProgramOpensANameThatIsNotValidUtf8()
    {
        OddlyNamedCard card;
        QVERIFY(card.written);
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        const auto closeWatch = qScopeGuard([watch] { ::close(watch); });
        QVERIFY(::inotify_add_watch(watch, card.path.constData(), IN_OPEN) >= 0);
        // QProcess passes its arguments through the locale: the shell makes
        // the name's bytes.
        QProcess program;
        program.setProcessEnvironment(environment({{"QT_QPA_PLATFORM", "offscreen"}}));
        program.setWorkingDirectory(card.dir.path());
        program.start(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$(printf 'caf\\351.lab')\""),
                       QStringLiteral(TESSERA_BINARY)});
        const auto end = qScopeGuard([&program] {
            program.kill();
            program.waitForFinished();
        });
        bool seen = false;
        const auto opened = [watch, &seen] {
            inotify_event event{};
            seen = seen || (::read(watch, &event, sizeof event) > 0 && (event.mask & IN_OPEN));
            return seen;
        };
        QTRY_VERIFY_WITH_TIMEOUT(opened(), 20000);
    }

    void aMissingOrBadFileSaysSoAndLeavesTheDesignerAsFirstOpened()
    {
        QTemporaryDir dir;
        const QString bad = dir.filePath(QStringLiteral("notes.lab"));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("shopping list\r\nmilk\r\n");
        f.close();
        for (const QString& path : {dir.filePath(QStringLiteral("missing.lab")), bad}) {
            Harness h;
            h.forms->start();
            h.forms->openLabelFile(QFile::encodeName(path));
            QCOMPARE(h.messages->calls.size(), 1);
            QVERIFY(h.messages->calls[0].text.contains(path));
            QCOMPARE(h.visible(), (QStringList{"CustomOp", "CustomPre"}));
            QCOMPARE(h.forms->CustomOp.txtamt, qint16(0));
            QCOMPARE(h.forms->CustomPre.card().line(0).Caption, QStringLiteral("Line 1 Text"));
            QVERIFY(!h.forms->CustomPre.card().line(0).Visible);
        }
    }
};

QTEST_MAIN(CommandLineTest)
#include "test_commandline.moc"
