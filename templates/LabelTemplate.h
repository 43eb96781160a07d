#pragma once

#include "templates/TemplateDesign.h"
#include "templates/TemplateLabel.h"
#include "templates/TemplateText.h"
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
    TemplateField(TemplateText& text, bool content, int index) : text_(text), content_(content), index_(index) {}
    QString caption() const;
    void setCaption(const QString& text) const;

private:
    TemplateText& text_;
    bool content_;
    int index_;
};

// One of the four label templates: the form whose client area is the label.
// Its texts are a document it owns for the whole run; they go back to the
// design texts when the window is unloaded.
class LabelTemplate final : public ui::FormWith<TemplateControls> {
public:
    LabelTemplate(Forms& forms, const TemplateDesign& design);

    const TemplateDesign& labelDesign() const { return design_; }
    // The texts, whether or not the window exists.
    const TemplateText& text() const { return text_; }
    TemplateText& text() { return text_; }
    // The label the texts make on the design, as it prints.
    const TemplateLabel& label() const { return label_; }
    int fieldCount() const { return design_.fieldCount(); }
    bool hasContentField(int index) const { return index >= 0 && index < fieldCount(); }
    bool hasDiskNameField(int index) const { return index == 1 || (index == 0 && design_.diskName0); }

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
    const TemplateDesign& design_;
    TemplateText text_;
    TemplateLabel label_{text_, design_};
};

}  // namespace templates
