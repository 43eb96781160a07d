#include "about/AboutBox.h"

#include "app/Forms.h"
#include "ui/AppInfo.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/Fonts.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>

AboutBox::AboutBox(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("frmAbout"),
               ui::WindowDesign{QStringLiteral("About Tessera"), 5730, 3885, true, 0, 0, ui::Frame::FixedCloseOnly})
{
}

void AboutBox::build(QWidget* client)
{
    auto& c = makeControls();
    c.cmdOK = ui::makeButton(client, QStringLiteral("OK"), 4320, 3480, 1260, 345);
    c.cmdOK->setDefault(true);
    ui::onClick(c.cmdOK, [this] { cmdOK_Click(); });

    c.picIcon = new QLabel(client);
    c.picIcon->setObjectName(QStringLiteral("picIcon"));
    c.picIcon->setGeometry(ui::pxRect(240, 240, 540, 540));
    // The 64-pixel icon on screens of twice the pixels and more.
    c.picIcon->setPixmap(ui::programIcon().pixmap(QSize(32, 32), c.picIcon->devicePixelRatio()));

    const auto black = [](QLabel* label) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ui::color(0));
        label->setPalette(palette);
    };
    c.lblTitle = ui::makeLabel(client, QStringLiteral("Tessera "), 1050, 240, 3885, 480);
    c.lblTitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    c.lblTitle->setFont(ui::designFont(ui::fontname::Condensed, 15.75, false, false, true));
    black(c.lblTitle);
    c.lblVersion = ui::makeLabel(client, QStringLiteral("Version 1.6"), 1050, 720, 3885, 225);
    c.lblVersion->setFont(ui::designFont(ui::fontname::Condensed, 9.75));
    c.lblDescription = ui::makeLabel(client, kDescription, 1080, 1080, 3885, 690, true);
    c.lblDescription->setFont(ui::designFont(ui::fontname::Condensed, 9.75, true));
    black(c.lblDescription);
    // An etched separator: the grey line's row on top, the white line's
    // lower row showing beneath it (the white line lies one pixel lower and
    // the grey one is drawn over it).
    c.Line1_0 = new ui::Rule(client, 120, 2880 + ui::kTwipsPerPixel, 5669, 2880 + ui::kTwipsPerPixel,
                             ui::color(ui::rgb(255, 255, 255)), 2);
    c.Line1_1 = new ui::Rule(client, 90, 2880, 5654, 2880, ui::color(ui::rgb(128, 128, 128)), 1);
    c.lblDisclaimer = ui::makeLabel(client, kCredit, 240, 3000, 3870, 825, true);
    black(c.lblDisclaimer);

    // OK is both the default and the cancel button.
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Escape)}) {
        auto* shortcut = new QShortcut(key, client);
        QObject::connect(shortcut, &QShortcut::activated, c.cmdOK, [this] { cmdOK_Click(); });
    }
    c.cmdOK->setFocus();
}

void AboutBox::Form_Load()
{
    window()->setWindowTitle(QStringLiteral("About ") + ui::AppInfo::title);
    controls().lblVersion->setText(QStringLiteral("Version ") + ui::AppInfo::version());
    controls().lblTitle->setText(ui::AppInfo::title);
}

void AboutBox::cmdOK_Click() { unload(); }
