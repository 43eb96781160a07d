#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace ui {

// A widget that paints items of its own (fields, text lines) implements this
// so that assistive technology sees each item: its text as its name, its
// rectangle as its extents, and a press action where clicking does something.
class PaintedItems {
public:
    virtual ~PaintedItems() = default;
    // Item numbers are stable; hidden items are left out of what is exposed.
    virtual int itemCount() const = 0;
    virtual bool itemShown(int item) const = 0;
    virtual QString itemText(int item) const = 0;
    virtual QRect itemRect(int item) const = 0;  // in the widget's pixels
    virtual bool itemPressable(int) const { return false; }
    virtual void pressItem(int) {}
};

// Installs the accessibility factory for painted widgets; call once.
void installPaintedItemsAccessibility();

// Tell assistive technology that an item's text, place or visibility changed.
void notifyItemText(QWidget* widget, int item);
void notifyItemMoved(QWidget* widget, int item);
void notifyItemsShownChanged(QWidget* widget);

}  // namespace ui
