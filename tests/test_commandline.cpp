// The command line: a label file to open (what a file manager passes),
// --help, --version and mistakes; and opening a file from it.

#include "support/Harness.h"

#include "app/CommandLine.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class CommandLineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { configureTestApplication(); }

    void parsing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("file");
        using A = CommandLine::Action;
        QTest::newRow("nothing") << QStringList() << int(A::Run) << QString();
        QTest::newRow("a file") << QStringList{"/home/me/card.lab"} << int(A::Run) << "/home/me/card.lab";
        QTest::newRow("a file named like an option") << QStringList{"--", "-odd.lab"} << int(A::Run) << "-odd.lab";
        QTest::newRow("help") << QStringList{"--help"} << int(A::Help) << QString();
        QTest::newRow("-h after a file") << QStringList{"x.lab", "-h"} << int(A::Help) << QString();
        QTest::newRow("version") << QStringList{"-v"} << int(A::Version) << QString();
        QTest::newRow("unknown") << QStringList{"--print"} << int(A::Error) << QString();
        QTest::newRow("two files") << QStringList{"a.lab", "b.lab"} << int(A::Error) << QString();
    }
    void parsing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, file);
        const CommandLine line = CommandLine::parse(arguments);
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.file, file);
        QCOMPARE(line.error.isEmpty(), action != int(CommandLine::Action::Error));
    }

    void theProgramAnswersHelpVersionAndMistakesWithoutADisplay()
    {
        const auto run = [](const QStringList& args, QByteArray& out, QByteArray& err) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("DISPLAY"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
            p.setProcessEnvironment(env);
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
        QCOMPARE(run({"--frobnicate"}, out, err), 2);
        QCOMPARE(err, QByteArray("tessera: unknown option '--frobnicate' (try 'tessera --help')\n"));
        QVERIFY(out.isEmpty());
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
            QProcess program;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            program.setProcessEnvironment(env);
            program.start(QStringLiteral(TESSERA_BINARY), {path});
            QVERIFY(program.waitForStarted());
            // Asleep in its event loop, the program has handled its file.
            QFile wchan(QStringLiteral("/proc/%1/wchan").arg(program.processId()));
            const auto idle = [&wchan] { return wchan.open(QIODevice::ReadOnly) && wchan.readAll().contains("poll"); };
            QDeadlineTimer bound(20000);
            bool reachedItsLoop = false;
            while (!(reachedItsLoop = idle()) && !bound.hasExpired() && program.state() == QProcess::Running) {
                wchan.close();
                QThread::msleep(50);
            }
            // Opening the pipe for writing without waiting succeeds only while
            // something reads it; it also releases a program blocked on it.
            const int writer = ::open(pipeName.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0)
                ::close(writer);
            const bool running = program.state() == QProcess::Running;
            program.kill();
            program.waitForFinished();
            QVERIFY2(running, qPrintable(path));
            QVERIFY2(reachedItsLoop, qPrintable(path));
            QVERIFY2(writer < 0, qPrintable(path));
        }
    }

    void aFileFromTheCommandLineOpensInTheDesigner()
    {
        Harness h;
        h.forms->start();
        const QString path = QFINDTESTDATA("data/holiday.lab");
        h.forms->openLabelFile(path);
        QCOMPARE(h.visible(), (QStringList{"CustomOp", "CustomPre"}));
        QVERIFY(h.messages->calls.isEmpty());
        QCOMPARE(h.forms->CustomOp.txtamt, qint16(3));
        QCOMPARE(h.forms->CustomPre.card().line(0).Caption, QStringLiteral("Holiday photos, 1998"));
        QCOMPARE(h.forms->CustomOp.controls().CommonDialog1->FileName, path);
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
            h.forms->openLabelFile(path);
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
