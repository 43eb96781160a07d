#include "app/Forms.h"

#include "ui/FileSystem.h"

Forms::Forms(ui::Context& ctx)
    : context(ctx),
      Tessera(*this),
      diskop(*this),
      opncontents(*this),
      DiskLabel(*this, templates::floppyLabel()),
      ZipLabel(*this, templates::zipLabel()),
      ZipSleve(*this, templates::zipSleeve()),
      CDSleve(*this, templates::cdSleeve()),
      frmchangecap(*this),
      readytoprint(*this),
      CustomOp(*this),
      CustomPre(*this),
      rgbcolor(*this),
      frmAbout(*this)
{
    registry.setFallback(&Tessera);
}

QList<ui::Form*> Forms::wizard()
{
    return {&diskop, &opncontents, &ZipLabel, &ZipSleve, &CDSleve, &DiskLabel, &frmchangecap, &readytoprint};
}

void Forms::hideWizard()
{
    for (ui::Form* form : wizard())
        form->hide();
}

void Forms::hideWizardButPrintManager()
{
    for (ui::Form* form : wizard()) {
        if (form != &readytoprint)
            form->hide();
    }
}

templates::LabelTemplate* Forms::templateOfJob()
{
    const QString& kind = Tessera.disktype;
    if (kind == QLatin1String("1.44"))
        return &DiskLabel;
    if (kind == QLatin1String("CD"))
        return &CDSleve;
    if (kind == QLatin1String("ZIPL"))
        return &ZipLabel;
    if (kind == QLatin1String("ZIPS"))
        return &ZipSleve;
    return nullptr;
}

void Forms::start() { Tessera.show(); }

void Forms::openLabelFile(const QByteArray& path)
{
    Tessera.Command7_Click();
    // As if chosen in the designer's file dialog.
    CustomOp.controls().CommonDialog1->FileName = ui::displayName(path);
    CustomOp.loadLabel(path);
}
