#pragma once

#include "document/LabelKind.h"
#include "document/TemplateDesign.h"
#include "document/TemplateDocument.h"
#include "ui/FormWith.h"

class Forms;

namespace templates {

class TemplateCanvas;

struct TemplateControls {
    TemplateCanvas* canvas = nullptr;
};

// A field of a template, addressed by its control array and index.
class TemplateField {
public:
    TemplateField(document::TemplateDocument& text, bool content, int index)
        : text_(text), content_(content), index_(index)
    {
    }
    QString caption() const;
    void setCaption(const QString& text) const;

private:
    document::TemplateDocument& text_;
    bool content_;
    int index_;
};

// One of the four label templates: the form whose client area is the label,
// a view of its kind's document (the job's). The texts go back to the design
// texts when the window is unloaded.
class LabelTemplate final : public ui::FormWith<TemplateControls> {
public:
    LabelTemplate(Forms& forms, LabelKind kind);

    LabelKind kind() const { return text_.kind(); }
    const document::TemplateDesign& labelDesign() const { return text_.design(); }
    // The document, whether or not the window exists; it prints as it is.
    const document::TemplateDocument& text() const { return text_; }
    document::TemplateDocument& text() { return text_; }
    int fieldCount() const { return labelDesign().fieldCount(); }
    bool hasContentField(int index) const { return index >= 0 && index < fieldCount(); }
    bool hasDiskNameField(int index) const { return index == 1 || (index == 0 && labelDesign().diskName0); }

    // Content fields Label1(0..N) and disk-name fields Label2(0..1); the
    // index must exist on this template.
    TemplateField Label1(int index);
    TemplateField Label2(int index);

    // Writes the disk name into every disk-name field: Label2(0), then Label2(1).
    void setDiskName(const QString& name);

    void Label1_Click(int Index);

protected:
    void build(QWidget* client) override;
    void discard() override;

private:
    Forms& forms_;
    document::TemplateDocument& text_;
};

}  // namespace templates
