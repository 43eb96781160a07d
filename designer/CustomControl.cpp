#include "designer/CustomControl.h"

#include "app/Forms.h"
#include "ui/Controls.h"

#include <QPushButton>

namespace designer {

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
    // "Background Color" lies in the "Label Properties" frame at (120, 0).
    c.Command10 = ui::makeButton(client, QStringLiteral("Background Color"), 240, 1440, 2535, 255);
    c.Command3 = ui::makeButton(client, QStringLiteral("<<Back"), 120, 7320, 1335, 255);
    c.Command1 = ui::makeButton(client, QStringLiteral("Print Card"), 1560, 7320, 1335, 255);
    ui::onClick(c.Command10, [this] { Command10_Click(); });
    ui::onClick(c.Command3, [this] { Command3_Click(); });
    ui::onClick(c.Command1, [this] { Command1_Click(); });
}

void CustomControl::Form_Load() { forms_.CustomPre.show(); }

void CustomControl::discard()
{
    FormWith::discard();
    // The designer starts afresh after the print step discards it.
    txtamt = 0;
    cardpc.clear();
    typ.clear();
    ind = 0;
}

void CustomControl::Command1_Click()
{
    forms_.Tessera.disktype = QStringLiteral("CUSTOM");
    forms_.hideWizardButPrintManager();
    forms_.readytoprint.show();
}

void CustomControl::Command3_Click()
{
    forms_.CustomPre.hide();
    forms_.hideWizard();
    hide();
    forms_.Tessera.show();
}

void CustomControl::Command10_Click() { forms_.rgbcolor.show(); }

}  // namespace designer
