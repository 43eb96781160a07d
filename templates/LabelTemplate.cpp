#include "templates/LabelTemplate.h"

#include "app/Forms.h"
#include "templates/TemplateCanvas.h"
#include "ui/SystemColors.h"

#include <QLineEdit>

namespace templates {

QString TemplateField::caption() const { return content_ ? text_.content(index_) : text_.diskName(index_); }

void TemplateField::setCaption(const QString& text) const
{
    if (content_)
        text_.setContent(index_, text);
    else
        text_.setDiskName(index_, text);
}

namespace {
ui::WindowDesign windowOf(const document::TemplateDesign& design)
{
    return ui::WindowDesign{design.caption, design.width, design.height,     false,
                            design.left,    design.top,   ui::Frame::Sizable};
}
}  // namespace

LabelTemplate::LabelTemplate(Forms& forms, LabelKind kind)
    : FormWith(forms.registry, labelKind(kind).design->formName, windowOf(*labelKind(kind).design)),
      forms_(forms),
      text_(static_cast<document::TemplateDocument&>(forms.job(kind).document()))
{
}

void LabelTemplate::build(QWidget* client)
{
    auto& c = makeControls();
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, ui::color(ui::syscolor::Window));
    window()->setPalette(palette);
    client->setAutoFillBackground(true);
    c.canvas = new TemplateCanvas(text_, client);
    QObject::connect(c.canvas, &TemplateCanvas::contentClicked, c.canvas, [this](int index) { Label1_Click(index); });
}

void LabelTemplate::discard()
{
    FormWith::discard();
    text_.reset();
}

TemplateField LabelTemplate::Label1(int index)
{
    Q_ASSERT(hasContentField(index));
    use();
    return TemplateField(text_, true, index);
}

TemplateField LabelTemplate::Label2(int index)
{
    Q_ASSERT(hasDiskNameField(index));
    use();
    return TemplateField(text_, false, index);
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
