// What only a real X server shows: the native window titles, read from the
// windows' _NET_WM_NAME as a window manager or screen reader reads them, and
// the window class a dock matches with the launcher. Runs under xvfb-run on
// the xcb platform. A window that does not appear fails the test at once,
// saying which.

#include "support/Harness.h"

#include "platform/MessageBox.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// A window property as xprop prints it: what follows " = ".
QString nativeProperty(QWidget* window, const QString& property)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()), property});
    if (!xprop.waitForFinished(10000))
        return QStringLiteral("(xprop did not answer)");
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype eq = out.indexOf(QStringLiteral(" = "));
    if (eq < 0)
        return QStringLiteral("(no %1: %2)").arg(property, out);
    return out.mid(eq + 3);
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

private Q_SLOTS:
    void initTestCase()
    {
        configureTestApplication();
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "run under xvfb-run on xcb");
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
                 QFileInfo(QStringLiteral(TESSERA_DESKTOP_FILE)).fileName());
        Harness h;
        h.forms->start();
        QWidget* window = h.forms->Tessera.window();
        QVERIFY2(QTest::qWaitForWindowExposed(window), "the main menu was never exposed");
        // WM_CLASS(STRING) = "<instance>", "<class>"
        const QString windowClass = nativeProperty(window, QStringLiteral("WM_CLASS")).section(QStringLiteral(", "), 1);
        QCOMPARE(windowClass, QLatin1Char('"') + launcherKey(QStringLiteral("StartupWMClass")) + QLatin1Char('"'));
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
