#pragma once

#include "document/TemplateDesign.h"
#include "document/TemplateDocument.h"
#include "ui/PaintedItems.h"

#include <QPointer>
#include <QWidget>

namespace templates {

// A template's label on the screen: its texts are the template's document,
// which it follows. Only the content fields react to the mouse. Assistive
// technology sees the content fields (which can be pressed), the disk-name
// fields and the credit.
class TemplateCanvas final : public QWidget, public ui::PaintedItems {
    Q_OBJECT
public:
    TemplateCanvas(const document::TemplateDocument& text, QWidget* parent);

    // The content field under a point in pixels, or -1.
    int contentFieldAt(const QPoint& point) const;

    // Items: the content fields Label1(0..N-1), then Label2(1), Label2(0)
    // where the design has it, and the credit where it has one.
    int itemCount() const override;
    bool itemShown(int) const override { return true; }
    QString itemText(int item) const override;
    QRect itemRect(int item) const override;
    bool itemPressable(int item) const override { return item < design_.fieldCount(); }
    void pressItem(int item) override;

Q_SIGNALS:
    // A content field was clicked (or pressed by assistive technology).
    void contentClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Item { Content, DiskName1, DiskName0, Credit };
    Item itemKind(int item) const;
    QString text(Item kind, int item) const;

    // The form's document, which lives for the whole run; a window released
    // later than the form forgets it.
    QPointer<const document::TemplateDocument> text_;
    const document::TemplateDesign& design_;
    int pressed_ = -1;
};

}  // namespace templates
