#pragma once

#include "templates/TemplateDesign.h"

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace templates {

// The label artwork of a template: its fields, picture, credit, rules and
// outline, painted in that order so that every line stays unbroken. Only the
// content fields react to the mouse.
class TemplateCanvas final : public QWidget {
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

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const TemplateDesign& design_;
    QStringList content_;
    QString diskName_[2];
    QImage picture_;
    int pressed_ = -1;
};

}  // namespace templates
