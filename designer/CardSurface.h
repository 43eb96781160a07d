#pragma once

#include "designer/TextLine.h"
#include "ui/PaintedItems.h"

#include <QPointer>
#include <QWidget>
#include <bitset>

namespace designer {

class Card;
class Design;

// The card of the designer's document on the screen, repainted where it
// changes. Reports clicks, double-clicks and pointer movement in card
// millimetres: on a line, the line's; elsewhere, the card's. A line that
// follows the pointer lies beneath every other line, and pointer movement
// over its own box is the card's, so that it follows in every direction
// until the pointer reaches another line, which can then be clicked.
class CardSurface final : public QWidget, public ui::PaintedItems {
    Q_OBJECT
public:
    CardSurface(const Design& design, QWidget* parent);

    int itemCount() const override;
    bool itemShown(int item) const override;
    QString itemText(int item) const override;
    QRect itemRect(int item) const override;
    bool itemPressable(int) const override { return true; }
    void pressItem(int item) override;

Q_SIGNALS:
    void lineClicked(int index);
    void lineDoubleClicked(int index);
    void cardClicked();
    void mouseMoved(float xMm, float yMm);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void lineChanged(int index, const QRectF& before);
    void repaintLine(int index);
    static QRect dirty(const QRectF& box);
    // The visible line that a click at a point goes to, or -1 (also
    // without a document).
    int lineAt(const QPointF& px) const;
    // The line following the pointer, or -1.
    int movingLine() const;

    // The document lives for the whole run; a window released later than
    // the forms forgets it.
    QPointer<const Design> design_;
    int pressed_ = -2;               // line pressed, -1 the bare card, -2 nothing
    int clicked_ = -2;               // what the last click went to, the same way
    std::bitset<kLineCount> shown_;  // as assistive technology was last told
};

}  // namespace designer
