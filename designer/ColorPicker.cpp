#include "designer/ColorPicker.h"

#include "app/Forms.h"
#include "document/CardDocument.h"
#include "ui/Controls.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace designer {

ColorPicker::ColorPicker(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("rgbcolor"),
               ui::WindowDesign{QStringLiteral("Select Color"), 3360, 1500, false, 2625, 2025, ui::Frame::Sizable}),
      forms_(forms)
{
}

void ColorPicker::build(QWidget* client)
{
    auto& c = makeControls();
    // Created in tab order.
    const auto bar = [this, client](int top, int index, const QString& name) {
        auto* b = new QScrollBar(Qt::Horizontal, client);
        b->setGeometry(ui::pxRect(120, top, 1215, 255));
        b->setRange(0, 32767);
        b->setSingleStep(1);
        b->setPageStep(1);
        b->setAccessibleName(name);
        // The keyboard moves a focused bar as a slider: Right and Up raise
        // the value (Qt inverts a scroll bar's keys, for scrolling a view).
        b->setFocusPolicy(Qt::StrongFocus);
        b->setInvertedControls(false);
        // Both the live drag and every finished change refresh the channel.
        QObject::connect(b, &QScrollBar::valueChanged, b, [this, index] { refresh(index); });
        return b;
    };
    const auto box = [client](int left, int top, int width, int height, quint32 background, const QString& name) {
        auto* e = new QLineEdit(client);
        e->setGeometry(ui::pxRect(left, top, width, height));
        e->setAccessibleName(name);
        if (background != 0xFFFFFFFFu)
            ui::setBaseColor(e, background);
        return e;
    };
    c.HScroll1 = bar(120, 1, QStringLiteral("Red"));
    c.HScroll2 = bar(600, 2, QStringLiteral("Green"));
    c.HScroll3 = bar(1080, 3, QStringLiteral("Blue"));
    c.Text1 = box(2400, 240, 735, 615, 0xFFFFFFFFu, QStringLiteral("Colour"));
    c.Text2 = box(1560, 120, 615, 285, ui::rgb(255, 0, 0), QStringLiteral("Red value"));
    c.Text3 = box(1560, 600, 615, 285, ui::rgb(0, 192, 0), QStringLiteral("Green value"));
    c.Text4 = box(1560, 1080, 615, 285, ui::rgb(128, 128, 255), QStringLiteral("Blue value"));
    c.Command1 = ui::makeButton(client, QStringLiteral("OK"), 2400, 1080, 735, 255);
    ui::onClick(c.Command1, [this] { Command1_Click(); });
}

void ColorPicker::Form_Load()
{
    auto& c = controls();
    for (QScrollBar* b : {c.HScroll1, c.HScroll2, c.HScroll3}) {
        b->setMinimum(0);
        b->setMaximum(255);
    }
    // Each value box, and the swatch, from the bars' values.
    for (int bar = 1; bar <= 3; ++bar)
        refresh(bar);
}

quint32 ColorPicker::mixed()
{
    auto& c = controls();
    return ui::rgb(c.HScroll1->value(), c.HScroll2->value(), c.HScroll3->value());
}

void ColorPicker::refresh(int bar)
{
    auto& c = controls();
    QScrollBar* const bars[] = {c.HScroll1, c.HScroll2, c.HScroll3};
    QLineEdit* const boxes[] = {c.Text2, c.Text3, c.Text4};
    boxes[bar - 1]->setText(QString::number(bars[bar - 1]->value()));
    ui::setBaseColor(c.Text1, mixed());
}

void ColorPicker::Command1_Click()
{
    // The swatch's colour is the mixed one; the card is made if need be.
    using Doc = document::CardDocument;
    document::Card& card = forms_.CustomPre.card();
    forms_.card().edit(QStringLiteral("Background Color"), Doc::mergeKey(Doc::Fold::None),
                       [&] { card.setBackColor(mixed()); });
    hide();
}

}  // namespace designer
