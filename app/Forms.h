#pragma once

#include "about/AboutBox.h"
#include "app/MainMenu.h"
#include "designer/ColorPicker.h"
#include "designer/CustomControl.h"
#include "designer/CustomPreview.h"
#include "designer/Selection.h"
#include "document/CardDocument.h"
#include "document/Job.h"
#include "templates/ContentSelection.h"
#include "templates/LabelTemplate.h"
#include "ui/Context.h"
#include "ui/Form.h"
#include "wizard/ChangeText.h"
#include "wizard/DiskOptions.h"
#include "wizard/PrintManager.h"

#include <QList>

// The thirteen forms of the program under their names. Forms reach one
// another through this aggregate.
class Forms {
public:
    explicit Forms(ui::Context& context);

    ui::Context& context;
    ui::Registry registry;

private:
    std::vector<document::Job> jobs_;  // one of each kind, in the order of LabelKind

public:
    // The job of each kind for the whole run, with the document its form
    // shows; only a successful print starts it afresh.
    document::Job& job(LabelKind kind) { return jobs_.at(size_t(kind)); }
    // The custom designer's document.
    document::CardDocument& card();
    // What the designer's views select, frame and move on the card.
    designer::Selection selection;

    MainMenu Tessera;
    DiskOptions diskop;
    templates::ContentSelection opncontents;
    templates::LabelTemplate DiskLabel;
    templates::LabelTemplate ZipLabel;
    templates::LabelTemplate ZipSleve;
    templates::LabelTemplate CDSleve;
    ChangeText frmchangecap;
    PrintManager readytoprint;
    designer::CustomControl CustomOp;
    designer::CustomPreview CustomPre;
    designer::ColorPicker rgbcolor;
    AboutBox frmAbout;

    // The eight wizard forms in their fixed order.
    QList<ui::Form*> wizard();
    // The navigation rule: hide the eight wizard forms, or the first seven.
    void hideWizard();
    void hideWizardButPrintManager();

    // The template form of a kind, or none.
    templates::LabelTemplate* templateForm(LabelKind kind);
    // The template that `disktype` selects, or none.
    templates::LabelTemplate* templateOfJob() { return templateForm(Tessera.disktype); }

    // Shows the main menu: the program's start.
    void start();
    // Opens the card designer from the main menu and loads a label file, as
    // "Custom Label" and then "Load Custom Label" do. `path` is as the
    // program was given it: bytes that need not be valid in the locale.
    void openLabelFile(const QByteArray& path);
};
