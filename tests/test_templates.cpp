// The four label templates: design geometry, fields, clicks, editing.

#include "support/Harness.h"

#include "templates/TemplateCanvas.h"
#include "document/TemplateDesign.h"
#include "ui/Units.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using document::TemplateDesign;

namespace {

bool hasLine(const QList<document::LineDesign>& lines, QLine line, int width)
{
    for (const auto& l : lines)
        if ((l.line == line || l.line == QLine(line.p2(), line.p1())) && l.widthPx == width)
            return true;
    return false;
}

QColor pixel(const QImage& image, int xTwips, int yTwips) { return image.pixelColor(xTwips / 15, yTwips / 15); }

QImage renderForm(ui::Form& form)
{
    QWidget* client = form.client();
    QImage image(client->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    client->render(&image);
    return image;
}

}  // namespace

class TemplatesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { configureTestApplication(); }

    void gridFormulasGiveTheDesignedFields()
    {
        const TemplateDesign& floppy = document::floppyLabel();
        QCOMPARE(floppy.fieldCount(), 20);
        QCOMPARE(floppy.contentFields[0], QRect(600, 375, 1455, 135));
        QCOMPARE(floppy.contentFields[9], QRect(600, 375 + 240 * 9, 1455, 135));
        QCOMPARE(floppy.contentFields[10], QRect(2280, 375, 1455, 135));  // column 2 starts at index R
        const TemplateDesign& zip = document::zipLabel();
        QCOMPARE(zip.contentFields[19], QRect(2040, 480 + 240 * 9, 1455, 135));
        const TemplateDesign& sleeve = document::zipSleeve();
        QCOMPARE(sleeve.fieldCount(), 26);
        QCOMPARE(sleeve.contentFields[13], QRect(3120, 720, 2295, 255));
        QCOMPARE(sleeve.contentFields[25], QRect(3120, 720 + 360 * 12, 2295, 255));
        const TemplateDesign& cd = document::cdSleeve();
        QCOMPARE(cd.fieldCount(), 45);
        QCOMPARE(cd.contentFields[14], QRect(720, 720 + 360 * 14, 2295, 255));
        QCOMPARE(cd.contentFields[15], QRect(3240, 720, 2295, 255));
        QCOMPARE(cd.contentFields[30], QRect(5760, 720, 2175, 255));  // the narrower third column
        QCOMPARE(cd.contentFields[44], QRect(5760, 720 + 360 * 14, 2175, 255));
    }

    void rulesAndOutlinesAsDesigned()
    {
        const TemplateDesign& floppy = document::floppyLabel();
        QCOMPARE(floppy.rules.size(), 11 + 3);
        QVERIFY(hasLine(floppy.rules, QLine(480, 2775, 3720, 2775), 1));
        QVERIFY(hasLine(floppy.rules, QLine(2160, 375, 2160, 2775), 1));
        QVERIFY(hasLine(floppy.outline, QLine(4200, 3000, 4080, 3120), 2));
        QVERIFY(hasLine(floppy.outline, QLine(240, 3120, 4080, 3120), 2));
        const TemplateDesign& zip = document::zipLabel();
        QVERIFY(hasLine(zip.rules, QLine(240, 480, 3480, 480), 1));
        QVERIFY(hasLine(zip.outline, QLine(120, 2880, 240, 3000), 2));
        const TemplateDesign& sleeve = document::zipSleeve();
        QCOMPARE(sleeve.rules.size(), 14 + 3);
        QVERIFY(hasLine(sleeve.rules, QLine(240, 5280, 5520, 5280), 1));
        QVERIFY(hasLine(sleeve.outline, QLine(120, 6120, 5640, 6120), 2));
        QCOMPARE(*sleeve.picture, QRect(120, 5760, 4620, 360));
        QCOMPARE(*sleeve.diskName0, QRect(1200, 5760, 4215, 255));
        const TemplateDesign& cd = document::cdSleeve();
        QCOMPARE(cd.rules.size(), 16 + 4);
        QVERIFY(hasLine(cd.rules, QLine(5640, 600, 5640, 6000), 1));
        QVERIFY(hasLine(cd.outline, QLine(8280, 120, 8280, 6720), 2));
        QVERIFY(!zip.credit);
        QVERIFY(floppy.credit && sleeve.credit && cd.credit);
    }

    void creditSitsBetweenTheClosingRuleAndTheBottom()
    {
        for (const TemplateDesign* d : {&document::floppyLabel(), &document::zipSleeve(), &document::cdSleeve()}) {
            const int closingRule = d->rules[d->rows].line.y1();
            int bottom = 0;
            for (const auto& l : d->outline)
                bottom = std::max({bottom, l.line.y1(), l.line.y2()});
            if (d->picture)
                bottom = d->picture->top();
            QVERIFY2(d->credit->top() > closingRule && d->credit->bottom() < bottom, qPrintable(d->formName));
        }
    }

    void designTextsBeforeAnythingIsFilled()
    {
        Harness h;
        for (templates::LabelTemplate* t :
             {&h.forms->DiskLabel, &h.forms->ZipLabel, &h.forms->ZipSleve, &h.forms->CDSleve}) {
            for (int i = 0; i < t->fieldCount(); ++i)
                QCOMPARE(t->Label1(i).caption(), QStringLiteral("Label1"));
            QCOMPARE(t->Label2(1).caption(), QStringLiteral("Label2"));
        }
        QCOMPARE(h.forms->ZipSleve.Label2(0).caption(), QStringLiteral("Label2"));
        QVERIFY(h.forms->ZipSleve.hasDiskNameField(0));
        QVERIFY(!h.forms->DiskLabel.hasDiskNameField(0));
        QVERIFY(!h.forms->CDSleve.hasContentField(45));
        QVERIFY(h.forms->CDSleve.hasContentField(44));
    }

    void linesStayUnbrokenOverFieldsAndPicture()
    {
        Harness h;
        const QImage floppy = renderForm(h.forms->DiskLabel);
        const QColor grey(0xC0, 0xC0, 0xC0);
        // The floppy's top outline crosses the disk-name field.
        QCOMPARE(pixel(floppy, 1500, 120), QColor(Qt::black));
        // A row rule across the top edge of a content field.
        QCOMPARE(pixel(floppy, 1200, 615), grey);
        QCOMPARE(pixel(floppy, 1200, 700), QColor(Qt::white));  // the field itself is white
        // The strip line across the Zip sleeve's picture and Label2(0).
        const QImage sleeve = renderForm(h.forms->ZipSleve);
        QCOMPARE(pixel(sleeve, 600, 5760), QColor(Qt::black));
        QCOMPARE(pixel(sleeve, 3000, 5760), QColor(Qt::black));
        QCOMPARE(pixel(sleeve, 3000, 6120), QColor(Qt::black));
    }

    void fieldTextWrapsAndIsClippedToTheField()
    {
        Harness h;
        h.forms->CDSleve.Label1(0).setCaption(
            QStringLiteral("a very long line of words that cannot possibly fit into one field of the sleeve"));
        const QImage image = renderForm(h.forms->CDSleve);
        // No ink of it in the gap to the next column, nor below the field
        // (the light grey rules are there).
        const QRect field = ui::pxRect(720, 720, 2295, 255);
        const auto blank = [&](int x, int y) { return image.pixelColor(x, y).lightness() >= 0xC0; };
        int inked = 0;
        for (int y = field.top(); y <= field.bottom(); ++y)
            for (int x = field.left(); x <= field.right(); ++x)
                inked += blank(x, y) ? 0 : 1;
        QVERIFY(inked > 50);
        for (int y = field.top(); y <= field.bottom() + 8; ++y) {
            for (int x = field.right() + 1; x < ui::px(3120) - 1; ++x)
                QVERIFY(blank(x, y));
        }
        for (int x = field.left(); x <= field.right(); ++x)
            QVERIFY(blank(x, field.bottom() + 3));
    }

    void onlyContentFieldsReactToClicks()
    {
        Harness h;
        h.forms->Tessera.disktype = LabelKind::ZipSleeve;
        h.forms->ZipSleve.show();
        QWidget* canvas = h.forms->ZipSleve.controls().canvas;
        h.take();
        // Disk name, strip picture, a rule, the outside of the grid: nothing.
        for (QPoint twips : {QPoint(2000, 300), QPoint(300, 5900), QPoint(3000, 600), QPoint(60, 60)})
            QTest::mouseClick(canvas, Qt::LeftButton, {}, twips / 15);
        QVERIFY(!h.forms->frmchangecap.exists());
        QCOMPARE(h.forms->Tessera.newtxt, qint16(0));
        // An empty field still takes the click.
        h.forms->ZipSleve.Label1(16).setCaption(QString());
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(3120 + 100, 720 + 360 * 3 + 100) / 15);
        QCOMPARE(h.forms->Tessera.newtxt, qint16(16));
        QCOMPARE(h.forms->frmchangecap.controls().Text1->text(), QString());
        QVERIFY(h.forms->frmchangecap.isVisible());
    }

    void lastClickWinsAndUpdateWritesThatField()
    {
        Harness h;
        h.forms->Tessera.disktype = LabelKind::Floppy;
        h.forms->DiskLabel.Label1(3).setCaption(QStringLiteral("three"));
        h.forms->DiskLabel.Label1(7).setCaption(QStringLiteral("seven"));
        h.forms->DiskLabel.Label1_Click(3);
        h.forms->frmchangecap.controls().Text1->setText(QStringLiteral("typed"));
        h.forms->DiskLabel.Label1_Click(7);
        QCOMPARE(h.forms->frmchangecap.controls().Text1->text(), QStringLiteral("seven"));
        QCOMPARE(h.forms->Tessera.newtxt, qint16(7));
        h.forms->frmchangecap.controls().Text1->setText(QStringLiteral("SEVEN"));
        h.forms->frmchangecap.Command1_Click();
        h.forms->frmchangecap.Command1_Click();
        QCOMPARE(h.forms->DiskLabel.Label1(7).caption(), QStringLiteral("SEVEN"));
        QCOMPARE(h.forms->DiskLabel.Label1(3).caption(), QStringLiteral("three"));
        h.forms->frmchangecap.controls().Text1->clear();
        h.forms->frmchangecap.Command1_Click();
        QCOMPARE(h.forms->DiskLabel.Label1(7).caption(), QString());
    }

    void updateUsesTheLastIndexAcrossJobsButNeverWritesPastTheTemplate()
    {
        Harness h;
        // No field ever clicked: field 0.
        h.forms->Tessera.disktype = LabelKind::ZipLabel;
        h.forms->frmchangecap.controls().Text1->setText(QStringLiteral("first"));
        h.forms->frmchangecap.Command1_Click();
        QCOMPARE(h.forms->ZipLabel.Label1(0).caption(), QStringLiteral("first"));
        // Index 40 clicked on the CD sleeve, then a manual floppy job.
        h.forms->CDSleve.Label1_Click(40);
        h.forms->Tessera.disktype = LabelKind::Floppy;
        h.forms->frmchangecap.controls().Text1->setText(QStringLiteral("stray"));
        h.forms->frmchangecap.Command1_Click();
        for (int i = 0; i < h.forms->DiskLabel.fieldCount(); ++i)
            QCOMPARE(h.forms->DiskLabel.Label1(i).caption(), QStringLiteral("Label1"));
        // CUSTOM: nothing.
        h.forms->Tessera.disktype = LabelKind::Custom;
        h.forms->Tessera.newtxt = 0;
        h.forms->frmchangecap.Command1_Click();
        QCOMPARE(h.forms->ZipLabel.Label1(0).caption(), QStringLiteral("first"));
    }

    void aLongFieldTextIsCopiedWholeAndTypingStopsAt22()
    {
        Harness h;
        h.forms->Tessera.disktype = LabelKind::Cd;
        const QString longText = QStringLiteral("[A DIRECTORY NAME OF THIRTY-SIX CHARS]");
        h.forms->CDSleve.Label1(5).setCaption(longText);
        h.forms->CDSleve.Label1_Click(5);
        QLineEdit* edit = h.forms->frmchangecap.controls().Text1;
        QCOMPARE(edit->text(), longText);
        // Update without editing keeps the field whole.
        h.forms->frmchangecap.Command1_Click();
        QCOMPARE(h.forms->CDSleve.Label1(5).caption(), longText);
        // Typing cannot lengthen it, deleting can shorten it.
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, QStringLiteral("xyz"));
        QCOMPARE(edit->text(), longText);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), longText.chopped(1));
        // A short text takes at most 22 typed characters.
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
        QCOMPARE(edit->text(), QStringLiteral("abcdefghijklmnopqrstuv"));
        // A paste keeps its first characters, as far as the limit allows.
        edit->setText(QStringLiteral("Disk 1 of 3"));
        edit->setCursorPosition(5);
        QGuiApplication::clipboard()->setText(QStringLiteral("0123456789ABCDEFGHIJ"));
        edit->paste();
        QCOMPARE(edit->text(), QStringLiteral("Disk 0123456789A1 of 3"));
        QCOMPARE(edit->text().size(), 22);
        QCOMPARE(edit->cursorPosition(), 16);
    }

    void templatesAreReadableByAssistiveTechnology()
    {
        Harness h;
        h.forms->Tessera.disktype = LabelKind::ZipSleeve;
        h.forms->ZipSleve.show();
        h.forms->ZipSleve.Label1(3).setCaption(QStringLiteral("[PHOTOS]"));
        h.forms->ZipSleve.Label1(4).setCaption(QString());
        h.forms->ZipSleve.setDiskName(QStringLiteral("Backup 7"));
        auto* canvas = h.forms->ZipSleve.controls().canvas;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(canvas);
        QVERIFY(iface);
        // 26 content fields, both disk-name fields and the credit.
        QCOMPARE(iface->childCount(), 26 + 2 + 1);
        QAccessibleInterface* field = iface->child(3);
        QCOMPARE(field->role(), QAccessible::StaticText);
        QCOMPARE(field->text(QAccessible::Name), QStringLiteral("[PHOTOS]"));
        QCOMPARE(iface->child(4)->text(QAccessible::Name), QString());
        const QRect r = canvas->itemRect(3);
        QCOMPARE(field->rect(), QRect(canvas->mapToGlobal(r.topLeft()), r.size()));
        QCOMPARE(iface->child(26)->text(QAccessible::Name), QStringLiteral("Backup 7"));
        QCOMPARE(iface->child(27)->text(QAccessible::Name), QStringLiteral("Backup 7"));
        QCOMPARE(iface->child(28)->text(QAccessible::Name), document::kCreditText);
        QVERIFY(!iface->child(26)->actionInterface());
        // Pressing a field does what a click does; texts follow the fields.
        field->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(h.forms->Tessera.newtxt, qint16(3));
        QCOMPARE(h.forms->frmchangecap.controls().Text1->text(), QStringLiteral("[PHOTOS]"));
        h.forms->ZipSleve.Label1(3).setCaption(QStringLiteral("[MUSIC]"));
        QCOMPARE(field->text(QAccessible::Name), QStringLiteral("[MUSIC]"));
        QCOMPARE(iface->childAt(field->rect().center().x(), field->rect().center().y()), field);
        // The floppy label has one disk-name field.
        h.forms->DiskLabel.show();
        QCOMPARE(QAccessible::queryAccessibleInterface(h.forms->DiskLabel.controls().canvas)->childCount(), 20 + 1 + 1);
    }

    void nextWritesTheWholeNameIntoBothSleeveFields()
    {
        Harness h;
        h.forms->Tessera.Command5_Click();
        const QString name = QStringLiteral("A disk name far longer than the disk-name field can show on the label");
        h.forms->diskop.controls().Text1->setText(name);
        h.forms->diskop.controls().Option1->click();
        h.forms->diskop.Command1_Click();
        QCOMPARE(h.forms->ZipSleve.Label2(0).caption(), name);
        QCOMPARE(h.forms->ZipSleve.Label2(1).caption(), name);
        QCOMPARE(h.visible(), (QStringList{"ZipSleve", "frmchangecap"}));
        // The template is the form in front: shown last, and the active window.
        QCOMPARE(h.log.filter(QStringLiteral("show ")).last(), QStringLiteral("show ZipSleve"));
        QVERIFY(QTest::qWaitForWindowActive(h.forms->ZipSleve.window()));
        QCOMPARE(QApplication::activeWindow(), h.forms->ZipSleve.window());
    }

    void aShrunkenWindowKeepsTheWholeLabel()
    {
        Harness h;
        h.forms->DiskLabel.show();
        h.forms->DiskLabel.window()->resize(100, 80);
        QCOMPARE(h.forms->DiskLabel.client()->size(), QSize(4425 / 15, 3300 / 15));
    }
};

QTEST_MAIN(TemplatesTest)
#include "test_templates.moc"
