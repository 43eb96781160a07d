#include "templates/LabelTemplate.h"

#include "app/Forms.h"
#include "templates/TemplateCanvas.h"
#include "ui/SystemColors.h"

#include <QLineEdit>

namespace templates {

QString TemplateField::caption() const { return content_ ? canvas_.contentText(index_) : canvas_.diskNameText(index_); }

void TemplateField::setCaption(const QString& text) const
{
    if (content_)
        canvas_.setContentText(index_, text);
    else
        canvas_.setDiskNameText(index_, text);
}

LabelTemplate::LabelTemplate(Forms& forms, const TemplateDesign& design)
    : FormWith(forms.registry, design.formName,
               ui::WindowDesign{design.caption, design.width, design.height, false, design.left, design.top,
                                ui::Frame::Sizable}),
      forms_(forms),
      design_(design)
{
}

void LabelTemplate::build(QWidget* client)
{
    auto& c = makeControls();
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, ui::color(ui::syscolor::Window));
    window()->setPalette(palette);
    client->setAutoFillBackground(true);
    c.canvas = new TemplateCanvas(design_, client);
    c.canvas->onContentClick = [this](int index) { Label1_Click(index); };
}

TemplateField LabelTemplate::Label1(int index)
{
    Q_ASSERT(hasContentField(index));
    return TemplateField(*controls().canvas, true, index);
}

TemplateField LabelTemplate::Label2(int index)
{
    Q_ASSERT(hasDiskNameField(index));
    return TemplateField(*controls().canvas, false, index);
}

void LabelTemplate::setDiskName(const QString& name)
{
    if (hasDiskNameField(0))
        Label2(0).setCaption(name);
    Label2(1).setCaption(name);
}

void LabelTemplate::Label1_Click(int Index)
{
    forms_.frmchangecap.show();
    forms_.frmchangecap.setText1(Label1(Index).caption());
    forms_.Tessera.newtxt = qint16(Index);
}

}  // namespace templates
