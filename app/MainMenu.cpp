#include "app/MainMenu.h"

#include "app/Forms.h"
#include "app/Help.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/Units.h"

#include <QLabel>
#include <QPushButton>

MainMenu::MainMenu(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("Tessera"),
               ui::WindowDesign{QStringLiteral("Tessera V1.3"), 2535, 6030, true, 0, 0, ui::Frame::FixedNoControls}),
      forms_(forms)
{
}

void MainMenu::build(QWidget* client)
{
    auto& c = makeControls();
    // Created in tab order: Exit first, then the rest top to bottom.
    c.Command1_6 = ui::makeButton(client, QStringLiteral("Exit"), 120, 5640, 2295, 255);
    ui::onClick(c.Command1_6, [this] { Command1_Click(6); });
    c.Image1 = new QLabel(client);
    c.Image1->setObjectName(QStringLiteral("Image1"));
    c.Image1->setGeometry(ui::pxRect(120, 120, 2280, 1740));
    c.Image1->setScaledContents(true);
    c.Image1->setPixmap(ui::titlePicture(c.Image1->size(), c.Image1->devicePixelRatio()));
    c.Label1 = ui::makeLabel(client, QStringLiteral("Select a type of label to create."), 120, 1920, 2295, 255);

    // All buttons share the left edge and size.
    const auto button = [this, client](const QString& text, int top, void (MainMenu::*handler)()) {
        QPushButton* b = ui::makeButton(client, text, 120, top, 2295, 255);
        ui::onClick(b, [this, handler] { (this->*handler)(); });
        return b;
    };
    c.Command2 = button(labelKind(LabelKind::Floppy).caption, 2280, &MainMenu::Command2_Click);
    c.Command3 = button(labelKind(LabelKind::Cd).caption, 2760, &MainMenu::Command3_Click);
    c.Command4 = button(labelKind(LabelKind::ZipLabel).caption, 3240, &MainMenu::Command4_Click);
    c.Command5 = button(labelKind(LabelKind::ZipSleeve).caption, 3720, &MainMenu::Command5_Click);
    c.Command7 = button(labelKind(LabelKind::Custom).caption, 4200, &MainMenu::Command7_Click);
    c.Command8 = button(QStringLiteral("About Tessera"), 4680, &MainMenu::Command8_Click);
    c.Command9 = button(QStringLiteral("Help"), 5160, &MainMenu::Command9_Click);

    c.Command1_6->setFocus();
}

void MainMenu::startJob(LabelKind kind)
{
    hide();
    disktype = kind;
    forms_.diskop.show();
}

void MainMenu::Command2_Click() { startJob(LabelKind::Floppy); }
void MainMenu::Command3_Click() { startJob(LabelKind::Cd); }
void MainMenu::Command4_Click() { startJob(LabelKind::ZipLabel); }
void MainMenu::Command5_Click() { startJob(LabelKind::ZipSleeve); }

void MainMenu::Command7_Click()
{
    hide();
    forms_.CustomOp.show();
    forms_.CustomPre.show();
}

void MainMenu::Command8_Click() { forms_.frmAbout.show(); }

void MainMenu::Command9_Click() { showHelp(forms_, *this, design().caption); }

void MainMenu::Command1_Click(int)
{
    unload();
    registry().end();
}
