// The form registry: lazy windows, show/hide/unload/end, frames.

#include "support/Harness.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

// A form whose load step and handlers the tests script.
class ProbeForm final : public ui::Form {
public:
    ProbeForm(ui::Registry& registry, QString name, ui::Frame frame = ui::Frame::Sizable)
        : Form(registry, std::move(name), ui::WindowDesign{QStringLiteral("Probe"), 1500, 900, false, 300, 450, frame})
    {
    }
    int loads = 0;
    int publicVariable = 0;
    QLineEdit* edit = nullptr;
    std::function<void()> onLoad;

protected:
    void build(QWidget* client) override { edit = new QLineEdit(client); }
    void Form_Load() override
    {
        ++loads;
        if (onLoad)
            onLoad();
    }
    void discard() override { edit = nullptr; }
};

}  // namespace

class RegistryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { configureTestApplication(); }

    void startShowsOnlyTheMainMenuWithEmptyJobState()
    {
        Harness h;
        h.forms->start();
        QCOMPARE(h.visible(), QStringList{QStringLiteral("Tessera")});
        QCOMPARE(h.forms->Tessera.disktype, LabelKind::None);
        QCOMPARE(h.forms->Tessera.newtxt, qint16(0));
        QCOMPARE(h.take(), (QStringList{"create Tessera", "show Tessera"}));
        // Nothing else was built.
        for (ui::Form* form : h.forms->registry.forms())
            QCOMPARE(form->exists(), form == &h.forms->Tessera);
    }

    void publicVariablesNeverBuildTheWindow()
    {
        Harness h;
        h.forms->Tessera.disktype = LabelKind::Cd;
        h.forms->CustomOp.txtamt = 4;
        QVERIFY(!h.forms->Tessera.exists());
        QVERIFY(!h.forms->CustomOp.exists());
        QVERIFY(h.take().isEmpty());
    }

    void hidingANeverUsedFormCreatesAndLoadsItInvisibly()
    {
        ui::Registry registry;
        ProbeForm probe(registry, QStringLiteral("probe"));
        QStringList log;
        registry.observer = [&](const QString& f, ui::Registry::Op op) { log << ui::Registry::opName(op) + ' ' + f; };
        probe.hide();
        QVERIFY(probe.exists());
        QVERIFY(!probe.isVisible());
        QCOMPARE(probe.loads, 1);
        QCOMPARE(log, (QStringList{"create probe", "hide probe"}));
        probe.hide();
        probe.show();
        QCOMPARE(probe.loads, 1);
        QVERIFY(probe.isVisible());
    }

    void unloadDiscardsControlsButNotVariablesAndTheNextUseLoadsAgain()
    {
        ui::Registry registry;
        ProbeForm probe(registry, QStringLiteral("probe"));
        probe.show();
        probe.edit->setText(QStringLiteral("typed"));
        probe.publicVariable = 42;
        probe.unload();
        QVERIFY(!probe.exists());
        QVERIFY(!probe.isVisible());
        QCOMPARE(probe.edit, nullptr);
        QCOMPARE(probe.publicVariable, 42);
        Harness::flush();
        probe.use();
        QCOMPARE(probe.loads, 2);
        QCOMPARE(probe.edit->text(), QString());
        // Unloading a form that does not exist does nothing.
        ProbeForm other(registry, QStringLiteral("other"));
        other.unload();
        QVERIFY(!other.exists());
    }

    void aHandlerMayUnloadItsOwnFormAndRunOn()
    {
        Harness h;
        h.forms->frmAbout.show();
        QPointer<QWidget> window = h.forms->frmAbout.window();
        QPushButton* ok = h.forms->frmAbout.controls().cmdOK;
        ok->click();  // cmdOK_Click unloads from inside the button's own signal
        QVERIFY(!h.forms->frmAbout.exists());
        QVERIFY(window);  // released only after the handler
        Harness::flush();
        QVERIFY(!window);
    }

    void showPlacesTheClientAreaAsDesigned()
    {
        Harness h;
        h.forms->CDSleve.show();
        QWidget* w = h.forms->CDSleve.window();
        QCOMPARE(w->geometry(), QRect(6255 / 15, 1800 / 15, 8745 / 15, 6840 / 15));
        h.forms->readytoprint.show();
        const QRect centred = h.forms->readytoprint.window()->geometry();
        QCOMPARE(centred.size(), QSize(2895 / 15, 2190 / 15));
        QVERIFY(qAbs(centred.center().x() - QGuiApplication::primaryScreen()->geometry().center().x()) <= 1);
    }

    void everyFormHasItsDesignedSizeAndFrame_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("closable");
        QTest::addColumn<bool>("fixed");
        QTest::newRow("Tessera") << "Tessera" << QSize(2535, 6030) << false << true;
        QTest::newRow("diskop") << "diskop" << QSize(3660, 1590) << true << false;
        QTest::newRow("opncontents") << "opncontents" << QSize(4575, 4425) << false << false;
        QTest::newRow("DiskLabel") << "DiskLabel" << QSize(4425, 3300) << true << false;
        QTest::newRow("ZipLabel") << "ZipLabel" << QSize(3705, 3105) << true << false;
        QTest::newRow("ZipSleve") << "ZipSleve" << QSize(5775, 6855) << true << false;
        QTest::newRow("CDSleve") << "CDSleve" << QSize(8745, 6840) << true << false;
        QTest::newRow("frmchangecap") << "frmchangecap" << QSize(3135, 2520) << true << false;
        QTest::newRow("readytoprint") << "readytoprint" << QSize(2895, 2190) << true << false;
        QTest::newRow("CustomOp") << "CustomOp" << QSize(2985, 7650) << false << false;
        QTest::newRow("CustomPre") << "CustomPre" << QSize(3885, 2535) << false << false;
        QTest::newRow("rgbcolor") << "rgbcolor" << QSize(3360, 1500) << true << false;
        QTest::newRow("frmAbout") << "frmAbout" << QSize(5730, 3885) << true << true;
    }

    void everyFormHasItsDesignedSizeAndFrame()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(bool, closable);
        QFETCH(bool, fixed);
        Harness h;
        ui::Form* form = nullptr;
        for (ui::Form* f : h.forms->registry.forms())
            if (f->name() == name)
                form = f;
        QVERIFY(form);
        QWidget* w = form->window();
        QCOMPARE(w->size(), size / 15);
        QCOMPARE(w->windowFlags().testFlag(Qt::WindowCloseButtonHint), closable);
        QCOMPARE(w->minimumSize() == w->maximumSize(), fixed);
        QCOMPARE(h.forms->registry.forms().size(), 13);
    }

    void aWindowWithoutCloseControlRefusesCloseRequests()
    {
        Harness h;
        h.forms->start();
        h.forms->opncontents.show();
        for (ui::Form* form :
             {static_cast<ui::Form*>(&h.forms->Tessera), static_cast<ui::Form*>(&h.forms->opncontents)}) {
            QVERIFY(!form->window()->close());  // as Alt+F4 asks
            QVERIFY(form->isVisible());
            QVERIFY(form->exists());
        }
    }

    void frameCloseUnloadsOnlyThatForm()
    {
        Harness h;
        h.forms->Tessera.disktype = LabelKind::Floppy;
        h.forms->DiskLabel.show();
        h.forms->frmchangecap.show();
        h.forms->DiskLabel.Label1(3).setCaption(QStringLiteral("edited"));
        h.take();
        QVERIFY(h.forms->DiskLabel.window()->close());
        QCOMPARE(h.take(), QStringList{QStringLiteral("unload DiskLabel")});
        QVERIFY(!h.forms->DiskLabel.exists());
        QCOMPARE(h.visible(), QStringList{QStringLiteral("frmchangecap")});
        Harness::flush();
        QCOMPARE(h.forms->DiskLabel.Label1(3).caption(), QStringLiteral("Label1"));
    }

    void frameCloseOfTheLastVisibleWindowShowsTheMainMenu()
    {
        Harness h;
        h.forms->start();
        h.forms->Tessera.Command2_Click();
        QCOMPARE(h.visible(), QStringList{QStringLiteral("diskop")});
        h.take();
        QVERIFY(h.forms->diskop.window()->close());
        QCOMPARE(h.take(), (QStringList{"unload diskop", "show Tessera"}));
        QCOMPARE(h.visible(), QStringList{QStringLiteral("Tessera")});

        // The print manager alone, too.
        h.forms->Tessera.hide();
        h.forms->readytoprint.show();
        QVERIFY(h.forms->readytoprint.window()->close());
        QCOMPARE(h.visible(), QStringList{QStringLiteral("Tessera")});
    }

    void exitUnloadsTheMainMenuAndEndsWithOtherWindowsOpen()
    {
        Harness h;
        h.forms->start();
        h.forms->frmAbout.show();
        h.take();
        h.forms->Tessera.controls().Command1_6->click();
        QCOMPARE(h.take(), QStringList{QStringLiteral("unload Tessera")});
        QCOMPARE(h.ends, 1);
        QVERIFY(h.forms->registry.ended());
    }
};

QTEST_MAIN(RegistryTest)
#include "test_registry.moc"
