#pragma once

#include "stock/Choice.h"
#include "stock/CollectedLabels.h"
#include "stock/Product.h"
#include "ui/PaintedItems.h"

#include <QPainterPath>
#include <QTransform>
#include <QWidget>
#include <memory>
#include <optional>

namespace platform {
class Printable;
}

namespace stockui {

// A picture of a product's sheet at scale, each label drawn in its shape:
// used labels grey, the labels the next print fills highlighted, the first
// of them strongest. A click chooses the first label; so do the arrow keys
// (which move the focus frame) and Space. Assistive technology
// sees each label ("Row 2, column 1, used"), which can be pressed. Labels
// collected for the sheet are drawn with their content as they will print
// ("Row 1, column 2, collected: DISK 7"); Delete asks to take the one under
// the focus frame off.
class SheetView final : public QWidget, public ui::PaintedItems {
    Q_OBJECT
public:
    explicit SheetView(QWidget* parent = nullptr);

    // Null for plain paper, which has no labels to show.
    void setSheet(const stock::Product* product, const QList<int>& used, int first, int copies);
    int first() const { return first_; }
    // What each label the next print fills shows, at scale; none: its state
    // alone.
    void setFace(std::shared_ptr<const platform::Printable> face);
    // The labels collected for the sheet, drawn as `choice` prints them.
    void setCollected(const QList<stock::CollectedLabels::Label>& collected, const stock::Choice& choice);
    // The label the focus frame is on.
    int cursor() const { return cursor_; }

    int itemCount() const override { return int(cells_.size()); }
    bool itemShown(int) const override { return true; }
    QString itemText(int item) const override;
    QRect itemRect(int item) const override;
    bool itemPressable(int) const override { return true; }
    void pressItem(int item) override { choose(item + 1); }

    QSize sizeHint() const override { return {240, 300}; }

Q_SIGNALS:
    // The user chose the first label to print on.
    void firstChosen(int cell);
    // Delete was pressed on a collected label.
    void removeRequested(int cell);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class State { Free, Used, First, ToPrint, Collected };
    const stock::CollectedLabels::Label* collectedIn(int cell) const;
    State state(int cell) const;
    QTransform toWidget() const;  // points on the paper to pixels
    void choose(int cell);
    void moveCursor(int cell);

    QSizeF paper_;
    QPainterPath label_;  // in a cell's own coordinates
    QList<stock::Cell> cells_;
    bool severalLayouts_ = false;
    std::shared_ptr<const platform::Printable> face_;
    QList<int> used_;
    int first_ = 1;
    int copies_ = 1;
    int cursor_ = 1;  // the label the focus frame is on
    std::optional<stock::Product> product_;
    QList<stock::CollectedLabels::Label> collected_;
    stock::Choice choice_;
};

}  // namespace stockui
