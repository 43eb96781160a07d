#pragma once

#include "document/Document.h"
#include "document/TemplateDesign.h"

#include <QFont>
#include <QString>
#include <QStringList>

class QPainter;

namespace document {

// A template's label, free of widgets: its kind (which gives its design),
// its content fields Label1(0..N-1) and its disk-name fields Label2(0) and
// Label2(1). The wizard's steps edit it, the template's window shows it and
// printing paints it, all through paint() below.
class TemplateDocument final : public Document {
    Q_OBJECT
public:
    // The design texts, before anything is filled in.
    static inline const QString kContentDesign = QStringLiteral("Label1");
    static inline const QString kDiskNameDesign = QStringLiteral("Label2");

    // A kind with a template design.
    explicit TemplateDocument(LabelKind kind);

    LabelKind kind() const override { return kind_; }
    const TemplateDesign& design() const { return design_; }

    int fieldCount() const { return int(content_.size()); }
    QString content(int index) const { return content_.value(index); }
    void setContent(int index, const QString& text);
    // Fills the content fields in order from `entries`, emptying the fields
    // beyond its end.
    void fill(const QStringList& entries);
    QString diskName(int index) const { return index == 0 || index == 1 ? diskName_[index] : QString(); }
    void setDiskName(int index, const QString& text);
    // Every field back to its design text.
    void reset() override;
    std::unique_ptr<Document> copy() const override;

    ui::LengthSize size() const override;
    void paint(QPainter& painter, const QRectF& mm) const override;

Q_SIGNALS:
    void contentChanged(int index);
    void diskNameChanged(int index);

private:
    LabelKind kind_;
    const TemplateDesign& design_;
    QStringList content_;
    QString diskName_[2];
};

// A template's label, `text` on its design, painted into `mm` (a rectangle
// in the painter's millimetres): the window's white, its fields, picture,
// credit, rules and outline, in that order so that every line stays
// unbroken. The window, printing and anything else that shows a template
// paint it so.
void paint(const TemplateDocument& text, QPainter& painter, const QRectF& mm);
// A template's label as designed, in millimetres.
QSizeF sizeMm(const TemplateDesign& design);

// The disk-name fields' font.
QFont diskNameFont();

}  // namespace document
