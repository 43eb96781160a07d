#pragma once

#include "designer/Card.h"
#include "platform/Printable.h"
#include "ui/Result.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace platform {
class Pictures;
}

namespace designer {

namespace labelfile {
struct CardValues;
}

// The custom designer's document, free of widgets: the card, the count of
// lines in use, the background picture's path, the selection and whether
// the selected line follows the pointer. It lives for the whole run; the
// control panel and the preview are views that follow its signals. Only a
// successful print starts it afresh. It prints as its card.
class Design final : public QObject, public platform::Printable {
    Q_OBJECT
public:
    // The kind of object a line click selects, the only one there is.
    inline static const QString kSelectedLine = QStringLiteral("Text line #");

    Card card;
    qint16 txtamt = 0;    // lines in use
    QString cardpc;       // background picture path, as the label file has it
    QString typ;          // kind of the selected object
    qint16 ind = 0;       // index of the selected line
    bool moving = false;  // the selected line follows the pointer

    // The line with the single-frame border, or -1.
    int framed() const { return framed_; }
    void setFramed(int index);

    // Selects line `index` as a click on it does: ends a move, sets typ and
    // ind, then frames the line.
    void selectLine(int index);
    // Whether every line a card holds is in use (a label file may have set
    // any count: 10 or more is full).
    bool full() const { return txtamt >= kLineLimit; }
    // Reveals the next line unless full (a count below 0 counts as none).
    void addLine();
    // Moves the selected line by `step` mm, across (`left`) or down; only
    // once a line has been selected.
    void nudge(bool left, float step);
    // Erases the card's lines, size and colour; the picture and the
    // selection stay.
    void clear();

    // Back to the start of the run.
    void reset();

    // The card's client area, in millimetres.
    QSizeF sizeMm() const override;
    void paint(QPainter& painter, const QRectF& mm) const override;

    // Reads the label file at `path` and, when the whole of it can be
    // applied, applies it, its background picture loaded through
    // `pictures`. Gives what the user should be told about a load that
    // left something out (a caption cut, a picture missing), or why
    // nothing was loaded.
    ui::Result<QStringList, QString> load(const QByteArray& nativePath, platform::Pictures& pictures);
    // What a save would not write as it is, one sentence each.
    QStringList saveProblems() const;
    // Writes the label file, or says why it could not be written; a failed
    // save leaves the file it was replacing as it was.
    ui::Result<void, QString> save(const QString& path) const;

Q_SIGNALS:
    // A click selected a line (typ and ind are set).
    void lineSelected();
    // The frame left or reached a line.
    void framedChanged(int index);
    // A label file was applied.
    void loaded();

private:
    labelfile::CardValues values() const;

    int framed_ = -1;
};

// The card of `design` painted into `mm` (a rectangle in the painter's
// millimetres) as the preview shows it: the background colour, the picture
// at its own size at the top-left, the visible lines in index order (a
// higher index on top) with the framed line's frame, all clipped to the
// card's client area. The preview, printing and anything else that shows a
// card paint it so; only what lies in the painter's clip is drawn.
void paint(const Design& design, QPainter& painter, const QRectF& mm);

}  // namespace designer
