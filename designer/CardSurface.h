#pragma once

#include "document/TextLine.h"
#include "ui/PaintedItems.h"

#include <QPointer>
#include <QWidget>
#include <bitset>

namespace document {
class CardDocument;
}

namespace designer {

class Selection;

// The card's document on the screen as the designer shows it (with the
// selection's frame), repainted where it changes. Reports clicks, double-clicks and pointer movement in card
// millimetres: on a line, the line's; elsewhere, the card's. A line that
// follows the pointer lies beneath every other line, and pointer movement
// over its own box is the card's, so that it follows in every direction
// until the pointer reaches another line, which can then be clicked.
class CardSurface final : public QWidget, public ui::PaintedItems {
    Q_OBJECT
public:
    CardSurface(const document::CardDocument& design, const Selection& selection, QWidget* parent);

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

    // The document and the selection live for the whole run; a window
    // released later than the forms forgets them.
    QPointer<const document::CardDocument> design_;
    QPointer<const Selection> selection_;
    int pressed_ = -2;                         // line pressed, -1 the bare card, -2 nothing
    int clicked_ = -2;                         // what the last click went to, the same way
    std::bitset<document::kLineCount> shown_;  // as assistive technology was last told
};

}  // namespace designer
