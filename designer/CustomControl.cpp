#include "designer/CustomControl.h"

#include "app/Forms.h"
#include "designer/Card.h"
#include "designer/LabelFile.h"
#include "ui/Controls.h"
#include "ui/Error.h"
#include "ui/FileSystem.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/Numbers.h"
#include "ui/Pictures.h"
#include "ui/PlainTextLimit.h"
#include "ui/SystemColors.h"
#include "ui/TypingLimit.h"
#include "ui/Units.h"
#include "ui/UserFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>

namespace designer {

namespace {

constexpr qint64 kMaxLabelFileBytes = labelfile::kMaxFileBytes;

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

// The multi-line box shows a caption's CR LF (or lone CR) as a line break.
QString captionToText4(const QString& caption)
{
    QString text = caption;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace

CustomControl::CustomControl(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("CustomOp"),
               ui::WindowDesign{QStringLiteral("Custom Label Control"), 2985, 7650, false, 2805, 1740,
                                ui::Frame::SizableNoControls}),
      forms_(forms)
{
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
    c.Text1 = makeEdit(c.Frame1, 1080, 360, 735, 285, QStringLiteral("Height"));
    new ui::TypingLimit(c.Text1, 6);
    ui::TypingLimit::setWholeText(c.Text1, QStringLiteral("2500"));
    c.Label3_0 = ui::makeLabel(c.Frame1, QStringLiteral("mm"), 1920, 360, 615, 255);
    c.Label2 = ui::makeLabel(c.Frame1, QStringLiteral("Width:"), 480, 720, 615, 255);
    c.Text2 = makeEdit(c.Frame1, 1080, 720, 735, 285, QStringLiteral("Width"));
    new ui::TypingLimit(c.Text2, 6);
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
    new ui::PlainTextLimit(c.Text4, kMaxCaptionLength);
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
}

Card& CustomControl::card() { return forms_.CustomPre.card(); }

void CustomControl::Form_Load()
{
    forms_.CustomPre.show();
    for (int i = 0; i < kLineCount; ++i)
        card().setVisible(i, false);
}

void CustomControl::discard()
{
    FormWith::discard();
    // The designer starts afresh after the print step discards it.
    txtamt = 0;
    cardpc.clear();
    typ.clear();
    ind = 0;
}

void CustomControl::setText4(const QString& caption)
{
    ui::PlainTextLimit::setWholeText(controls().Text4, captionToText4(caption));
}

void CustomControl::Text4_Change()
{
    // The raw text, as toPlainText() would turn a no-break space into a blank.
    QString text = controls().Text4->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    if (ind < 0 || ind >= kLineCount)
        return;
    // The same text written back leaves the caption as it is, a lone CR too.
    if (text == captionToText4(card().line(ind).Caption))
        return;
    QString caption = text;
    caption.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    card().setCaption(ind, caption);
}

void CustomControl::Command1_Click()
{
    forms_.Tessera.disktype = QStringLiteral("CUSTOM");
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
    const ui::FontChoice& font = dialog.Font;
    if (ind >= 0 && ind < kLineCount) {
        card().setFontName(ind, font.name);
        card().setFontSize(ind, float(font.size));
        card().setFontBold(ind, font.bold);
        card().setFontItalic(ind, font.italic);
        card().setFontUnderline(ind, font.underline);
        card().setFontStrikethru(ind, font.strikethru);
        card().setForeColor(ind, font.color);
    }
    auto& c = controls();
    c.Text5->setText(font.name);
    c.Text6->setText(ui::formatSingle(float(font.size)));
    ui::setBaseColor(c.Text3, font.color);
}

void CustomControl::Command3_Click()
{
    forms_.CustomPre.hide();
    forms_.hideWizard();
    hide();
    forms_.Tessera.show();
}

void CustomControl::nudge(bool left, float step)
{
    if (typ != kSelectedLine || ind < 0 || ind >= kLineCount)
        return;
    const TextLine& line = card().line(ind);
    if (left)
        card().setLeft(ind, line.Left + step);
    else
        card().setTop(ind, line.Top + step);
}

void CustomControl::Command5_Click() { nudge(false, -1); }
void CustomControl::Command6_Click() { nudge(false, 1); }
void CustomControl::Command7_Click() { nudge(true, -1); }
void CustomControl::Command8_Click() { nudge(true, 1); }

void CustomControl::Command9_Click()
{
    // A label file may have set any count: 10 or more is full, below 0 is none.
    if (txtamt >= kLineLimit) {
        forms_.context.messages().show(window(), QStringLiteral("You may only have 10 lines of text per label."),
                                       ui::MessageBox::OkOnly);
        return;
    }
    if (txtamt < 0)
        txtamt = 0;
    card().setVisible(txtamt, true);
    ++txtamt;
}

void CustomControl::Command10_Click() { forms_.rgbcolor.show(); }

void CustomControl::Command12_Click()
{
    controls().CommonDialog1->CancelError = true;
    if (!chooseFile(&ui::CommonDialog::ShowOpen, kPictureFilter))
        return;
    const QString path = controls().CommonDialog1->FileName;
    try {
        card().setPicture(forms_.context.pictures().load(path));
        cardpc = path;
    } catch (const ui::Error& error) {
        // Asked for a picture, the user hears why none came.
        forms_.context.messages().show(
            window(), QStringLiteral("The picture \"%1\" could not be loaded: %2.").arg(path, error.description),
            ui::MessageBox::OkOnly);
    }
}

void CustomControl::Command13_Click()
{
    if (forms_.context.messages().show(window(), QStringLiteral("Are you sure?,this will erase your current label."),
                                       ui::MessageBox::YesNo, QStringLiteral("Label Deletion")) != ui::MessageBox::Yes)
        return;
    txtamt = 0;
    Card& c = card();
    c.setHeight(2940);
    c.setWidth(4005);
    c.setBackColor(ui::syscolor::ButtonFace);
    for (int i = 0; i < kLineCount; ++i) {
        TextLine cleared;
        cleared.Caption = QStringLiteral("Line %1 text.").arg(i + 1);
        cleared.FontName = ui::fontname::SansSerif;
        cleared.FontSize = 10;
        cleared.Height = 3.44f;
        cleared.Width = 15.61f;
        cleared.Visible = false;
        c.assignLine(i, cleared);
    }
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
        if (forms_.context.messages().show(window(), text, ui::MessageBox::YesNo) != ui::MessageBox::Yes)
            return;
    }
    saveLabel(path);
}

void CustomControl::saveLabel(QString path)
{
    const Card& c = card();
    labelfile::CardValues values;
    values.txtamt = txtamt;
    values.Height = c.Height();
    values.Width = c.Width();
    values.BackColor = c.BackColor();
    values.cardpc = cardpc;
    for (int i = 0; i < kLineCount; ++i)
        values.lines[size_t(i)] = c.line(i);

    ui::MessageBox& messages = forms_.context.messages();
    if (const QStringList problems = labelfile::problems(values); !problems.isEmpty()) {
        const QString text = QStringLiteral("Not all of this label can be saved as it is:\n\n%1\n\nSave it anyway?")
                                 .arg(problems.join(QLatin1Char('\n')));
        if (messages.show(window(), text, ui::MessageBox::YesNo) != ui::MessageBox::Yes)
            return;
    }

    if (const QString why = ui::replaceFile(path, labelfile::write(values)); !why.isEmpty())
        messages.show(window(), QStringLiteral("The label could not be saved as \"%1\": %2.").arg(path, why),
                      ui::MessageBox::OkOnly);
}

void CustomControl::Command4_Click()
{
    if (chooseFile(&ui::CommonDialog::ShowOpen, kLabelFilter))
        loadLabel(QFile::encodeName(controls().CommonDialog1->FileName));
}

void CustomControl::loadLabel(const QByteArray& nativePath)
{
    const QString path = ui::displayName(nativePath);
    ui::MessageBox& messages = forms_.context.messages();
    const auto failed = [&](const QString& why) {
        messages.show(window(), QStringLiteral("The label file \"%1\" could not be loaded: %2.").arg(path, why),
                      ui::MessageBox::OkOnly);
    };
    // Everything is read and checked before anything is applied.
    QByteArray bytes;
    try {
        bytes = ui::UserFile(nativePath).readUpTo(kMaxLabelFileBytes);
    } catch (const ui::Error& error) {
        return failed(error.description);
    }
    if (bytes.size() > kMaxLabelFileBytes)
        return failed(QStringLiteral("it is too large to be a label file"));
    const labelfile::ReadResult result = labelfile::read(bytes);
    if (!result.card) {
        const labelfile::Failure& f = result.failure;
        // The message ends with the hint's full stop.
        const QString hint = f.hint.isEmpty() ? QString() : QStringLiteral(".\n\n") + f.hint.chopped(1);
        return failed(QStringLiteral("line %1: %2%3").arg(f.line).arg(f.why, hint));
    }
    const labelfile::CardValues& values = *result.card;

    QStringList notes;
    if (!result.cutCaptions.isEmpty()) {
        QStringList lines;
        for (int i : result.cutCaptions)
            lines << QString::number(i + 1);
        notes << QStringLiteral(
                     "The label \"%1\" was loaded with the text of %2 %3 cut to its first %4 characters, "
                     "the most a line can hold.")
                     .arg(path, lines.size() == 1 ? QStringLiteral("line") : QStringLiteral("lines"),
                          lines.join(QStringLiteral(", ")), QString::number(kMaxCaptionLength));
    }

    QImage picture;
    if (!values.cardpc.isEmpty()) {
        // A relative path leads from the label file's folder.
        const QString picturePath =
            QDir(QFileInfo(QFile::decodeName(nativePath)).absolutePath()).filePath(values.cardpc);
        try {
            picture = forms_.context.pictures().load(picturePath);
        } catch (const ui::Error& error) {
            notes << QStringLiteral("The label \"%1\" was loaded without its background picture \"%2\": %3.")
                         .arg(path, picturePath, error.description);
        }
    }

    Card& c = card();
    txtamt = values.txtamt;
    c.setHeight(values.Height);
    c.setWidth(values.Width);
    c.setBackColor(values.BackColor);
    c.setPicture(picture);
    // The path as the file has it, so a save writes it back unchanged; a
    // picture that could not be loaded keeps its path too.
    cardpc = values.cardpc;
    for (int i = 0; i < kLineCount; ++i)
        c.assignLine(i, values.lines[size_t(i)]);
    // Typing goes to line ind, so the box shows what it will change.
    if (ind >= 0 && ind < kLineCount)
        setText4(c.line(ind).Caption);
    if (!notes.isEmpty())
        messages.show(window(), notes.join(QStringLiteral("\n\n")), ui::MessageBox::OkOnly);
}

}  // namespace designer
