#include "designer/ColorPicker.h"

#include "app/Forms.h"
#include "ui/Controls.h"

#include <QPushButton>

namespace designer {

ColorPicker::ColorPicker(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("rgbcolor"),
               ui::WindowDesign{QStringLiteral("Select Color"), 3360, 1500, false, 2625, 2025, ui::Frame::Sizable})
{
}

void ColorPicker::build(QWidget* client)
{
    auto& c = makeControls();
    c.Command1 = ui::makeButton(client, QStringLiteral("OK"), 2400, 1080, 735, 255);
    ui::onClick(c.Command1, [this] { Command1_Click(); });
}

void ColorPicker::Command1_Click() { hide(); }

}  // namespace designer
