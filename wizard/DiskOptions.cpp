#include "wizard/DiskOptions.h"

#include "app/Forms.h"
#include "ui/Controls.h"
#include "ui/Units.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <limits>

DiskOptions::DiskOptions(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("diskop"),
               ui::WindowDesign{QStringLiteral("Disk Options"), 3660, 1590, true, 0, 0, ui::Frame::Sizable}),
      forms_(forms)
{
}

void DiskOptions::build(QWidget* client)
{
    auto& c = makeControls();
    c.Label1 = ui::makeLabel(client, QStringLiteral("Enter your disk name."), 360, 120, 3015, 255);
    c.Text1 = new QLineEdit(QStringLiteral("Your Disk Name"), client);
    c.Text1->setMaxLength(std::numeric_limits<int>::max());
    c.Text1->setGeometry(ui::pxRect(360, 480, 3015, 285));
    c.Option1 = new QRadioButton(QStringLiteral("Manually enter contents"), client);
    c.Option1->setGeometry(ui::pxRect(360, 840, 2055, 255));
    c.Option2 = new QRadioButton(QStringLiteral("Automatic contents"), client);
    c.Option2->setGeometry(ui::pxRect(360, 1200, 1935, 255));
    c.Option2->setChecked(true);
    c.Command1 = ui::makeButton(client, QStringLiteral("NEXT>>"), 2520, 960, 855, 495);
    ui::onClick(c.Command1, [this] { Command1_Click(); });

    c.Text1->setFocus();
}

QString DiskOptions::diskName() { return controls().Text1->text(); }

void DiskOptions::Command1_Click()
{
    templates::LabelTemplate* label = forms_.templateOfJob();
    if (label)
        label->setDiskName(diskName());
    if (controls().Option2->isChecked()) {
        hide();
        forms_.opncontents.show();
    }
    hide();
    if (controls().Option1->isChecked())
        forms_.frmchangecap.show();
    if (label)
        label->show();
}
