// What only a real X server shows: the native window titles, read from the
// windows' _NET_WM_NAME as a window manager or screen reader reads them.
// Runs under xvfb-run on the xcb platform.

#include "support/Harness.h"

#include "ui/MessageBox.h"

#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>

namespace {

// The _NET_WM_NAME of a window, as xprop prints it.
QString nativeTitle(QWidget* window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window->winId()), QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000))
        return QStringLiteral("(xprop did not answer)");
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype eq = out.indexOf(QStringLiteral(" = \""));
    if (eq < 0)
        return QStringLiteral("(no title: %1)").arg(out);
    return out.mid(eq + 4).chopped(1);
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
        for (ui::Form* form : h.forms->registry.forms()) {
            if (form->name() != name)
                continue;
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form->window()));
            QCOMPARE(nativeTitle(form->window()), caption);
        }
    }

    void messageBoxesCarryTheirOwnTitleOrTheApplicationTitle()
    {
        ui::QtMessageBox box;
        QStringList titles;
        for (const QString& title : {QStringLiteral("Label Deletion"), QString()}) {
            QTimer::singleShot(0, [&] {
                QWidget* open = QApplication::activeModalWidget();
                QVERIFY(open);
                QVERIFY(QTest::qWaitForWindowExposed(open));
                titles.append(nativeTitle(open));
                if (auto* message = qobject_cast<QMessageBox*>(open))
                    message->done(QMessageBox::No);
            });
            box.show(nullptr, QStringLiteral("Are you sure?,this will erase your current label."), 4, title);
        }
        QCOMPARE(titles, (QStringList{"Label Deletion", "Tessera v1.6"}));
    }
};

QTEST_MAIN(NativeTest)
#include "test_native.moc"
