#pragma once

#include "designer/TextLine.h"
#include "ui/PaintedItems.h"

#include <QPixmap>
#include <QWidget>
#include <bitset>
#include <functional>

namespace designer {

class Card;

// Draws the card: background colour, the picture at its own size at the
// top-left, then the visible lines in index order (a higher index on top),
// each with its frame when it is the framed line. Reports clicks,
// double-clicks and pointer movement in card millimetres.
class CardSurface final : public QWidget, public ui::PaintedItems {
    Q_OBJECT
public:
    CardSurface(Card& card, QWidget* parent);

    std::function<void(int index)> onLineClick;
    std::function<void(int index)> onLineDoubleClick;
    std::function<void()> onCardClick;
    std::function<void(float xMm, float yMm)> onMouseMove;

    int itemCount() const override;
    bool itemShown(int item) const override;
    QString itemText(int item) const override;
    QRect itemRect(int item) const override;
    bool itemPressable(int) const override { return true; }
    void pressItem(int item) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void lineChanged(int index, const QRectF& before);
    static QRect dirty(const QRectF& box);

    Card& card_;
    QPixmap picture_;                // the card's picture, ready for the screen
    int pressed_ = -2;               // line pressed, -1 the bare card, -2 nothing
    std::bitset<kLineCount> shown_;  // as assistive technology was last told
};

}  // namespace designer
