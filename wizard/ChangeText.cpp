#include "wizard/ChangeText.h"

#include "app/Forms.h"
#include "ui/Controls.h"
#include "ui/SystemColors.h"
#include "ui/TypingLimit.h"
#include "ui/Units.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ChangeText::ChangeText(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("frmchangecap"),
               ui::WindowDesign{QStringLiteral("Change Text"), 3135, 2520, false, 2595, 6795, ui::Frame::Sizable}),
      forms_(forms)
{
}

void ChangeText::build(QWidget* client)
{
    auto& c = makeControls();
    c.Label2 = ui::makeLabel(client,
                             QStringLiteral("Click on the field that you wish to change,type in the new text "
                                            "below then click \"Update\"."),
                             120, 120, 2895, 735, true);
    c.Line1 = new ui::Rule(client, 120, 1080, 3000, 1080, ui::color(ui::syscolor::WindowText), 1);
    c.Label1 = ui::makeLabel(client, QStringLiteral("Enter the new text here."), 720, 1320, 1815, 255);
    c.Text1 = new QLineEdit(client);
    c.Text1->setGeometry(ui::pxRect(120, 1680, 2895, 285));
    new ui::TypingLimit(c.Text1, kTypingLimit);
    c.Command1 = ui::makeButton(client, QStringLiteral("Update"), 1080, 2160, 855, 255);
    c.Command2 = ui::makeButton(client, QStringLiteral("<<Back"), 120, 2160, 855, 255);
    c.Command3 = ui::makeButton(client, QStringLiteral("Finish"), 2040, 2160, 975, 255);
    ui::onClick(c.Command1, [this] { Command1_Click(); });
    ui::onClick(c.Command2, [this] { Command2_Click(); });
    ui::onClick(c.Command3, [this] { Command3_Click(); });

    c.Text1->setFocus();
}

void ChangeText::setText1(const QString& text) { ui::TypingLimit::setWholeText(controls().Text1, text); }

void ChangeText::Command1_Click()
{
    templates::LabelTemplate* label = forms_.templateOfJob();
    // An index left from a template with more fields names no field here:
    // writing nothing beats overwriting a field the user never chose.
    if (!label || !label->hasContentField(forms_.Tessera.newtxt))
        return;
    label->Label1(forms_.Tessera.newtxt).setCaption(controls().Text1->text());
}

void ChangeText::Command2_Click()
{
    forms_.hideWizard();
    forms_.Tessera.show();
}

void ChangeText::Command3_Click()
{
    forms_.hideWizardButPrintManager();
    forms_.readytoprint.show();
}
