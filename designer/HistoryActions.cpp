#include "designer/HistoryActions.h"

#include <QAction>
#include <QKeyEvent>
#include <QUndoStack>
#include <QWidget>

namespace designer {

namespace {

// Passes a box's claim on the given keys: the window's shortcuts take them.
class LeaveKeys final : public QObject {
public:
    LeaveKeys(QWidget* box, QList<QKeySequence> keys) : QObject(box), keys_(std::move(keys))
    {
        box->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        // Not accepted, the event goes to the shortcuts.
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        return keys_.contains(pressed);
    }

private:
    QList<QKeySequence> keys_;
};

}  // namespace

HistoryActions HistoryActions::add(QUndoStack& history, QWidget* widget)
{
    HistoryActions actions{history.createUndoAction(widget), history.createRedoAction(widget)};
    actions.undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    actions.redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* action : {actions.undo, actions.redo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        widget->addAction(action);
    }
    return actions;
}

void HistoryActions::leaveKeys(QWidget* box) const { new LeaveKeys(box, undo->shortcuts() + redo->shortcuts()); }

}  // namespace designer
