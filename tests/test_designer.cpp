// The custom card designer: the card on the preview, selecting and dragging
// lines, the control panel's commands, the colour picker, and what assistive
// technology sees of the card.

#include "support/Harness.h"
#include "support/PdfProbe.h"
#include "support/ProcessMemory.h"

#include "designer/CardSurface.h"
#include "document/LabelFile.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QAccessible>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

using designer::CardSurface;
using document::Card;

namespace {

// The designer as "Custom Label" opens it.
void open(Harness& h)
{
    h.forms->start();
    h.forms->Tessera.Command7_Click();
}

Card& card(Harness& h) { return h.forms->CustomPre.card(); }
CardSurface* surface(Harness& h) { return h.forms->CustomPre.controls().surface; }
designer::CustomControlControls& panel(Harness& h) { return h.forms->CustomOp.controls(); }

// A point inside line i's box, in card pixels.
QPoint inside(Harness& h, int i, QPoint offset = {2, 2}) { return card(h).boxPx(i).topLeft().toPoint() + offset; }

// Clicks as the window system delivers them (a double-click is press,
// release, press, double-click, release).
QWindow* preview(Harness& h) { return h.forms->CustomPre.window()->windowHandle(); }
void click(Harness& h, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(preview(h), button, {}, p);
}
void doubleClick(Harness& h, QPoint p) { QTest::mouseDClick(preview(h), Qt::LeftButton, {}, p); }

void move(QWidget* w, QPoint p)
{
    QMouseEvent event(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Shows a form's window and waits until it is the active one, as its keys need.
void activate(ui::Form& form)
{
    form.show();
    QTRY_COMPARE(QApplication::activeWindow(), form.window());
}

// "Add Text" n times.
void add(Harness& h, int n)
{
    for (int i = 0; i < n; ++i)
        h.forms->CustomOp.Command9_Click();
}

float mm(double pixels) { return float(ui::pxToMm(pixels)); }

// What "Save Custom Label" writes of the card now.
QByteArray savedBytes(Harness& h)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("card.lab"));
    if (!h.forms->card().save(path))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A picture of `width` x `height` that no other picture shares.
QImage picture(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The names of a menu's entries as assistive technology reads them, each
// with "(off)" when disabled.
QStringList readMenu(QMenu* menu)
{
    QStringList entries;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(menu);
    for (int i = 0; iface && i < iface->childCount(); ++i) {
        QAccessibleInterface* entry = iface->child(i);
        entries << entry->text(QAccessible::Name) + (entry->state().disabled ? QStringLiteral(" (off)") : QString());
    }
    return entries;
}

// The first and last columns of `area` in `image` that hold dark pixels.
QPair<int, int> inkColumns(const QImage& image, const QRect& area)
{
    int left = area.right() + 1, right = area.left() - 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 96) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

}  // namespace

class DesignerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { configureTestApplication(); }

    void theDesignerOpensOnAnEmptyGreyCardAndReportsItsSize()
    {
        Harness h;
        open(h);
        for (int i = 0; i < 10; ++i) {
            QVERIFY(!card(h).line(i).Visible);
            QCOMPARE(card(h).line(i).Caption, QStringLiteral("Line %1 Text").arg(i + 1));
            QCOMPARE(card(h).line(i).FontName, QStringLiteral("MS Sans Serif"));
        }
        QCOMPARE(card(h).BackColor(), ui::syscolor::ButtonFace);
        QCOMPARE(card(h).Height(), 2940.0f);
        QCOMPARE(card(h).Width(), 4005.0f);
        QCOMPARE(h.forms->CustomPre.window()->size(), QSize(259, 169));
        QCOMPARE(panel(h).Text1->text(), QStringLiteral("44.71458"));
        QCOMPARE(panel(h).Text2->text(), QStringLiteral("68.52708"));
        QCOMPARE(panel(h).Frame3->title(), QStringLiteral("Object Navigation"));
        QVERIFY(!h.forms->CustomPre.moving);
        // The preview is no task-bar window and cannot be closed from its frame.
        QVERIFY(h.forms->CustomPre.window()->windowFlags().testFlag(Qt::Tool));
        QVERIFY(!h.forms->CustomPre.window()->close());
        QVERIFY(h.forms->CustomPre.isVisible());
    }

    void resizingTheWindowReportsEverySizeAndKeepsTheLines()
    {
        Harness h;
        open(h);
        add(h, 1);
        h.forms->CustomOp.typ = QStringLiteral("Text line #");
        h.forms->CustomOp.Command8_Click();
        h.forms->CustomPre.window()->resize(300, 200);
        QCOMPARE(panel(h).Text1->text(), QString::number(double(mm(200)), 'g', 7));
        QCOMPARE(panel(h).Text2->text(), QString::number(double(mm(300)), 'g', 7));
        QCOMPARE(card(h).Width(), 300.0f * 15 + 120);
        QCOMPARE(card(h).Height(), 200.0f * 15 + 405);
        QCOMPARE(card(h).line(0).Left, 1.0f);
        QCOMPARE(surface(h)->size(), QSize(300, 200));
        // The card size set by the program resizes the window.
        card(h).setHeight(2940);
        QCOMPARE(h.forms->CustomPre.window()->height(), 169);
        QCOMPARE(panel(h).Text1->text(), QStringLiteral("44.71458"));
    }

    void clickingSelectsDoubleClickingPicksUpAndTheLineFollowsThePointer()
    {
        Harness h;
        open(h);
        add(h, 2);
        card(h).setTop(0, 20);
        card(h).setLeft(0, 20);
        CardSurface* s = surface(h);

        click(h, inside(h, 0));
        auto& op = h.forms->CustomOp;
        QCOMPARE(op.typ, QStringLiteral("Text line #"));
        QCOMPARE(op.ind, qint16(0));
        QCOMPARE(panel(h).Text4->toPlainText(), QStringLiteral("Line 1 Text"));
        QCOMPARE(panel(h).Label4->text(), QStringLiteral("Text line #1"));
        QCOMPARE(panel(h).Frame3->title(), QStringLiteral("Text line #1 Navigation"));
        QCOMPARE(h.forms->selection.framed(), 0);
        QVERIFY(!h.forms->CustomPre.moving);

        // Line 2 lies at the corner; a double-click picks it up.
        doubleClick(h, inside(h, 1));
        QVERIFY(h.forms->CustomPre.moving);
        QCOMPARE(op.ind, qint16(1));
        QCOMPARE(h.forms->selection.framed(), 1);

        // It follows in every direction over the bare card and its own box.
        const QPoint path[] = {{40, 40}, {42, 40}, {42, 43}, {50, 48}, {38, 39}, {60, 70}};
        for (QPoint p : path) {
            move(s, p);
            QCOMPARE(card(h).line(1).Left, mm(p.x()));
            QCOMPARE(card(h).line(1).Top, mm(p.y()));
        }
        // Over line 1 it stays where it is, though its own box lies on top
        // there, so line 1 can be double-clicked: that drops line 2 and picks
        // line 1 up.
        const QPoint over = inside(h, 0, {3, 3});
        QVERIFY(card(h).boxPx(1).contains(over));
        move(s, over);
        QCOMPARE(card(h).line(1).Left, mm(60));
        doubleClick(h, over);
        QVERIFY(h.forms->CustomPre.moving);
        QCOMPARE(op.ind, qint16(0));
        QCOMPARE(h.forms->selection.framed(), 0);
        move(s, {150, 30});
        QCOMPARE(card(h).line(0).Left, mm(150));
        QCOMPARE(card(h).line(1).Left, mm(60));
        QCOMPARE(card(h).line(1).Top, mm(70));

        // On the bare card the line comes to the pointer first, so a click
        // there lands on it: it drops there, selected.
        click(h, {13, 123});
        QVERIFY(!h.forms->CustomPre.moving);
        QCOMPARE(h.forms->selection.framed(), 0);
        QCOMPARE(card(h).line(0).Left, mm(13));
        move(s, {100, 20});
        QCOMPARE(card(h).line(0).Left, mm(13));

        // A click on the bare card removes the frame and keeps the selection.
        click(h, {200, 150});
        QCOMPARE(h.forms->selection.framed(), -1);
        QCOMPARE(op.ind, qint16(0));
    }

    void aPickedUpLineHiddenByClearLabelGoesOnFollowingInvisibly()
    {
        Harness h;
        open(h);
        add(h, 1);
        doubleClick(h, inside(h, 0));
        QVERIFY(h.forms->CustomPre.moving);
        h.messages->answers = {6};
        h.forms->CustomOp.Command13_Click();
        click(h, {100, 100});
        QCOMPARE(h.forms->selection.framed(), -1);
        QVERIFY(h.forms->CustomPre.moving);
        QCOMPARE(card(h).line(0).Left, mm(100));
        QCOMPARE(card(h).line(0).Top, mm(100));
        move(surface(h), {50, 60});
        QCOMPARE(card(h).line(0).Top, mm(60));
        QVERIFY(!card(h).line(0).Visible);
    }

    void theHigherLineLiesOnTopAndHiddenLinesTakeNoClicks()
    {
        Harness h;
        open(h);
        add(h, 3);
        click(h, inside(h, 0));
        QCOMPARE(h.forms->CustomOp.ind, qint16(2));
        card(h).setVisible(2, false);
        click(h, inside(h, 0));
        QCOMPARE(h.forms->CustomOp.ind, qint16(1));
        // A right click selects nothing.
        card(h).setVisible(2, true);
        click(h, inside(h, 0), Qt::RightButton);
        QCOMPARE(h.forms->CustomOp.ind, qint16(1));
    }

    void arrowsMoveTheSelectedLineByExactlyOneMillimetreOnceALineIsSelected()
    {
        Harness h;
        open(h);
        auto& op = h.forms->CustomOp;
        op.Command6_Click();
        op.Command8_Click();
        QCOMPARE(card(h).line(0).Top, 0.0f);
        QCOMPARE(card(h).line(0).Left, 0.0f);
        add(h, 3);
        click(h, inside(h, 2));
        for (int i = 0; i < 3; ++i)
            op.Command6_Click();
        QCOMPARE(card(h).line(2).Top, 3.0f);
        op.Command8_Click();
        op.Command8_Click();
        QCOMPARE(card(h).line(2).Left, 2.0f);
        op.Command7_Click();
        op.Command7_Click();
        op.Command7_Click();
        QCOMPARE(card(h).line(2).Left, -1.0f);
        for (int i = 0; i < 4; ++i)
            op.Command5_Click();
        QCOMPARE(card(h).line(2).Top, -1.0f);
        // After a click on the bare card the arrows still move that line.
        click(h, {200, 150});
        op.Command6_Click();
        QCOMPARE(card(h).line(2).Top, 0.0f);
        // A case-different kind moves nothing.
        op.typ = QStringLiteral("text line #");
        op.Command6_Click();
        QCOMPARE(card(h).line(2).Top, 0.0f);
    }

    void addTextRevealsTenLinesThenRefusesAndCopesWithAnyCount()
    {
        Harness h;
        open(h);
        h.messages->answers = {6};
        h.forms->CustomOp.Command13_Click();
        add(h, 10);
        for (int i = 0; i < 10; ++i) {
            QVERIFY(card(h).line(i).Visible);
            QCOMPARE(card(h).line(i).Caption, QStringLiteral("Line %1 text.").arg(i + 1));
        }
        QVERIFY(h.messages->calls.size() == 1);
        add(h, 1);
        QCOMPARE(h.messages->calls.size(), 2);
        QCOMPARE(h.messages->calls[1].text, QStringLiteral("You may only have 10 lines of text per label."));
        QCOMPARE(h.messages->calls[1].style, 0);
        QCOMPARE(h.messages->calls[1].title, QStringLiteral("Tessera v1.6"));
        QCOMPARE(h.forms->CustomOp.txtamt, qint16(10));

        // Counts a label file may hold.
        h.forms->CustomOp.txtamt = 300;
        add(h, 1);
        QCOMPARE(h.messages->calls.size(), 3);
        QCOMPARE(h.forms->CustomOp.txtamt, qint16(300));
        h.messages->answers = {6};
        h.forms->CustomOp.Command13_Click();
        h.forms->CustomOp.txtamt = -7;
        add(h, 1);
        QCOMPARE(h.forms->CustomOp.txtamt, qint16(1));
        QVERIFY(card(h).line(0).Visible);
        QVERIFY(!card(h).line(1).Visible);
    }

    void clearLabelAnsweredNoKeepsAllAndYesResetsButKeepsPictureAndSelection()
    {
        Harness h;
        open(h);
        auto& op = h.forms->CustomOp;
        add(h, 2);
        click(h, inside(h, 0));
        h.forms->CustomPre.window()->resize(400, 300);
        card(h).setBackColor(ui::rgb(1, 2, 3));
        card(h).setPicture(QImage(10, 10, QImage::Format_RGB32));
        op.cardpc = QStringLiteral("/pictures/back.bmp");

        h.messages->answers = {7};
        op.Command13_Click();
        QCOMPARE(h.messages->calls[0].text, QStringLiteral("Are you sure?,this will erase your current label."));
        QCOMPARE(h.messages->calls[0].title, QStringLiteral("Label Deletion"));
        QCOMPARE(h.messages->calls[0].style, 4);
        QCOMPARE(op.txtamt, qint16(2));
        QCOMPARE(card(h).BackColor(), ui::rgb(1, 2, 3));

        h.messages->answers = {6};
        op.Command13_Click();
        QCOMPARE(op.txtamt, qint16(0));
        QCOMPARE(card(h).Height(), 2940.0f);
        QCOMPARE(card(h).Width(), 4005.0f);
        QCOMPARE(panel(h).Text1->text(), QStringLiteral("44.71458"));
        QCOMPARE(card(h).BackColor(), ui::syscolor::ButtonFace);
        for (int i = 0; i < 10; ++i) {
            const document::TextLine& l = card(h).line(i);
            QCOMPARE(l.Caption, QStringLiteral("Line %1 text.").arg(i + 1));
            QCOMPARE(l.FontSize, 10.0f);
            QCOMPARE(l.Height, 3.44f);
            QCOMPARE(l.Width, 15.61f);
            QVERIFY(!l.Visible);
        }
        QVERIFY(!card(h).picture().isNull());
        QCOMPARE(op.cardpc, QStringLiteral("/pictures/back.bmp"));
        QCOMPARE(op.typ, QStringLiteral("Text line #"));
        QCOMPARE(panel(h).Label4->text(), QStringLiteral("Text line #2"));

        // Selecting a line writes its caption back: the cleared box survives.
        add(h, 2);
        click(h, inside(h, 0));
        QCOMPARE(op.ind, qint16(1));
        QCOMPARE(card(h).line(1).Height, 3.44f);
        QCOMPARE(card(h).line(1).Width, 15.61f);
    }

    void typingAndFontsActOnLineZeroBeforeAnySelectionAndFitTheBox()
    {
        Harness h;
        open(h);
        auto& op = h.forms->CustomOp;
        const QSizeF before(card(h).line(0).Width, card(h).line(0).Height);
        panel(h).Text4->setPlainText(QStringLiteral("Hello, world\nsecond line"));
        QCOMPARE(card(h).line(0).Caption, QStringLiteral("Hello, world\r\nsecond line"));
        QVERIFY(card(h).line(0).Width > before.width());
        QVERIFY(card(h).line(0).Height > 1.9 * before.height());
        // A caption with CR LF shows as two lines.
        op.setText4(card(h).line(0).Caption);
        QCOMPARE(panel(h).Text4->toPlainText(), QStringLiteral("Hello, world\nsecond line"));
        QCOMPARE(panel(h).Text4->document()->blockCount(), 2);

        platform::FontChoice font;
        font.name = QStringLiteral("MS Serif");
        font.size = 8.25;
        font.bold = true;
        font.underline = true;
        font.color = ui::rgb(0, 0, 255);
        h.dialogs->fontAnswers.push_back(font);
        op.Command2_Click();
        QCOMPARE(h.dialogs->fontFlags, QList<int>{0x103});
        const document::TextLine& l = card(h).line(0);
        QCOMPARE(l.FontName, QStringLiteral("MS Serif"));
        QCOMPARE(l.FontSize, 8.25f);
        QVERIFY(l.FontBold && l.FontUnderline && !l.FontItalic && !l.FontStrikethru);
        QCOMPARE(l.ForeColor, ui::rgb(0, 0, 255));
        QCOMPARE(panel(h).Text5->text(), QStringLiteral("MS Serif"));
        QCOMPARE(panel(h).Text6->text(), QStringLiteral("8.25"));
        QCOMPARE(panel(h).Text3->palette().color(QPalette::Base), QColor(0, 0, 255));
        // The box fits the new font; a direct size overrides until the next change.
        const float fitted = l.Width;
        card(h).setLineWidth(0, 5);
        card(h).setFontBold(0, true);
        QCOMPARE(card(h).line(0).Width, 5.0f);
        card(h).setFontBold(0, false);
        QVERIFY(card(h).line(0).Width != 5.0f);
        QVERIFY(fitted > 0);

        // A cancelled dialog changes nothing, and says nothing.
        op.Command2_Click();
        QCOMPARE(card(h).line(0).FontName, QStringLiteral("MS Serif"));
        QVERIFY(h.messages->calls.isEmpty());
    }

    void typingAndPastingStopAtTheLongestCaptionALineHolds()
    {
        Harness h;
        open(h);
        activate(h.forms->CustomOp);
        QPlainTextEdit* box = panel(h).Text4;
        box->setFocus();
        // A paste keeps its first characters that fit; a line break counts as CR LF.
        const QString paste = QStringLiteral("ab\ncd") + QString(document::kMaxCaptionLength, QLatin1Char('x'));
        QGuiApplication::clipboard()->setText(paste);
        box->paste();
        const QString atLimit = QStringLiteral("ab\r\ncd") + QString(document::kMaxCaptionLength - 6, QLatin1Char('x'));
        QCOMPARE(card(h).line(0).Caption, atLimit);
        // One undo in the box takes back the whole paste, the card's step, and
        // the box shows what the card has.
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(card(h).line(0).Caption, QStringLiteral("Line 1 Text"));
        QCOMPARE(box->toPlainText(), QStringLiteral("Line 1 Text"));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(card(h).line(0).Caption, atLimit);
        QCOMPARE(box->toPlainText(),
                 QStringLiteral("ab\ncd") + QString(document::kMaxCaptionLength - 6, QLatin1Char('x')));
        QCOMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
        QTest::keyClick(box, Qt::Key_Z);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(card(h).line(0).Caption, atLimit);
        // An edit that does not lengthen it is taken.
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Z);
        QCOMPARE(card(h).line(0).Caption, atLimit.chopped(1) + QLatin1Char('z'));
    }

    void backgroundGraphicLoadsOrSaysWhyNot()
    {
        Harness h;
        open(h);
        auto& op = h.forms->CustomOp;
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        h.pictures->images.insert(QStringLiteral("/pictures/PHOTO.JPG"), picture);
        h.dialogs->openAnswers = {QStringLiteral("/pictures/PHOTO.JPG"), QStringLiteral("/pictures/gone.bmp"),
                                  std::nullopt};
        op.Command12_Click();
        QCOMPARE(h.dialogs->filters.last(),
                 QStringLiteral("Bitmap Files (*.bmp);;Jpeg Files(*.jpg);;Gif Files (*.gif)"));
        QCOMPARE(op.cardpc, QStringLiteral("/pictures/PHOTO.JPG"));
        QCOMPARE(card(h).picture().size(), QSize(30, 20));
        QVERIFY(h.messages->calls.isEmpty());

        op.Command12_Click();
        QCOMPARE(h.messages->calls.size(), 1);
        QVERIFY(h.messages->calls[0].text.contains(QStringLiteral("/pictures/gone.bmp")));
        QVERIFY(h.messages->calls[0].text.contains(QStringLiteral("File not found")));
        QCOMPARE(h.messages->calls[0].style, 0);
        QCOMPARE(op.cardpc, QStringLiteral("/pictures/PHOTO.JPG"));
        QCOMPARE(card(h).picture().size(), QSize(30, 20));

        op.Command12_Click();  // cancelled
        QCOMPARE(h.messages->calls.size(), 1);

        // The picture lies at the top-left at its own size, under the lines.
        h.forms->CustomPre.window()->resize(100, 60);
        const QImage shot = surface(h)->grab().toImage();
        QCOMPARE(shot.pixelColor(29, 19), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(31, 19), QColor(0xC0, 0xC0, 0xC0));
    }

    void colourPickerMixesLiveAndColoursTheCardOnOk()
    {
        Harness h;
        open(h);
        h.forms->CustomOp.Command10_Click();
        auto& p = h.forms->rgbcolor.controls();
        QCOMPARE(p.HScroll1->maximum(), 255);
        QCOMPARE(p.Text2->text(), QStringLiteral("0"));
        p.HScroll1->setValue(255);
        p.HScroll2->setValue(128);
        QCOMPARE(p.Text2->text(), QStringLiteral("255"));
        QCOMPARE(p.Text3->text(), QStringLiteral("128"));
        QCOMPARE(p.Text1->palette().color(QPalette::Base), QColor(255, 128, 0));
        QCOMPARE(card(h).BackColor(), ui::syscolor::ButtonFace);
        // Typed values are ignored.
        p.Text4->setText(QStringLiteral("99"));
        h.forms->rgbcolor.Command1_Click();
        QCOMPARE(card(h).BackColor(), quint32(0x0080FF));
        QVERIFY(!h.forms->rgbcolor.isVisible());

        h.forms->CustomOp.Command10_Click();
        QCOMPARE(h.forms->rgbcolor.controls().HScroll2->value(), 128);
        // Closed from its frame, it forgets.
        h.forms->rgbcolor.window()->close();
        QVERIFY(!h.forms->rgbcolor.exists());
        h.forms->CustomOp.Command10_Click();
        QCOMPARE(h.forms->rgbcolor.controls().HScroll1->value(), 0);
        QCOMPARE(h.forms->rgbcolor.controls().Text2->text(), QStringLiteral("0"));
    }

    void theKeyboardMovesTheColourBarsAndEnterPressesButtons()
    {
        Harness h;
        open(h);
        const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
        h.forms->CustomOp.Command10_Click();
        auto& p = h.forms->rgbcolor.controls();
        QVERIFY(QTest::qWaitForWindowActive(h.forms->rgbcolor.window()));
        // The bars come first in the tab order.
        QCOMPARE(QApplication::focusWidget(), p.HScroll1);
        key(Qt::Key_Right);
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), p.HScroll2);
        key(Qt::Key_End);
        QCOMPARE(p.Text3->text(), QStringLiteral("255"));
        p.Command1->setFocus();
        key(Qt::Key_Return);
        QTRY_COMPARE(card(h).BackColor(), ui::rgb(1, 255, 0));

        h.forms->CustomOp.show();
        QVERIFY(QTest::qWaitForWindowActive(h.forms->CustomOp.window()));
        panel(h).Command9->setFocus();
        key(Qt::Key_Enter);
        QTRY_COMPARE(h.forms->CustomOp.txtamt, qint16(1));
        // In the multi-line text box Enter stays a line break.
        panel(h).Text4->setFocus();
        key(Qt::Key_Return);
        QCOMPARE(card(h).line(0).Caption, QStringLiteral("\r\n"));
        QCOMPARE(h.forms->CustomOp.txtamt, qint16(1));
    }

    void theSizeBoxesShowAllEightCharactersFromTheFirst()
    {
        Harness h;
        open(h);
        QCOMPARE(panel(h).Text2->text(), QStringLiteral("68.52708"));
        for (QLineEdit* box : {panel(h).Text1, panel(h).Text2}) {
            QCOMPARE(box->size(), QSize(49, 19));
            // The text's ink in the box is all of it.
            QImage alone(200, 40, QImage::Format_RGB32);
            alone.fill(Qt::white);
            QPainter painter(&alone);
            painter.setFont(box->font());
            painter.drawText(20, 25, box->text());
            painter.end();
            const QRect inside = box->rect().adjusted(1, 1, -1, -1);
            const auto [left, right] = inkColumns(box->grab().toImage(), inside);
            const auto [aloneLeft, aloneRight] = inkColumns(alone, alone.rect());
            QVERIFY2(qAbs((right - left) - (aloneRight - aloneLeft)) <= 1, qPrintable(box->text()));
            // Clear of the frame on both sides, not cut at it.
            QVERIFY2(left > inside.left() && right < inside.right(),
                     qPrintable(QStringLiteral("%1 to %2").arg(left).arg(right)));
        }
    }

    void colourPickerOkAfterAPrintMakesTheCardInvisibly()
    {
        Harness h;
        open(h);
        h.forms->CustomOp.Command10_Click();
        h.forms->rgbcolor.controls().HScroll3->setValue(255);
        h.forms->CustomOp.Command1_Click();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        QVERIFY(!h.forms->CustomPre.exists());
        QVERIFY(h.forms->rgbcolor.isVisible());
        h.forms->rgbcolor.Command1_Click();
        QVERIFY(h.forms->CustomPre.exists());
        QVERIFY(!h.forms->CustomPre.isVisible());
        QVERIFY(!h.forms->CustomOp.exists());
        QCOMPARE(card(h).BackColor(), quint32(0xFF0000));
        h.forms->Tessera.Command7_Click();
        QCOMPARE(card(h).BackColor(), quint32(0xFF0000));
        QVERIFY(!card(h).line(0).Visible);
    }

    void aSuccessfulPrintStartsTheDesignerAfresh()
    {
        Harness h;
        open(h);
        add(h, 2);
        doubleClick(h, inside(h, 1));
        QVERIFY(h.forms->CustomPre.moving);
        h.forms->CustomOp.Command1_Click();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        QCOMPARE(h.printer->jobs.size(), 1);
        // The card, 259 x 169 pixels, in its grey.
        const QRectF printed = pdfprobe::inkBoxMm(pdfprobe::firstPage(pdfprobe::saved(h.printer->jobs[0].pdf)), 250);
        QVERIFY2(qAbs(printed.width() - ui::pxToMm(259)) < 0.15 && qAbs(printed.height() - ui::pxToMm(169)) < 0.15,
                 qPrintable(QStringLiteral("%1 x %2 mm").arg(printed.width()).arg(printed.height())));
        QVERIFY(!h.forms->CustomPre.moving);
        open(h);
        QCOMPARE(card(h).line(1).Caption, QStringLiteral("Line 2 Text"));
        QVERIFY(!card(h).line(1).Visible);
        QCOMPARE(h.forms->CustomOp.typ, QString());
    }

    void everyKindOfStepUndoesToTheStartAndRedoesToTheEnd()
    {
        Harness h;
        open(h);
        auto& op = h.forms->CustomOp;
        QUndoStack& history = h.forms->card().history();
        const QImage photo = picture(40, 30, qRgb(200, 10, 10));
        h.pictures->images.insert(QStringLiteral("/pictures/photo.jpg"), photo);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("other.lab"));
        {
            QFile other(file);
            QVERIFY(other.open(QIODevice::WriteOnly));
            document::labelfile::CardValues values;
            values.txtamt = 1;
            values.Height = 3000;
            values.Width = 5000;
            for (document::TextLine& line : values.lines) {
                line.Caption = QStringLiteral("Other");
                line.FontName = QStringLiteral("MS Sans Serif");
                line.Visible = &line == &values.lines[0];
            }
            other.write(document::labelfile::write(values));
        }
        platform::FontChoice serif;
        serif.name = QStringLiteral("MS Serif");
        serif.size = 12;
        platform::FontChoice blue = serif;
        blue.color = ui::rgb(0, 0, 255);
        h.dialogs->fontAnswers = {serif, blue};
        h.dialogs->openAnswers = {QStringLiteral("/pictures/photo.jpg"), file};
        h.messages->answers = {6};

        // After each step: the step's name, the bytes a save writes, the picture.
        QStringList names;
        QList<QByteArray> saved{savedBytes(h)};
        QList<qint64> pictures{card(h).picture().cacheKey()};
        const auto step = [&](const std::function<void()>& user) {
            user();
            names << history.undoText();
            saved << savedBytes(h);
            pictures << card(h).picture().cacheKey();
        };
        step([&] { add(h, 1); });
        step([&] { add(h, 1); });
        step([&] {
            click(h, inside(h, 1));
            QTest::keyClicks(panel(h).Text4, QStringLiteral(" and more"));
        });
        step([&] { op.Command2_Click(); });
        step([&] { op.Command2_Click(); });
        step([&] { op.Command12_Click(); });
        step([&] {
            op.Command10_Click();
            h.forms->rgbcolor.controls().HScroll2->setValue(99);
            h.forms->rgbcolor.Command1_Click();
        });
        step([&] {
            for (int i = 0; i < 3; ++i)
                op.Command6_Click();
        });
        step([&] {
            doubleClick(h, inside(h, 1));
            for (QPoint p : {QPoint(60, 50), QPoint(50, 40), QPoint(40, 30)})
                move(surface(h), p);
            click(h, {40, 30});
        });
        step([&] { h.forms->CustomPre.window()->resize(300, 200); });
        step([&] { op.Command13_Click(); });
        step([&] { op.Command4_Click(); });
        QCOMPARE(names,
                 QStringList({QStringLiteral("Add line 1"), QStringLiteral("Add line 2"),
                              QStringLiteral("Typing in line 2"), QStringLiteral("Font"), QStringLiteral("Font Color"),
                              QStringLiteral("Background Graphic"), QStringLiteral("Background Color"),
                              QStringLiteral("Move line 2"), QStringLiteral("Move line 2"), QStringLiteral("Card size"),
                              QStringLiteral("Clear Label"), QStringLiteral("Load other.lab")}));
        QCOMPARE(history.count(), names.size());
        QCOMPARE(QSet(saved.begin(), saved.end()).size(), saved.size());
        QVERIFY(card(h).picture().isNull());

        // Back to the start, step by step: the same bytes, the same picture
        // (shared, not loaded again), the box showing the selected line.
        for (int k = names.size() - 1; k >= 0; --k) {
            history.undo();
            QCOMPARE(saved[k], savedBytes(h));
            QCOMPARE(card(h).picture().cacheKey(), pictures[k]);
            QCOMPARE(panel(h).Text4->toPlainText(), card(h).line(op.ind).Caption);
            if (k == 2)
                QCOMPARE(panel(h).Text4->toPlainText(), QStringLiteral("Line 2 Text"));
        }
        QVERIFY(!history.canUndo());
        // Line 2 went with its step: the selection went to line 1.
        QCOMPARE(op.ind, qint16(0));
        QCOMPARE(panel(h).Label4->text(), QStringLiteral("Text line #1"));
        QCOMPARE(h.forms->selection.framed(), 0);
        for (int k = 1; k <= names.size(); ++k) {
            history.redo();
            QCOMPARE(saved[k], savedBytes(h));
            QCOMPARE(card(h).picture().cacheKey(), pictures[k]);
        }
        QVERIFY(!history.canRedo());
        // Undone, the picture is the very one loaded.
        history.undo();
        QCOMPARE(card(h).picture().constBits(), photo.constBits());
        // Selecting, framing and picking up are no steps.
        click(h, {250, 190});
        doubleClick(h, inside(h, 1));
        click(h, inside(h, 1));
        QCOMPARE(history.count(), names.size());
    }

    void theKeysAndThePreviewsMenuUndoAndRedo()
    {
        Harness h;
        open(h);
        auto& op = h.forms->CustomOp;
        QMenu* menu = h.forms->CustomPre.controls().menu;
        const auto openMenu = [&] {
            click(h, {100, 100}, Qt::RightButton);
            return QTest::qWaitFor([menu] { return menu->isVisible(); }) ? readMenu(menu) : QStringList();
        };
        QCOMPARE(openMenu(), QStringList({QStringLiteral("Undo (off)"), QStringLiteral("Redo (off)")}));
        menu->hide();
        add(h, 2);
        QCOMPARE(openMenu(), QStringList({QStringLiteral("Undo Add line 2"), QStringLiteral("Redo (off)")}));
        // The entries lie where the menu shows them.
        QAccessibleInterface* entry = QAccessible::queryAccessibleInterface(menu)->child(0);
        QCOMPARE(entry->rect(), QRect(menu->mapToGlobal(menu->actionGeometry(menu->actions()[0]).topLeft()),
                                      menu->actionGeometry(menu->actions()[0]).size()));
        menu->actions()[0]->trigger();
        menu->hide();
        QCOMPARE(op.txtamt, qint16(1));
        QCOMPARE(openMenu(), QStringList({QStringLiteral("Undo Add line 1"), QStringLiteral("Redo Add line 2")}));
        menu->hide();

        // The keys on the preview.
        activate(h.forms->CustomPre);
        QWidget* preview = h.forms->CustomPre.window();
        QCOMPARE(QApplication::focusWidget(), surface(h));
        QTest::keyClick(surface(h), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
        activate(h.forms->CustomPre);
        QTest::keyClick(preview, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(op.txtamt, qint16(0));
        QTest::keyClick(preview, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(op.txtamt, qint16(1));
        QTest::keyClick(preview, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(op.txtamt, qint16(2));
        // A line picked up and moved goes back, and follows the pointer no more.
        doubleClick(h, inside(h, 1));
        move(surface(h), {90, 60});
        QTest::keyClick(preview, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(card(h).line(1).Left, 0.0f);
        QVERIFY(!h.forms->CustomPre.moving);

        // On the panel, whichever box has the focus.
        activate(op);
        panel(h).Text1->setFocus();
        QTest::keyClick(panel(h).Text1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(op.txtamt, qint16(1));
        QTest::keyClick(panel(h).Text1, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(op.txtamt, qint16(2));
        // Typing folds into one step until another line is selected.
        QPlainTextEdit* box = panel(h).Text4;
        h.forms->CustomPre.Label1_Click(0);
        box->setFocus();
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, QStringLiteral("ab"));
        h.forms->CustomPre.Label1_Click(1);
        h.forms->CustomPre.Label1_Click(0);
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, QStringLiteral("cd"));
        QCOMPARE(h.forms->card().history().undoText(), QStringLiteral("Typing in line 1"));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(card(h).line(0).Caption, QStringLiteral("Line 1 Textab"));
        QCOMPARE(box->toPlainText(), QStringLiteral("Line 1 Textab"));
        // The box's own menu undoes the card's steps too.
        Q_EMIT box->customContextMenuRequested(box->viewport()->rect().center());
        auto* boxMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(boxMenu);
        QCOMPARE(readMenu(boxMenu).mid(0, 2),
                 QStringList({QStringLiteral("Undo Typing in line 1"), QStringLiteral("Redo Typing in line 1")}));
        boxMenu->actions()[0]->trigger();
        boxMenu->close();
        QCOMPARE(box->toPlainText(), QStringLiteral("Line 1 Text"));
        // A successful print ends the card's history.
        op.Command1_Click();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        QVERIFY(!h.forms->card().history().canUndo() && !h.forms->card().history().canRedo());
    }

    void twoHundredDragsOverATwelveMegapixelPictureCostLittleMemory()
    {
        Harness h;
        open(h);
        add(h, 1);
        h.pictures->images.insert(QStringLiteral("/photos/12mp.jpg"), picture(4000, 3000, qRgb(10, 120, 200)));
        h.dialogs->openAnswers.push_back(QStringLiteral("/photos/12mp.jpg"));
        h.forms->CustomOp.Command12_Click();
        h.pictures->images.clear();
        auto& pre = h.forms->CustomPre;
        const qint64 loaded = card(h).picture().cacheKey();
        const auto drag = [&](int i) {
            pre.Label1_Click(0);
            pre.Label1_DblClick(0);
            for (int j = 1; j <= 5; ++j)
                pre.Form_MouseMove(float(i % 50 + j), float(i % 30 + j));
            pre.Label1_Click(0);
            QApplication::processEvents();
        };
        drag(0);
        const long before = inUseKb();
        for (int i = 1; i <= 200; ++i)
            drag(i);
        const long after = inUseKb();
        qInfo("memory in use %ld kB before 200 drags, %ld kB after", before, after);
        QVERIFY2(after - before < 20 * 1024, qPrintable(QStringLiteral("%1 kB more").arg(after - before)));
        QUndoStack& history = h.forms->card().history();
        QCOMPARE(history.count(), document::CardDocument::kHistorySteps);
        QCOMPARE(history.undoText(), QStringLiteral("Move line 1"));
        while (history.canUndo())
            history.undo();
        QCOMPARE(card(h).picture().cacheKey(), loaded);
        QCOMPARE(card(h).line(0).Top, 5.0f);

        // Pictures the history holds beside the card's stay within its budget,
        // the oldest steps forgotten first; no window needed.
        const QImage pictures[] = {picture(100, 100, 1), picture(100, 100, 2), picture(100, 100, 3),
                                   picture(100, 100, 4), picture(100, 100, 5)};
        document::CardDocument design(2 * pictures[0].sizeInBytes());
        for (const QImage& p : pictures)
            design.edit(QStringLiteral("Background Graphic"), -1, [&] { design.card.setPicture(p); });
        QCOMPARE(design.history().count(), 2);
        design.history().undo();
        QCOMPARE(design.card.picture().cacheKey(), pictures[3].cacheKey());
        design.history().undo();
        QCOMPARE(design.card.picture().cacheKey(), pictures[2].cacheKey());
        QVERIFY(!design.history().canUndo());
        design.history().redo();
        design.history().redo();
        QCOMPARE(design.card.picture().cacheKey(), pictures[4].cacheKey());
    }

    void theCardsLinesAreReadableByAssistiveTechnology()
    {
        Harness h;
        open(h);
        add(h, 2);
        card(h).setTop(1, 10);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(surface(h));
        QVERIFY(iface);
        QCOMPARE(iface->childCount(), 2);
        QAccessibleInterface* second = iface->child(1);
        QCOMPARE(second->text(QAccessible::Name), QStringLiteral("Line 2 Text"));
        QCOMPARE(second->role(), QAccessible::StaticText);
        const QRect box = card(h).boxPx(1).toAlignedRect();
        QCOMPARE(second->rect(), QRect(surface(h)->mapToGlobal(box.topLeft()), box.size()));
        QCOMPARE(iface->indexOfChild(second), 1);
        QCOMPARE(second->parent(), iface);
        // The press action selects the line, as a click does.
        QVERIFY(second->actionInterface());
        second->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(h.forms->CustomOp.ind, qint16(1));
        // Texts follow the card.
        card(h).setCaption(1, QStringLiteral("Renamed"));
        QCOMPARE(iface->child(1)->text(QAccessible::Name), QStringLiteral("Renamed"));
        card(h).setVisible(0, false);
        QCOMPARE(iface->childCount(), 1);
        QCOMPARE(iface->child(0)->text(QAccessible::Name), QStringLiteral("Renamed"));
        QCOMPARE(iface->childAt(second->rect().center().x(), second->rect().center().y()), iface->child(0));
        // The arrows and the picker's bars have names.
        QCOMPARE(QAccessible::queryAccessibleInterface(panel(h).Command5)->text(QAccessible::Name),
                 QStringLiteral("Move up"));
        h.forms->CustomOp.Command10_Click();
        QAccessibleInterface* red = QAccessible::queryAccessibleInterface(h.forms->rgbcolor.controls().HScroll1);
        QCOMPARE(red->text(QAccessible::Name), QStringLiteral("Red"));
        h.forms->rgbcolor.controls().HScroll1->setValue(77);
        QCOMPARE(red->valueInterface()->currentValue().toInt(), 77);
    }
};

QTEST_MAIN(DesignerTest)
#include "test_designer.moc"
