// What only a real X server shows: the native window titles, read from the
// windows' _NET_WM_NAME as a window manager or screen reader reads them, the
// window class a dock matches with the launcher, and what a window manager
// (openbox, started here) makes of the windows: where they open, which stay
// out of the task bar, and minimised windows brought back. Runs under
// xvfb-run on the xcb platform. A window that does not appear fails the test
// at once, saying which.

#include "support/Harness.h"

#include "platform/MessageBox.h"
#include "ui/Units.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// What a tool of x11-utils prints.
QString x11Tool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(10000))
        return QStringLiteral("(%1 did not answer)").arg(tool);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString windowId(QWidget* window) { return QString::number(window->winId()); }

// A window property as xprop prints it: what follows " = " (or the whole
// answer where there is no " = ").
QString nativeProperty(QWidget* window, const QString& property)
{
    const QString out = x11Tool(QStringLiteral("xprop"), {QStringLiteral("-id"), windowId(window), property});
    const qsizetype eq = out.indexOf(QStringLiteral(" = "));
    if (eq < 0 && out.startsWith(property + QLatin1Char('(')))
        return out;
    if (eq < 0)
        return QStringLiteral("(no %1: %2)").arg(property, out);
    return out.mid(eq + 3);
}

// Where the X server has a window's client area on the screen.
QPoint nativeOrigin(QWidget* window)
{
    const QString out = x11Tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), windowId(window)});
    static const QRegularExpression x(QStringLiteral("Absolute upper-left X:\\s*(-?\\d+)"));
    static const QRegularExpression y(QStringLiteral("Absolute upper-left Y:\\s*(-?\\d+)"));
    return QPoint(x.match(out).captured(1).toInt(), y.match(out).captured(1).toInt());
}

// The window states a window manager keeps for a window.
QString netWmState(QWidget* window) { return nativeProperty(window, QStringLiteral("_NET_WM_STATE")); }

// The ICCCM state: "Normal", "Iconic" or "Withdrawn" (no WM_STATE at all).
QString wmState(QWidget* window)
{
    static const QRegularExpression state(QStringLiteral("window state: (\\w+)"));
    const QRegularExpressionMatch match = state.match(nativeProperty(window, QStringLiteral("WM_STATE")));
    return match.hasMatch() ? match.captured(1) : QStringLiteral("Withdrawn");
}

// The _NET_WM_NAME of a window.
QString nativeTitle(QWidget* window)
{
    const QString value = nativeProperty(window, QStringLiteral("_NET_WM_NAME"));
    return value.startsWith(QLatin1Char('"')) ? value.mid(1).chopped(1) : value;
}

// A key of the launcher's [Desktop Entry].
QString launcherKey(const QString& key)
{
    QFile file(QStringLiteral(TESSERA_DESKTOP_FILE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("(no launcher: %1)").arg(file.fileName());
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    }
    return QStringLiteral("(no %1 in the launcher)").arg(key);
}

// Runs `open`, which shows a modal dialog and returns once it is closed, and
// hands the dialog to `inspect` when it is on screen. The dialog is closed
// whatever happens, so that nothing is left waiting for an answer; returns
// what went wrong, or nothing.
QString withModalDialog(const std::function<void()>& open, const std::function<void(QDialog*)>& inspect)
{
    QString problem = QStringLiteral("no modal dialog was shown");
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (waited.elapsed() < 5000)
                return;
            problem = QStringLiteral("no modal dialog appeared within 5 s");
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* other = qobject_cast<QDialog*>(top); other && other->isVisible())
                    other->reject();
            }
            poll.stop();
            return;
        }
        poll.stop();
        if (QTest::qWaitForWindowExposed(dialog)) {
            problem.clear();
            inspect(dialog);
        } else {
            problem = QStringLiteral("the dialog \"%1\" was never exposed").arg(dialog->windowTitle());
        }
        dialog->done(QMessageBox::No);
    });
    poll.start();
    open();
    return problem;
}

}  // namespace

class NativeTest : public QObject {
    Q_OBJECT

    QProcess windowManager_;

private Q_SLOTS:
    void initTestCase()
    {
        configureTestApplication();
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "run under xvfb-run on xcb");
        windowManager_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        QVERIFY2(windowManager_.waitForStarted(10000), "openbox did not start");
        QTRY_VERIFY2_WITH_TIMEOUT(
            x11Tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QStringLiteral("window id")),
            "openbox did not take the screen", 10000);
        // Openbox names itself on the screen before it has started: a
        // window mapped meanwhile may never be mapped at all. A window of
        // the test's own is shown again until one maps.
        QWidget probe;
        probe.resize(10, 10);
        bool mapped = false;
        for (int attempt = 0; attempt < 15 && !mapped; ++attempt) {
            probe.show();
            mapped = QTest::qWaitForWindowExposed(&probe, 2000);
            if (!mapped)
                probe.hide();
        }
        QVERIFY2(mapped, "openbox never mapped a window");
    }

    void cleanupTestCase()
    {
        windowManager_.terminate();
        windowManager_.waitForFinished(5000);
    }

    void everyWindowTitleIsItsCaption_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Tessera") << "Tessera"
                                 << "Tessera V1.3";
        QTest::newRow("diskop") << "diskop"
                                << "Disk Options";
        QTest::newRow("opncontents") << "opncontents"
                                     << "Content Selection";
        QTest::newRow("DiskLabel") << "DiskLabel"
                                   << "1.44 Floppy Label";
        QTest::newRow("ZipLabel") << "ZipLabel"
                                  << "Zip Disk Label";
        QTest::newRow("ZipSleve") << "ZipSleve"
                                  << "Zip Disk Sleeve";
        QTest::newRow("CDSleve") << "CDSleve"
                                 << "CD Rom Sleeve";
        QTest::newRow("frmchangecap") << "frmchangecap"
                                      << "Change Text";
        QTest::newRow("readytoprint") << "readytoprint"
                                      << "Print Manager";
        QTest::newRow("CustomOp") << "CustomOp"
                                  << "Custom Label Control";
        QTest::newRow("CustomPre") << "CustomPre"
                                   << "Custom Label Preview";
        QTest::newRow("rgbcolor") << "rgbcolor"
                                  << "Select Color";
        QTest::newRow("frmAbout") << "frmAbout"
                                  << "About Tessera v1.6";
    }
    void everyWindowTitleIsItsCaption()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Harness h;
        ui::Form* form = nullptr;
        for (ui::Form* each : h.forms->registry.forms()) {
            if (each->name() == name)
                form = each;
        }
        QVERIFY2(form, qPrintable(QStringLiteral("no form named ") + name));
        form->show();
        QVERIFY2(QTest::qWaitForWindowExposed(form->window()), qPrintable(name + QStringLiteral(" was never exposed")));
        QCOMPARE(nativeTitle(form->window()), caption);
    }

    // Docks and task bars link a window to its launcher: on X11 through the
    // window's class, on Wayland through the app id Qt takes from the desktop
    // file name.
    void windowsNameTheirLauncher()
    {
        QCOMPARE(QGuiApplication::desktopFileName() + QStringLiteral(".desktop"),
                 QFileInfo(QStringLiteral(TESSERA_DESKTOP_FILE)).completeBaseName());
        Harness h;
        h.forms->start();
        QWidget* window = h.forms->Tessera.window();
        QVERIFY2(QTest::qWaitForWindowExposed(window), "the main menu was never exposed");
        // WM_CLASS(STRING) = "<instance>", "<class>"
        const QString windowClass = nativeProperty(window, QStringLiteral("WM_CLASS")).section(QStringLiteral(", "), 1);
        QCOMPARE(windowClass, QLatin1Char('"') + launcherKey(QStringLiteral("StartupWMClass")) + QLatin1Char('"'));
    }

    // A window's position is its client area's, whatever frame the window
    // manager puts around it.
    void windowsOpenWhereTheyAreDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("control panel") << "CustomOp";
        QTest::newRow("preview") << "CustomPre";
        QTest::newRow("colour picker") << "rgbcolor";
        QTest::newRow("print manager (centred)") << "readytoprint";
    }
    void windowsOpenWhereTheyAreDesigned()
    {
        QFETCH(QString, name);
        Harness h;
        ui::Form* form = nullptr;
        for (ui::Form* each : h.forms->registry.forms()) {
            if (each->name() == name)
                form = each;
        }
        QVERIFY(form);
        const ui::WindowDesign& design = form->design();
        QRect expected(QPoint(design.left, design.top) / ui::kTwipsPerPixel, form->designSize());
        if (design.centred)
            expected.moveCenter(QGuiApplication::primaryScreen()->geometry().center());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->window()));
        QTRY_COMPARE(nativeOrigin(form->window()), expected.topLeft());
    }

    // Window managers drop a window's states when it is hidden.
    void thePreviewStaysOutOfTheTaskBarEveryTimeItIsShown()
    {
        Harness h;
        h.forms->start();
        h.forms->Tessera.Command7_Click();
        QWidget* preview = h.forms->CustomPre.window();
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        QTRY_VERIFY2(netWmState(preview).contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")),
                     qPrintable(netWmState(preview)));
        h.forms->CustomOp.Command3_Click();
        QTRY_COMPARE(wmState(preview), QStringLiteral("Withdrawn"));
        QVERIFY2(!netWmState(preview).contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")),
                 "the window manager kept the states of a hidden window");
        h.forms->Tessera.Command7_Click();
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        QTRY_VERIFY2(netWmState(preview).contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")),
                     qPrintable(netWmState(preview)));
        // The control panel belongs in the task bar.
        QVERIFY(!netWmState(h.forms->CustomOp.window()).contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")));
    }

    void aMinimisedWindowComesBackInFrontWhenShown()
    {
        Harness h;
        h.forms->start();
        h.forms->Tessera.Command7_Click();
        QWidget* preview = h.forms->CustomPre.window();
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        preview->showMinimized();
        QTRY_COMPARE(wmState(preview), QStringLiteral("Iconic"));
        // "<<Back", then "Custom Label" again.
        h.forms->CustomOp.Command3_Click();
        h.forms->Tessera.Command7_Click();
        QTRY_COMPARE(wmState(preview), QStringLiteral("Normal"));
        QVERIFY(!preview->isMinimized());
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        // On top of the stacking order.
        const QString top = QStringLiteral("0x%1").arg(preview->winId(), 0, 16);
        QTRY_VERIFY2(
            x11Tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")})
                .endsWith(top),
            qPrintable(top));
    }

    void messageBoxesCarryTheirOwnTitleOrTheApplicationTitle()
    {
        platform::QtMessageBox box;
        QStringList titles;
        for (const QString& title : {QStringLiteral("Label Deletion"), QString()}) {
            const QString problem = withModalDialog(
                [&] {
                    box.show(nullptr, QStringLiteral("Are you sure?,this will erase your current label."), 4, title);
                },
                [&](QDialog* open) { titles.append(nativeTitle(open)); });
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
        QCOMPARE(titles, (QStringList{"Label Deletion", "Tessera v1.6"}));
    }
};

QTEST_MAIN(NativeTest)
#include "test_native.moc"
