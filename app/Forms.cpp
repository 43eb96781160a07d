#include "app/Forms.h"

#include "platform/FileSystem.h"

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
    const auto form = labelKind(Tessera.disktype).form;
    return form ? &(this->*form) : nullptr;
}

void Forms::start() { Tessera.show(); }

void Forms::openLabelFile(const QByteArray& path)
{
    Tessera.Command7_Click();
    // As if chosen in the designer's file dialog.
    CustomOp.controls().CommonDialog1->FileName = platform::displayName(path);
    CustomOp.loadLabel(path);
}
