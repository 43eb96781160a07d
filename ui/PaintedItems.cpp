#include "ui/PaintedItems.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWidget>

namespace ui {

namespace {

class ItemAccessible;

// The painted widget: its children are its shown items.
class PaintedWidgetAccessible final : public QAccessibleWidget {
public:
    explicit PaintedWidgetAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Client) {}
    ~PaintedWidgetAccessible() override
    {
        for (QAccessible::Id id : std::as_const(children_))
            QAccessible::deleteAccessibleInterface(id);
    }

    PaintedItems* items() const { return dynamic_cast<PaintedItems*>(widget()); }

    // Shown items in item order.
    QList<int> shown() const
    {
        QList<int> out;
        if (PaintedItems* p = items()) {
            for (int i = 0; i < p->itemCount(); ++i) {
                if (p->itemShown(i))
                    out.append(i);
            }
        }
        return out;
    }

    int childCount() const override { return int(shown().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QList<int> list = shown();
        if (index < 0 || index >= list.size())
            return nullptr;
        return itemInterface(list[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override
    {
        PaintedItems* p = items();
        if (!p)
            return nullptr;
        const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
        const QList<int> list = shown();
        // The last painted item lies on top.
        for (auto it = list.crbegin(); it != list.crend(); ++it) {
            if (p->itemRect(*it).contains(local))
                return itemInterface(*it);
        }
        return nullptr;
    }

    QAccessibleInterface* itemInterface(int item) const;

private:
    mutable QHash<int, QAccessible::Id> children_;
};

class ItemAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ItemAccessible(QWidget* widget, int item) : widget_(widget), item_(item) {}

    int item() const { return item_; }
    PaintedItems* items() const { return dynamic_cast<PaintedItems*>(widget_.data()); }

    bool isValid() const override { return widget_ && items() && item_ < items()->itemCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return widget_ ? widget_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(widget_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && isValid())
            return items()->itemText(item_);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = items()->itemRect(item_);
        return QRect(widget_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid() || !widget_->isVisible() || !items()->itemShown(item_))
            s.invisible = true;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface && isValid() && items()->itemPressable(item_))
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }
    QStringList actionNames() const override
    {
        if (isValid() && items()->itemPressable(item_))
            return {pressAction()};
        return {};
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid() && items()->itemPressable(item_))
            items()->pressItem(item_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QWidget> widget_;
    int item_;
};

QAccessibleInterface* PaintedWidgetAccessible::itemInterface(int item) const
{
    auto it = children_.constFind(item);
    if (it != children_.constEnd())
        return QAccessible::accessibleInterface(*it);
    auto* iface = new ItemAccessible(widget(), item);
    children_.insert(item, QAccessible::registerAccessibleInterface(iface));
    return iface;
}

int PaintedWidgetAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (auto it = children_.constBegin(); it != children_.constEnd(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child)
            return int(shown().indexOf(it.key()));
    }
    return -1;
}

QAccessibleInterface* factory(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && dynamic_cast<PaintedItems*>(widget))
        return new PaintedWidgetAccessible(widget);
    return nullptr;
}

QAccessibleInterface* itemOf(QWidget* widget, int item)
{
    auto* parent = static_cast<PaintedWidgetAccessible*>(QAccessible::queryAccessibleInterface(widget));
    return parent ? parent->itemInterface(item) : nullptr;
}

void notify(QWidget* widget, int item, QAccessible::Event type)
{
    if (!QAccessible::isActive() || !widget)
        return;
    if (QAccessibleInterface* iface = itemOf(widget, item)) {
        QAccessibleEvent event(iface, type);
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace

void installPaintedItemsAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(factory);
        installed = true;
    }
}

void notifyItemText(QWidget* widget, int item) { notify(widget, item, QAccessible::NameChanged); }
void notifyItemMoved(QWidget* widget, int item) { notify(widget, item, QAccessible::LocationChanged); }

void notifyItemsShownChanged(QWidget* widget)
{
    if (!QAccessible::isActive() || !widget)
        return;
    QAccessibleEvent event(widget, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
}

}  // namespace ui
