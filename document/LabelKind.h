#pragma once

#include <QString>
#include <array>
#include <memory>

namespace document {
class Document;
struct TemplateDesign;
}  // namespace document

// The kind of label a job makes. None until the first job chooses one.
enum class LabelKind { None, Floppy, ZipLabel, ZipSleeve, Cd, Custom };

// What belongs to a kind of label: everything that tells the kinds apart
// reads this table. A new kind is a row, a design (or a document of its
// own) and a form that shows it.
struct LabelKindRow {
    LabelKind kind;
    QString disktype;                        // the job state's text for it
    const document::TemplateDesign* design;  // none for the custom card
    QString caption;                         // its button on the main menu
    // The command-line option that makes it without a window, and its one
    // line of help; none for None.
    QString option;
    QString optionHelp;
    // Whether it may go on round label stock, losing its corners.
    bool roundLabelsAllowed = false;
    // A new label of this kind, as its form first shows it; none for None.
    std::unique_ptr<document::Document> (*make)(LabelKind kind) = nullptr;
    // Whether it may print as a disc face on round label stock or plain
    // paper (document::DiscFace).
    bool discFace = false;
};

// One row per kind, in the order of LabelKind.
const std::array<LabelKindRow, 6>& labelKinds();

inline const LabelKindRow& labelKind(LabelKind kind) { return labelKinds()[size_t(kind)]; }
