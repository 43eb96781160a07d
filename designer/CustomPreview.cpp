#include "designer/CustomPreview.h"

#include "app/Forms.h"

#include <QWidget>

namespace designer {

CustomPreview::CustomPreview(Forms& forms)
    : Form(forms.registry, QStringLiteral("CustomPre"),
           ui::WindowDesign{QStringLiteral("Custom Label Preview"), 3885, 2535, false, 6090, 1770,
                            ui::Frame::SizableNoControls})
{
}

void CustomPreview::build(QWidget* client) { client->setAutoFillBackground(true); }

}  // namespace designer
