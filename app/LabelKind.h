#pragma once

#include <QString>
#include <array>

class Forms;
namespace templates {
class LabelTemplate;
struct TemplateDesign;
}  // namespace templates

// The kind of label a job makes. None until the first job chooses one.
enum class LabelKind { None, Floppy, ZipLabel, ZipSleeve, Cd, Custom };

// What belongs to a kind of label: everything that tells the kinds apart
// reads this table.
struct LabelKindRow {
    LabelKind kind;
    QString disktype;                         // the job state's text for it
    const templates::TemplateDesign* design;  // none for the custom card
    QString caption;                          // its button on the main menu
    // The template that shows and prints it; none for the custom card,
    // which the designer shows and prints.
    templates::LabelTemplate Forms::*form;
    // The command-line option that makes it without a window, and its one
    // line of help; none for None.
    QString option;
    QString optionHelp;
    // Whether it may go on round label stock, losing its corners.
    bool roundLabelsAllowed = false;
};

// One row per kind, in the order of LabelKind.
const std::array<LabelKindRow, 6>& labelKinds();

inline const LabelKindRow& labelKind(LabelKind kind) { return labelKinds()[size_t(kind)]; }
