// Every navigation handler as the exact sequence of registry operations,
// the main menu's job state, help and its index, the About box, and the
// program's pictures on screens of any pixel density.

#include "support/Harness.h"

#include "app/Help.h"
#include "wizard/PrintManager.h"

#include <QHelpEngineCore>
#include <QHelpLink>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kHideWizard = {"hide diskop",  "hide opncontents", "hide ZipLabel",     "hide ZipSleve",
                                 "hide CDSleve", "hide DiskLabel",   "hide frmchangecap", "hide readytoprint"};
const QStringList kHideSeven = kHideWizard.mid(0, 7);

// Every form created and hidden already, so that sequences show only the
// handler's own operations.
void prepare(Harness& h)
{
    h.forms->start();
    for (ui::Form* form : h.forms->registry.forms())
        form->use();
    h.take();
}

QStringList cat(std::initializer_list<QStringList> parts)
{
    QStringList out;
    for (const QStringList& p : parts)
        out += p;
    return out;
}

}  // namespace

class NavigationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { configureTestApplication(); }

    void labelKindButtonsHideThenStoreThenShow_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("kind");
        QTest::newRow("1.44MB Disk Label") << 2 << "1.44";
        QTest::newRow("CD Rom Sleeve") << 3 << "CD";
        QTest::newRow("Zip Disk Label") << 4 << "ZIPL";
        QTest::newRow("Zip Disk Sleeve") << 5 << "ZIPS";
    }
    void labelKindButtonsHideThenStoreThenShow()
    {
        QFETCH(int, button);
        QFETCH(QString, kind);
        Harness h;
        h.forms->start();
        h.take();
        QString seenWhenHidden = QStringLiteral("unset");
        h.forms->registry.observer = [&](const QString& form, ui::Registry::Op op) {
            h.log << ui::Registry::opName(op) + ' ' + form;
            if (op == ui::Registry::Op::Hide && form == QLatin1String("Tessera"))
                seenWhenHidden = labelKind(h.forms->Tessera.disktype).disktype;
        };
        auto& c = h.forms->Tessera.controls();
        QPushButton* buttons[] = {nullptr, nullptr, c.Command2, c.Command3, c.Command4, c.Command5};
        QCOMPARE(buttons[button]->text().isEmpty(), false);
        buttons[button]->click();
        QCOMPARE(h.take(), (QStringList{"hide Tessera", "create diskop", "show diskop"}));
        QCOMPARE(seenWhenHidden, QString());  // stored after the hide
        QCOMPARE(labelKind(h.forms->Tessera.disktype).disktype, kind);
    }

    void mainMenuDesign()
    {
        Harness h;
        h.forms->start();
        auto& c = h.forms->Tessera.controls();
        QCOMPARE(c.Label1->text(), QStringLiteral("Select a type of label to create."));
        const QList<QPair<QPushButton*, QString>> buttons = {{c.Command2, "1.44MB Disk Label"},
                                                             {c.Command3, "CD Rom Sleeve"},
                                                             {c.Command4, "Zip Disk Label"},
                                                             {c.Command5, "Zip Disk Sleeve"},
                                                             {c.Command7, "Custom Label"},
                                                             {c.Command9, "Help"},
                                                             {c.Command1_6, "Exit"}};
        for (const auto& [b, text] : buttons)
            QCOMPARE(b->text(), text);
        QCOMPARE(c.Command1_6->geometry(), QRect(8, 376, 153, 17));
        QCOMPARE(c.Command8->geometry(), QRect(8, 312, 153, 17));
        QCOMPARE(c.Image1->geometry(), QRect(8, 8, 152, 116));
        QVERIFY(c.Image1->hasScaledContents());
        QCOMPARE(QImageReader(QStringLiteral(":/images/title.png")).size(), QSize(152, 116));
        QCOMPARE(QImageReader(QStringLiteral(":/images/title@2x.png")).size(), QSize(304, 232));
        QCOMPARE(c.Image1->pixmap().size(), c.Image1->size());  // stretched into the box
        // Exit has the focus first and leads the tab chain.
        QCOMPARE(h.forms->Tessera.window()->focusWidget(), c.Command1_6);
        QWidget* next = c.Command1_6->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        QCOMPARE(next, c.Command2);
    }

    void customLabelKeepsTheEarlierKindAndShowsPanelThenPreview()
    {
        Harness h;
        h.forms->start();
        h.forms->Tessera.Command3_Click();
        h.forms->readytoprint.Command2_Click();
        h.take();
        h.forms->Tessera.Command7_Click();
        QCOMPARE(h.take(), (QStringList{"hide Tessera", "create CustomOp", "create CustomPre", "show CustomPre",
                                        "show CustomOp", "show CustomPre"}));
        QCOMPARE(h.forms->Tessera.disktype, LabelKind::Cd);
        QCOMPARE(h.visible(), (QStringList{"CustomOp", "CustomPre"}));
    }

    void aboutButtonShowsTheSingleAboutBoxAndTheMenuStays()
    {
        Harness h;
        prepare(h);
        h.forms->frmAbout.unload();
        h.take();
        h.forms->Tessera.Command8_Click();
        h.forms->Tessera.Command8_Click();
        QCOMPARE(h.take(), (QStringList{"create frmAbout", "show frmAbout", "show frmAbout"}));
        QVERIFY(h.forms->Tessera.isVisible());
    }

    void diskOptionsNextAutomatic()
    {
        Harness h;
        prepare(h);
        h.forms->Tessera.disktype = LabelKind::ZipSleeve;
        h.forms->diskop.controls().Text1->setText(QStringLiteral("Backup 1"));
        h.forms->diskop.Command1_Click();
        QCOMPARE(h.take(), (QStringList{"hide diskop", "show opncontents", "hide diskop", "show ZipSleve"}));
        QCOMPARE(h.forms->ZipSleve.Label2(0).caption(), QStringLiteral("Backup 1"));
        QCOMPARE(h.forms->ZipSleve.Label2(1).caption(), QStringLiteral("Backup 1"));
    }

    void diskOptionsNextManual()
    {
        Harness h;
        prepare(h);
        h.forms->Tessera.disktype = LabelKind::Cd;
        h.forms->diskop.controls().Option1->click();
        h.forms->diskop.controls().Text1->setText(QString());
        h.forms->diskop.Command1_Click();
        QCOMPARE(h.take(), (QStringList{"hide diskop", "show frmchangecap", "show CDSleve"}));
        QCOMPARE(h.forms->CDSleve.Label2(1).caption(), QString());  // an empty name empties the field
    }

    void diskOptionsWithoutAKindOnlyHides()
    {
        Harness h;
        prepare(h);
        h.forms->Tessera.disktype = LabelKind::Custom;
        h.forms->diskop.Command1_Click();
        QCOMPARE(h.take(), (QStringList{"hide diskop", "show opncontents", "hide diskop"}));
    }

    void templateFieldClick()
    {
        Harness h;
        prepare(h);
        h.forms->DiskLabel.Label1(7).setCaption(QStringLiteral("seven"));
        h.forms->DiskLabel.Label1_Click(7);
        QCOMPARE(h.take(), QStringList{"show frmchangecap"});
        QCOMPARE(h.forms->frmchangecap.controls().Text1->text(), QStringLiteral("seven"));
        QCOMPARE(h.forms->Tessera.newtxt, qint16(7));
    }

    void contentSelectionButtons()
    {
        Harness h;
        prepare(h);
        h.forms->Tessera.disktype = LabelKind::Floppy;
        h.forms->opncontents.Command1_Click();
        QCOMPARE(h.take(), QStringList{"show DiskLabel"});
        h.forms->opncontents.Command2_Click();
        QCOMPARE(h.take(), cat({kHideWizard, {"show readytoprint"}}));
        h.forms->opncontents.Command3_Click();
        QCOMPARE(h.take(), cat({kHideWizard, {"show Tessera"}}));
    }

    void changeTextButtons()
    {
        Harness h;
        prepare(h);
        h.forms->Tessera.disktype = LabelKind::ZipLabel;
        h.forms->frmchangecap.Command1_Click();
        QCOMPARE(h.take(), QStringList());
        h.forms->frmchangecap.Command2_Click();
        QCOMPARE(h.take(), cat({kHideWizard, {"show Tessera"}}));
        h.forms->frmchangecap.Command3_Click();
        QCOMPARE(h.take(), cat({kHideSeven, {"show readytoprint"}}));
    }

    void printManagerBackForADiskLabelHidesOnlyTheWizard()
    {
        Harness h;
        prepare(h);
        h.forms->Tessera.disktype = LabelKind::Cd;
        h.forms->readytoprint.Command2_Click();
        QCOMPARE(h.take(), cat({kHideWizard, {"show Tessera"}}));
    }

    void printManagerBackForACustomCardHidesTheDesignerFirst()
    {
        Harness h;
        prepare(h);
        h.forms->Tessera.disktype = LabelKind::Custom;
        h.forms->readytoprint.Command2_Click();
        QCOMPARE(h.take(), cat({{"hide CustomPre", "hide CustomOp"}, kHideWizard, {"show Tessera"}}));
    }

    void printManagerPrintUnloadsTheJobInOrder()
    {
        Harness h;
        prepare(h);
        h.forms->Tessera.disktype = LabelKind::ZipLabel;
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        QStringList unloads;
        for (const char* form : {"diskop", "opncontents", "ZipLabel", "ZipSleve", "CDSleve", "DiskLabel",
                                 "frmchangecap", "readytoprint", "CustomPre", "CustomOp"})
            unloads << QStringLiteral("unload ") + form;
        QCOMPARE(h.take(), cat({{"show ZipLabel"}, unloads, {"show Tessera"}}));
        QCOMPARE(h.printer->jobs.size(), 1);
    }

    void customPanelButtons()
    {
        Harness h;
        prepare(h);
        h.forms->Tessera.disktype = LabelKind::Floppy;
        h.forms->CustomOp.Command1_Click();
        QCOMPARE(h.forms->Tessera.disktype, LabelKind::Custom);
        QCOMPARE(h.take(), cat({kHideSeven, {"show readytoprint"}}));
        h.forms->CustomOp.Command3_Click();
        QCOMPARE(h.take(), cat({{"hide CustomPre"}, kHideWizard, {"hide CustomOp", "show Tessera"}}));
        h.forms->CustomOp.Command10_Click();
        QCOMPARE(h.take(), QStringList{"show rgbcolor"});
        h.forms->rgbcolor.Command1_Click();
        QCOMPARE(h.take(), QStringList{"hide rgbcolor"});
    }

    void aboutOkUnloads()
    {
        Harness h;
        prepare(h);
        h.forms->frmAbout.cmdOK_Click();
        QCOMPARE(h.take(), QStringList{"unload frmAbout"});
    }

    void backKeepsTextsAndASuccessfulPrintRestoresTheDesign()
    {
        Harness h;
        h.forms->start();
        h.forms->Tessera.Command2_Click();
        h.forms->diskop.controls().Text1->setText(QStringLiteral("Taxes"));
        h.forms->diskop.controls().Option1->click();
        h.forms->diskop.Command1_Click();
        h.forms->DiskLabel.Label1_Click(2);
        h.forms->frmchangecap.controls().Text1->setText(QStringLiteral("receipts"));
        h.forms->frmchangecap.Command1_Click();
        h.forms->frmchangecap.Command3_Click();
        h.forms->readytoprint.Command2_Click();  // back to the menu

        h.forms->Tessera.Command2_Click();
        QCOMPARE(h.forms->diskop.controls().Text1->text(), QStringLiteral("Taxes"));
        QVERIFY(h.forms->diskop.controls().Option1->isChecked());
        h.forms->diskop.controls().Text1->setText(QStringLiteral("Taxes 2"));
        h.forms->diskop.Command1_Click();
        QCOMPARE(h.forms->DiskLabel.Label1(2).caption(), QStringLiteral("receipts"));
        QCOMPARE(h.forms->DiskLabel.Label2(1).caption(), QStringLiteral("Taxes 2"));

        h.forms->frmchangecap.Command3_Click();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.visible(), QStringList{"Tessera"});
        Harness::flush();
        h.forms->Tessera.Command2_Click();
        QCOMPARE(h.forms->diskop.controls().Text1->text(), QStringLiteral("Your Disk Name"));
        QVERIFY(h.forms->diskop.controls().Option2->isChecked());
        QCOMPARE(h.forms->DiskLabel.Label1(2).caption(), QStringLiteral("Label1"));
        QCOMPARE(h.forms->DiskLabel.Label2(1).caption(), QStringLiteral("Label2"));
        QCOMPARE(h.forms->frmchangecap.controls().Text1->text(), QString());
    }

    void aSuccessfulPrintStartsTheDesignerAfresh()
    {
        Harness h;
        h.forms->start();
        h.forms->Tessera.Command7_Click();
        h.forms->CustomOp.txtamt = 3;
        h.forms->CustomOp.cardpc = QStringLiteral("/pictures/a.bmp");
        h.forms->CustomOp.typ = QStringLiteral("Text line #");
        h.forms->CustomOp.ind = 2;
        h.forms->CustomOp.Command1_Click();
        QCOMPARE(h.visible(), (QStringList{"readytoprint", "CustomOp", "CustomPre"}));
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.printer->jobs.size(), 1);
        QCOMPARE(h.printer->jobs[0].title, QStringLiteral("Custom Label Preview"));
        QCOMPARE(h.visible(), QStringList{"Tessera"});
        QCOMPARE(h.forms->CustomOp.txtamt, qint16(0));
        QCOMPARE(h.forms->CustomOp.cardpc, QString());
        QCOMPARE(h.forms->CustomOp.typ, QString());
        QCOMPARE(h.forms->CustomOp.ind, qint16(0));
    }

    void helpWithoutAHelpFileSaysSoTitledWithTheCaller()
    {
        Harness h;
        h.context->helpFile.clear();
        h.forms->start();
        h.forms->Tessera.Command9_Click();
        h.forms->opncontents.Command5_Click();
        QCOMPARE(h.help->calls.size(), 0);
        QCOMPARE(h.messages->calls.size(), 2);
        QCOMPARE(h.messages->calls[0].text, kNoHelpText);
        QCOMPARE(h.messages->calls[0].style, 64);
        QCOMPARE(h.messages->calls[0].title, QStringLiteral("Tessera V1.3"));
        QCOMPARE(h.messages->calls[1].title, QStringLiteral("Content Selection"));
    }

    void helpOpensTheKeywordIndexWithAnEmptyKeyword()
    {
        Harness h;
        h.forms->start();
        h.forms->Tessera.Command9_Click();
        QCOMPARE(h.help->calls.size(), 1);
        QCOMPARE(h.help->calls[0].owner, h.forms->Tessera.window());
        QCOMPARE(h.help->calls[0].file, h.context->helpFile);
        QCOMPARE(h.help->calls[0].command, 0x105);
        QCOMPARE(h.help->calls[0].keyword, QString());
        QVERIFY(h.messages->calls.isEmpty());
        h.forms->opncontents.Command5_Click();
        QCOMPARE(h.help->calls[1].owner, h.forms->opncontents.window());
    }

    void helpViewerThatCannotStartShowsItsDescription()
    {
        Harness h;
        h.forms->start();
        h.help->failWith = ui::Error::of(53, QStringLiteral("The help viewer could not be started"));
        h.forms->Tessera.Command9_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text, QStringLiteral("The help viewer could not be started"));
        QCOMPARE(h.messages->calls[0].style, 0);
        QCOMPARE(h.messages->calls[0].title, QStringLiteral("Tessera v1.6"));
        QVERIFY(h.forms->Tessera.isVisible());
    }

    void theRealHelpViewerReportsAMissingProgram()
    {
        platform::AssistantHelpViewer viewer(QStringLiteral("/nonexistent/assistant"));
        try {
            viewer.open(nullptr, QStringLiteral("x.qhc"), platform::HelpViewer::PartialKey, QString());
            QFAIL("no error raised");
        } catch (const ui::Error& error) {
            QVERIFY(error.description.contains(QStringLiteral("could not be started")));
        }
    }

    // What the viewer is sent, kept by a stand-in that reads its input as
    // Assistant does: a keyword never ends its command nor starts another.
    void theRealHelpViewerSendsAKeywordAsOneCommand()
    {
        QTemporaryDir dir;
        QFile program(dir.filePath(QStringLiteral("assistant")));
        const QString received = dir.filePath(QStringLiteral("received"));
        QVERIFY(program.open(QIODevice::WriteOnly));
        program.write("#!/bin/sh\nexec cat > '" + received.toUtf8() + "'\n");
        program.close();
        program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const auto input = [&received] {
            QFile file(received);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        platform::AssistantHelpViewer viewer(program.fileName());
        viewer.open(nullptr, QStringLiteral("x.qhc"), platform::HelpViewer::PartialKey, QString());
        viewer.open(nullptr, QStringLiteral("x.qhc"), platform::HelpViewer::PartialKey,
                    QStringLiteral("Fonts;setSource qthelp://x/y.html\nhide\r\u2028;"));
        QTRY_COMPARE(input(), QByteArray("show index;\n"
                                         "show index;activateKeyword FontssetSource qthelp://x/y.htmlhide;\n"));
    }

    // The title artwork and the About box's icon are drawn in the screen's
    // own pixels (run at QT_SCALE_FACTOR=2 too), never blown up blurred.
    void picturesAreDrawnInTheScreensPixels()
    {
        Harness h;
        h.forms->start();
        h.forms->Tessera.Command8_Click();
        const QLabel* title = h.forms->Tessera.controls().Image1;
        const QLabel* icon = h.forms->frmAbout.controls().picIcon;
        for (const auto& [label, size] : {std::pair{title, QSize(152, 116)}, std::pair{icon, QSize(32, 32)}}) {
            const QPixmap picture = label->pixmap();
            QCOMPARE(picture.devicePixelRatio(), label->devicePixelRatio());
            QCOMPARE(picture.size(), size * label->devicePixelRatio());
        }
    }

    // The help's index leads to label stock, its sheets and the printer's
    // calibration, in the collection the build made.
    void theHelpIndexHasLabelStock()
    {
        QHelpEngineCore help(QStringLiteral(TESSERA_HELP_COLLECTION));
        help.setReadOnly(true);
        QVERIFY2(help.setupData(), qPrintable(help.error()));
        for (const auto& [keyword, place] : {std::pair{"Label stock", "printing.html#label-sheets"},
                                             std::pair{"Label sheets", "printing.html#label-sheets"},
                                             std::pair{"Printer calibration", "printing.html#calibration"},
                                             std::pair{"Calibration page", "printing.html#calibration"}}) {
            const QList<QHelpLink> links = help.documentsForKeyword(QLatin1String(keyword));
            QCOMPARE(links.size(), 1);
            QVERIFY2(links[0].url.toString().endsWith(QLatin1String(place)), qPrintable(links[0].url.toString()));
            QVERIFY(!help.fileData(links[0].url).isEmpty());
        }
    }

    void aboutBoxTexts()
    {
        Harness h;
        h.forms->Tessera.Command8_Click();
        auto& c = h.forms->frmAbout.controls();
        QCOMPARE(h.forms->frmAbout.window()->windowTitle(), QStringLiteral("About Tessera v1.6"));
        QCOMPARE(c.lblTitle->text(), QStringLiteral("Tessera v1.6"));
        QCOMPARE(c.lblVersion->text(), QStringLiteral("Version 1.6.0"));
        QVERIFY(c.lblDescription->text().endsWith(QStringLiteral("without repititive input from the user.")));
        QVERIFY(c.lblDisclaimer->text().contains(QStringLiteral("issue tracker")));
        QVERIFY(c.lblTitle->font().underline());
        QCOMPARE(c.lblTitle->font().pointSizeF(), 15.75);
        QCOMPARE(c.picIcon->pixmap().size(), QSize(32, 32));
        QVERIFY(h.forms->frmAbout.window()->windowFlags().testFlag(Qt::Tool));  // not in the task bar
        // The separator is etched: grey on its upper row, white below.
        const QImage shot = h.forms->frmAbout.client()->grab().toImage();
        const int row = 2880 / 15;
        for (int x : {20, 200, 360}) {
            QCOMPARE(shot.pixelColor(x, row), QColor(128, 128, 128));
            QCOMPARE(shot.pixelColor(x, row + 1), QColor(255, 255, 255));
        }
    }

    void aboutBoxClosesOnEnterAndEscape_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }
    void aboutBoxClosesOnEnterAndEscape()
    {
        QFETCH(int, key);
        Harness h;
        h.forms->Tessera.Command8_Click();
        QWidget* w = h.forms->frmAbout.window();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(h.forms->frmAbout.controls().cmdOK, Qt::Key(key));
        QVERIFY(!h.forms->frmAbout.exists());
        Harness::flush();
        // Opening it again loads it again.
        h.forms->Tessera.Command8_Click();
        QCOMPARE(h.forms->frmAbout.controls().lblVersion->text(), QStringLiteral("Version 1.6.0"));
    }
};

QTEST_MAIN(NavigationTest)
#include "test_navigation.moc"
