#pragma once

#include <QObject>
#include <QString>

namespace document {
class Card;
class CardDocument;
}  // namespace document

namespace designer {

// What the designer's views hold of the card they show: the selected line,
// the line with the frame, and whether the selected line follows the
// pointer. It lives for the whole run, beside the card's document; none of
// it is in a label file, and a successful print clears it.
class Selection final : public QObject {
    Q_OBJECT
public:
    // The kind of object a line click selects, the only one there is.
    inline static const QString kSelectedLine = QStringLiteral("Text line #");

    QString typ;          // kind of the selected object
    qint16 ind = 0;       // index of the selected line
    bool moving = false;  // the selected line follows the pointer

    // The line with the single-frame border, or -1.
    int framed() const { return framed_; }
    void setFramed(int index);

    // Selects line `index` as a click on it does: ends a move, sets typ and
    // ind, then frames the line.
    void selectLine(int index);
    // Moves the selected line by `step` mm, across (`left`) or down; only
    // once a line has been selected. Presses on one line fold into one step.
    void nudge(document::CardDocument& design, bool left, float step) const;
    // Puts the selected line's top-left corner at a point, in card mm: one
    // step from the pick-up to the drop.
    void follow(document::CardDocument& design, float x, float y) const;
    // After an undo or redo: the line put back follows the pointer no more,
    // and a selected line that is no longer shown gives way to the nearest
    // one that is, below it first, its frame too; with no line shown, the
    // selection stays.
    void afterRestore(const document::Card& card);

    // Nothing selected, framed or moving.
    void clear();

Q_SIGNALS:
    // A click selected a line (typ and ind are set).
    void lineSelected();
    // The frame left or reached a line.
    void framedChanged(int index);

private:
    int framed_ = -1;
};

}  // namespace designer
