#include "app/Forms.h"

#include "platform/FileSystem.h"

namespace {
std::vector<document::Job> jobsOfEveryKind()
{
    std::vector<document::Job> jobs;
    for (const LabelKindRow& row : labelKinds()) {
        jobs.emplace_back(row.kind);
        if (row.make)
            jobs.back().add();
    }
    return jobs;
}
}  // namespace

Forms::Forms(ui::Context& ctx)
    : context(ctx),
      jobs_(jobsOfEveryKind()),
      Tessera(*this),
      diskop(*this),
      opncontents(*this),
      DiskLabel(*this, LabelKind::Floppy),
      ZipLabel(*this, LabelKind::ZipLabel),
      ZipSleve(*this, LabelKind::ZipSleeve),
      CDSleve(*this, LabelKind::Cd),
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

document::CardDocument& Forms::card()
{
    return static_cast<document::CardDocument&>(job(LabelKind::Custom).document());
}

templates::LabelTemplate* Forms::templateForm(LabelKind kind)
{
    for (templates::LabelTemplate* form : {&DiskLabel, &ZipLabel, &ZipSleve, &CDSleve}) {
        if (form->kind() == kind)
            return form;
    }
    return nullptr;
}

void Forms::start() { Tessera.show(); }

void Forms::openLabelFile(const QByteArray& path)
{
    Tessera.Command7_Click();
    // As if chosen in the designer's file dialog.
    CustomOp.controls().CommonDialog1->FileName = platform::displayName(path);
    CustomOp.loadLabel(path);
}
