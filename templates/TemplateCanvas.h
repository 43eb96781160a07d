#pragma once

#include "templates/TemplateDesign.h"
#include "ui/PaintedItems.h"

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace templates {

// The label artwork of a template: its fields, picture, credit, rules and
// outline, painted in that order so that every line stays unbroken. Only the
// content fields react to the mouse. Assistive technology sees the content
// fields (which can be pressed), the disk-name fields and the credit.
class TemplateCanvas final : public QWidget, public ui::PaintedItems {
    Q_OBJECT
public:
    TemplateCanvas(const TemplateDesign& design, QWidget* parent);

    QString contentText(int index) const { return content_.value(index); }
    void setContentText(int index, const QString& text);
    QString diskNameText(int index) const { return diskName_[index]; }
    void setDiskNameText(int index, const QString& text);

    // The content field under a point in pixels, or -1.
    int contentFieldAt(const QPoint& point) const;

    std::function<void(int index)> onContentClick;

    static QFont diskNameFont();

    // Items: the content fields Label1(0..N-1), then Label2(1), Label2(0)
    // where the design has it, and the credit where it has one.
    int itemCount() const override;
    bool itemShown(int) const override { return true; }
    QString itemText(int item) const override;
    QRect itemRect(int item) const override;
    bool itemPressable(int item) const override { return item < design_.fieldCount(); }
    void pressItem(int item) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Item { Content, DiskName1, DiskName0, Credit };
    Item itemKind(int item) const;

    const TemplateDesign& design_;
    QStringList content_;
    QString diskName_[2];
    QImage picture_;
    int pressed_ = -1;
};

}  // namespace templates
