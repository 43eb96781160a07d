#pragma once

class QAction;
class QUndoStack;
class QWidget;

namespace designer {

// The card's Undo and Redo on one of the designer's windows: named for the
// step they take back or make again ("Undo Move line 3"), disabled when there
// is none, on Ctrl+Z and on Ctrl+Shift+Z or Ctrl+Y while the window is
// active.
struct HistoryActions {
    QAction* undo = nullptr;
    QAction* redo = nullptr;

    // Adds them to `widget` (one widget a window), which owns them.
    static HistoryActions add(QUndoStack& history, QWidget* widget);

    // Makes a text box leave the keys of these actions to them, so that its
    // own undo never competes with the card's.
    void leaveKeys(QWidget* box) const;
};

}  // namespace designer
