#include "designer/CustomControl.h"

#include "app/Forms.h"
#include "document/Card.h"
#include "designer/HistoryActions.h"
#include "designer/Selection.h"
#include "document/CardDocument.h"
#include "document/LabelFile.h"
#include "platform/MessageBox.h"
#include "platform/Pictures.h"
#include "ui/Controls.h"
#include "ui/Error.h"
#include "ui/PlainTextLimit.h"
#include "ui/SystemColors.h"
#include "ui/TypingLimit.h"
#include "ui/Units.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>

namespace designer {

namespace {

// The navigation buttons' arrows, drawn here: a filled arrow pointing
// `angle` degrees clockwise from up.
QIcon arrowIcon(int angle)
{
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(size / 2.0, size / 2.0);
        p.rotate(angle);
        p.scale(size / 16.0, size / 16.0);
        QPainterPath arrow;
        arrow.moveTo(0, -7);
        arrow.lineTo(6, 0);
        arrow.lineTo(2, 0);
        arrow.lineTo(2, 7);
        arrow.lineTo(-2, 7);
        arrow.lineTo(-2, 0);
        arrow.lineTo(-6, 0);
        arrow.closeSubpath();
        p.fillPath(arrow, ui::color(ui::syscolor::ButtonText));
        icon.addPixmap(pixmap);
    }
    return icon;
}

QLineEdit* makeEdit(QWidget* parent, int left, int top, int width, int height, const QString& name)
{
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(ui::pxRect(left, top, width, height));
    edit->setAccessibleName(name);
    return edit;
}

// The card's height and width boxes: eight characters ("68.52708") in the
// designed 735 twips, which hold them only within narrower margins than the
// style's; shown from the first character, however long the text.
QLineEdit* makeSizeBox(QWidget* parent, int top, const QString& name)
{
    QLineEdit* edit = makeEdit(parent, 1080, top, 735, 285, name);
    edit->setTextMargins(-1, 0, -2, 0);
    new ui::TypingLimit(edit, 6);
    return edit;
}

void showSize(QLineEdit* edit, float mm)
{
    ui::TypingLimit::setWholeText(edit, document::labelfile::formatSingle(mm));
    edit->setCursorPosition(0);
}

// The multi-line box shows a caption's CR LF (or lone CR) as a line break.
QString captionToText4(const QString& caption)
{
    QString text = caption;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The multi-line box's text, its line breaks LF. The raw text, as
// toPlainText() would turn a no-break space into a blank.
QString text4Text(const QPlainTextEdit* box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

// The multi-line box's context menu, its Undo and Redo the card's.
void showText4Menu(QPlainTextEdit* box, const HistoryActions& history, const QPoint& at)
{
    QMenu* menu = box->createStandardContextMenu(at);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const auto& [name, action] : {std::pair{"edit-undo", history.undo}, std::pair{"edit-redo", history.redo}}) {
        if (QAction* own = menu->findChild<QAction*>(QLatin1String(name))) {
            menu->insertAction(own, action);
            menu->removeAction(own);
        }
    }
    menu->popup(box->viewport()->mapToGlobal(at));
}

using Doc = document::CardDocument;

}  // namespace

CustomControl::CustomControl(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("CustomOp"),
               ui::WindowDesign{QStringLiteral("Custom Label Control"), 2985, 7650, false, 2805, 1740,
                                ui::Frame::SizableNoControls}),
      txtamt(forms.card().txtamt),
      cardpc(forms.card().cardpc),
      typ(forms.selection.typ),
      ind(forms.selection.ind),
      forms_(forms),
      design_(forms.card()),
      selection_(forms.selection)
{
    // Both live for the run: an undone line takes its selection with it.
    QObject::connect(&design_, &Doc::restored, &selection_,
                     [&selection = selection_, &card = design_.card] { selection.afterRestore(card); });
}

void CustomControl::build(QWidget* client)
{
    auto& c = makeControls();
    const auto frame = [client](const QString& title, int left, int top, int width, int height) {
        auto* box = new QGroupBox(title, client);
        box->setGeometry(ui::pxRect(left, top, width, height));
        return box;
    };
    const auto button = [this](QWidget* parent, const QString& text, int left, int top, int width, int height,
                               void (CustomControl::*handler)()) {
        QPushButton* b = ui::makeButton(parent, text, left, top, width, height);
        ui::onClick(b, [this, handler] { (this->*handler)(); });
        return b;
    };

    c.Frame1 = frame(QStringLiteral("Label Properties"), 120, 0, 2775, 3255);
    c.Label1 = ui::makeLabel(c.Frame1, QStringLiteral("Height:"), 480, 360, 615, 255);
    c.Text1 = makeSizeBox(c.Frame1, 360, QStringLiteral("Height"));
    ui::TypingLimit::setWholeText(c.Text1, QStringLiteral("2500"));
    c.Label3_0 = ui::makeLabel(c.Frame1, QStringLiteral("mm"), 1920, 360, 615, 255);
    c.Label2 = ui::makeLabel(c.Frame1, QStringLiteral("Width:"), 480, 720, 615, 255);
    c.Text2 = makeSizeBox(c.Frame1, 720, QStringLiteral("Width"));
    ui::TypingLimit::setWholeText(c.Text2, QStringLiteral("4000"));
    c.Label3_1 = ui::makeLabel(c.Frame1, QStringLiteral("mm"), 1920, 720, 495, 255);
    c.Command12 =
        button(c.Frame1, QStringLiteral("Background Graphic"), 120, 1080, 2535, 255, &CustomControl::Command12_Click);
    c.Command10 =
        button(c.Frame1, QStringLiteral("Background Color"), 120, 1440, 2535, 255, &CustomControl::Command10_Click);
    c.Command9 = button(c.Frame1, QStringLiteral("Add Text"), 120, 1800, 2535, 255, &CustomControl::Command9_Click);
    c.Command4 =
        button(c.Frame1, QStringLiteral("Load Custom Label"), 120, 2160, 2535, 255, &CustomControl::Command4_Click);
    c.Command11 =
        button(c.Frame1, QStringLiteral("Save Custom Label"), 120, 2520, 2535, 255, &CustomControl::Command11_Click);
    c.Command13 =
        button(c.Frame1, QStringLiteral("Clear Label"), 120, 2880, 2535, 255, &CustomControl::Command13_Click);

    c.Frame3 = frame(QStringLiteral("Object Navigation"), 120, 3360, 2775, 1455);
    const auto arrow = [&](int left, int top, int angle, const QString& name, void (CustomControl::*handler)()) {
        QPushButton* b = button(c.Frame3, QString(), left, top, 375, 375, handler);
        b->setIcon(arrowIcon(angle));
        b->setIconSize(QSize(16, 16));
        b->setAccessibleName(name);
        b->setToolTip(name);
        return b;
    };
    c.Command5 = arrow(1200, 240, 0, QStringLiteral("Move up"), &CustomControl::Command5_Click);
    c.Command7 = arrow(840, 600, 270, QStringLiteral("Move left"), &CustomControl::Command7_Click);
    c.Command8 = arrow(1560, 600, 90, QStringLiteral("Move right"), &CustomControl::Command8_Click);
    c.Command6 = arrow(1200, 960, 180, QStringLiteral("Move down"), &CustomControl::Command6_Click);

    c.Frame2 = frame(QStringLiteral("Text Properties"), 120, 4800, 2775, 2415);
    c.Label4 = ui::makeLabel(c.Frame2, QString(), 120, 240, 2535, 255);
    c.Text4 = new QPlainTextEdit(c.Frame2);
    c.Text4->setGeometry(ui::pxRect(120, 600, 2535, 525));
    c.Text4->setTabChangesFocus(true);
    c.Text4->setAccessibleName(QStringLiteral("Text"));
    // Typing is the card's step: the box keeps no history of its own.
    c.Text4->setUndoRedoEnabled(false);
    new ui::PlainTextLimit(c.Text4, document::kMaxCaptionLength);
    QObject::connect(c.Text4, &QPlainTextEdit::textChanged, c.Text4, [this] { Text4_Change(); });
    c.Command2 = button(c.Frame2, QStringLiteral("Font Type:"), 120, 1320, 1095, 255, &CustomControl::Command2_Click);
    c.Text5 = makeEdit(c.Frame2, 1320, 1320, 1335, 285, QStringLiteral("Font Type"));
    c.Label5 = ui::makeLabel(c.Frame2, QStringLiteral("Font Size:"), 240, 1680, 975, 255);
    c.Text6 = makeEdit(c.Frame2, 1320, 1680, 1335, 285, QStringLiteral("Font Size"));
    c.Label6 = ui::makeLabel(c.Frame2, QStringLiteral("Font Color:"), 240, 2040, 975, 255);
    c.Text3 = makeEdit(c.Frame2, 1320, 2040, 1335, 285, QStringLiteral("Font Color"));

    c.Command3 = button(client, QStringLiteral("<<Back"), 120, 7320, 1335, 255, &CustomControl::Command3_Click);
    c.Command1 = button(client, QStringLiteral("Print Card"), 1560, 7320, 1335, 255, &CustomControl::Command1_Click);
    c.CommonDialog1.emplace(forms_.context, [this] { return window(); });

    const HistoryActions history = HistoryActions::add(design_.history(), client);
    for (QWidget* box : std::initializer_list<QWidget*>{c.Text1, c.Text2, c.Text4, c.Text5, c.Text6, c.Text3})
        history.leaveKeys(box);
    c.Text4->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(c.Text4, &QWidget::customContextMenuRequested, c.Text4,
                     [box = c.Text4, history](const QPoint& at) { showText4Menu(box, history, at); });

    QObject::connect(&selection_, &Selection::lineSelected, windowScope(), [this] { showSelection(); });
    QObject::connect(&design_.card, &document::Card::sizeChanged, windowScope(), [this] { showCardSize(); });
    QObject::connect(&design_, &Doc::loaded, windowScope(), [this] { showCaption(); });
    QObject::connect(&design_, &Doc::restored, windowScope(), [this] { showCaption(); });
}

document::Card& CustomControl::card() { return forms_.CustomPre.card(); }

void CustomControl::Form_Load()
{
    forms_.CustomPre.show();
    // The designer's start, no step of the user's to undo.
    for (int i = 0; i < document::kLineCount; ++i)
        card().setVisible(i, false);
    showCardSize();
}

void CustomControl::showSelection()
{
    auto& c = controls();
    setText4(card().line(ind).Caption);
    c.Frame3->setTitle(typ + QString::number(ind + 1) + QStringLiteral(" Navigation"));
    c.Label4->setText(Selection::kSelectedLine + QString::number(ind + 1));
}

void CustomControl::showCardSize()
{
    auto& c = controls();
    const QSize size = design_.card.clientSize();
    showSize(c.Text1, float(ui::pxToMm(size.height())));
    showSize(c.Text2, float(ui::pxToMm(size.width())));
}

void CustomControl::setText4(const QString& caption)
{
    ui::PlainTextLimit::setWholeText(controls().Text4, captionToText4(caption));
}

void CustomControl::showCaption()
{
    // Typing goes to line ind, so the box shows what it will change, the
    // caret at its end.
    if (ind < 0 || ind >= document::kLineCount)
        return;
    QPlainTextEdit* box = controls().Text4;
    if (text4Text(box) == captionToText4(design_.card.line(ind).Caption))
        return;
    setText4(design_.card.line(ind).Caption);
    box->moveCursor(QTextCursor::End);
}

void CustomControl::Text4_Change()
{
    const QString text = text4Text(controls().Text4);
    if (ind < 0 || ind >= document::kLineCount)
        return;
    // The same text written back leaves the caption as it is, a lone CR too.
    if (text == captionToText4(card().line(ind).Caption))
        return;
    QString caption = text;
    caption.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const int i = ind;
    design_.edit(QStringLiteral("Typing in line %1").arg(i + 1), Doc::mergeKey(Doc::Fold::Typing, i),
                 [&] { card().setCaption(i, caption); });
}

void CustomControl::Command1_Click()
{
    forms_.Tessera.disktype = LabelKind::Custom;
    forms_.hideWizardButPrintManager();
    forms_.readytoprint.show();
}

void CustomControl::Command2_Click()
{
    ui::CommonDialog& dialog = *controls().CommonDialog1;
    try {
        dialog.CancelError = true;
        dialog.Flags = ui::CommonDialog::ScreenFonts | ui::CommonDialog::PrinterFonts | ui::CommonDialog::Effects;
        dialog.ShowFont();
    } catch (const ui::Error&) {
        return;
    }
    const platform::FontChoice& font = dialog.Font;
    if (ind >= 0 && ind < document::kLineCount) {
        const int i = ind;
        const document::TextLine& line = card().line(i);
        const bool sameFace = line.FontName == font.name && line.FontSize == float(font.size) &&
                              line.FontBold == font.bold && line.FontItalic == font.italic &&
                              line.FontUnderline == font.underline && line.FontStrikethru == font.strikethru;
        design_.edit(sameFace ? QStringLiteral("Font Color") : QStringLiteral("Font"), Doc::mergeKey(Doc::Fold::None),
                     [&] {
                         card().setFontName(i, font.name);
                         card().setFontSize(i, float(font.size));
                         card().setFontBold(i, font.bold);
                         card().setFontItalic(i, font.italic);
                         card().setFontUnderline(i, font.underline);
                         card().setFontStrikethru(i, font.strikethru);
                         card().setForeColor(i, font.color);
                     });
    }
    auto& c = controls();
    c.Text5->setText(font.name);
    c.Text6->setText(document::labelfile::formatSingle(float(font.size)));
    ui::setBaseColor(c.Text3, font.color);
}

void CustomControl::Command3_Click()
{
    forms_.CustomPre.hide();
    forms_.hideWizard();
    hide();
    forms_.Tessera.show();
}

void CustomControl::Command5_Click() { selection_.nudge(design_, false, -1); }
void CustomControl::Command6_Click() { selection_.nudge(design_, false, 1); }
void CustomControl::Command7_Click() { selection_.nudge(design_, true, -1); }
void CustomControl::Command8_Click() { selection_.nudge(design_, true, 1); }

void CustomControl::Command9_Click()
{
    if (design_.full()) {
        forms_.context.messages().show(window(), QStringLiteral("You may only have 10 lines of text per label."),
                                       platform::MessageBox::OkOnly);
        return;
    }
    design_.addLine();
}

void CustomControl::Command10_Click() { forms_.rgbcolor.show(); }

void CustomControl::Command12_Click()
{
    controls().CommonDialog1->CancelError = true;
    if (!chooseFile(&ui::CommonDialog::ShowOpen, kPictureFilter))
        return;
    const QString path = controls().CommonDialog1->FileName;
    try {
        // A large picture takes a while to decode: on a worker, while the
        // user waits.
        platform::Pictures& pictures = forms_.context.pictures();
        const std::optional<QImage> decoded = forms_.context.busy().run<QImage>(
            window(), kReadingPicture, [&pictures, path](std::stop_token) { return pictures.load(path); });
        if (!decoded)
            return;
        const QImage picture = *decoded;
        design_.edit(QStringLiteral("Background Graphic"), Doc::mergeKey(Doc::Fold::None), [&] {
            card().setPicture(picture);
            cardpc = path;
        });
    } catch (const ui::Error& error) {
        // Asked for a picture, the user hears why none came.
        forms_.context.messages().show(
            window(), QStringLiteral("The picture \"%1\" could not be loaded: %2.").arg(path, error.description),
            platform::MessageBox::OkOnly);
    }
}

void CustomControl::Command13_Click()
{
    if (forms_.context.messages().show(window(), QStringLiteral("Are you sure?,this will erase your current label."),
                                       platform::MessageBox::YesNo,
                                       QStringLiteral("Label Deletion")) != platform::MessageBox::Yes)
        return;
    design_.clear();
}

// Label files ---------------------------------------------------------------

bool CustomControl::chooseFile(bool (ui::CommonDialog::*show)(), const QString& filter)
{
    ui::CommonDialog& dialog = *controls().CommonDialog1;
    try {
        dialog.Filter = filter;
        return (dialog.*show)();
    } catch (const ui::Error&) {
        return false;
    }
}

void CustomControl::Command11_Click()
{
    if (!chooseFile(&ui::CommonDialog::ShowSave, kLabelFilter))
        return;
    ui::CommonDialog& dialog = *controls().CommonDialog1;
    QString path = dialog.FileName;
    if (!path.endsWith(QLatin1String(".lab")))
        path += QLatin1String(".lab");
    dialog.FileName = path;
    // The dialog knew only the name as typed. Only a file is asked about: a
    // folder, pipe or device of that name is refused on saving.
    if (QFileInfo(path).isFile()) {
        const QString text = QStringLiteral("The file \"%1\" already exists.\nDo you want to replace it?").arg(path);
        if (forms_.context.messages().show(window(), text, platform::MessageBox::YesNo) != platform::MessageBox::Yes)
            return;
    }
    saveLabel(path);
}

void CustomControl::saveLabel(const QString& path)
{
    platform::MessageBox& messages = forms_.context.messages();
    if (const QStringList problems = design_.saveProblems(); !problems.isEmpty()) {
        const QString text = QStringLiteral("Not all of this label can be saved as it is:\n\n%1\n\nSave it anyway?")
                                 .arg(problems.join(QLatin1Char('\n')));
        if (messages.show(window(), text, platform::MessageBox::YesNo) != platform::MessageBox::Yes)
            return;
    }
    if (const auto saved = design_.save(path); !saved)
        messages.show(window(), QStringLiteral("The label could not be saved as \"%1\": %2.").arg(path, saved.error()),
                      platform::MessageBox::OkOnly);
}

void CustomControl::Command4_Click()
{
    if (chooseFile(&ui::CommonDialog::ShowOpen, kLabelFilter))
        loadLabel(QFile::encodeName(controls().CommonDialog1->FileName));
}

void CustomControl::loadLabel(const QByteArray& nativePath)
{
    const QString path = platform::displayName(nativePath);
    platform::MessageBox& messages = forms_.context.messages();
    // The file and its picture are read on a worker while the user waits,
    // then applied here.
    platform::Pictures& pictures = forms_.context.pictures();
    const auto read = forms_.context.busy().run<ui::Result<Doc::LabelRead, QString>>(
        window(), kReadingLabel, [&pictures, nativePath](std::stop_token) { return Doc::read(nativePath, pictures); });
    if (!read)
        return;
    if (!*read) {
        messages.show(window(),
                      QStringLiteral("The label file \"%1\" could not be loaded: %2.").arg(path, read->error()),
                      platform::MessageBox::OkOnly);
        return;
    }
    if (const QStringList notes = design_.apply(read->value()); !notes.isEmpty())
        messages.show(window(), notes.join(QStringLiteral("\n\n")), platform::MessageBox::OkOnly);
}

}  // namespace designer
