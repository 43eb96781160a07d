#pragma once

#include "document/Card.h"
#include "document/Document.h"
#include "document/LabelFile.h"
#include "platform/Pictures.h"
#include "ui/Result.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>

#include <functional>

namespace document {

// The custom card as a job makes it, free of widgets: the card, the count of
// lines in use and the background picture's path, all that a label file
// stores. The designer's control panel and preview are views that follow
// its signals and the card's; what is selected, framed or following the
// pointer is theirs. It lives for the whole run; only a successful print
// starts it afresh. It prints as its card.
//
// Every change the user makes goes through edit() and becomes a named step
// of the card's history, which undoes and redoes it. A step keeps the card
// as it was before and after, sharing the captions and the picture with the
// card: undoing puts back what the step changed, and only that.
class CardDocument final : public Document {
    Q_OBJECT
public:
    // The most steps the history keeps, and the most bytes of pictures it
    // holds beside the card's own (two of the largest that load); the oldest
    // steps are forgotten first.
    static constexpr int kHistorySteps = 200;
    static constexpr qint64 kHistoryPictureBytes = 2 * (qint64(platform::FilePictures::kAllocationLimitMb) << 20);

    explicit CardDocument(qint64 historyPictureBytes = kHistoryPictureBytes);

    Card card;
    qint16 txtamt = 0;  // lines in use
    QString cardpc;     // background picture path, as the label file has it

    LabelKind kind() const override { return LabelKind::Custom; }

    // Edits of one kind on one line that fold into the step before them, as
    // long as nothing else came between (see closeStep()).
    enum class Fold { None, Typing, Nudge, Drag, Size };
    static constexpr int mergeKey(Fold kind, int line = 0)
    {
        return kind == Fold::None ? -1 : int(kind) * kLineCount + line;
    }

    // Runs `change` on the card, the count and the path as one step named
    // `name`; a change that changes nothing is no step. A change with the
    // same mergeKey (not -1) as the last step, right after it, folds into
    // it. An edit inside another, or inside an undo, is part of that one.
    void edit(const QString& name, int mergeKey, const std::function<void()>& change);
    // The next edit starts a step of its own, whatever its key (a line was
    // selected, a drag ended).
    void closeStep();
    // The steps, for undoing, redoing and naming them.
    QUndoStack& history() { return history_; }
    // Forgets every step: the card being designed is done with.
    void clearHistory();

    // Whether every line a card holds is in use (a label file may have set
    // any count: 10 or more is full).
    bool full() const { return txtamt >= kLineLimit; }
    // Reveals the next line unless full (a count below 0 counts as none); a
    // step, "Add line 3".
    void addLine();
    // Erases the card's lines, size and colour; the picture stays. A step,
    // "Clear Label".
    void clear();

    // Back to the start of the run; the history stays until cleared.
    void reset() override;
    std::unique_ptr<Document> copy() const override;

    // The card's client area.
    ui::LengthSize size() const override;
    void paint(QPainter& painter, const QRectF& mm) const override;
    // The card's colour, and its picture where it reaches the card's edge,
    // go on past each edge as the edge shows them.
    void paintBleed(QPainter& painter, const QRectF& mm, const QMarginsF& bleed) const override;

    // Reads the label file at `path` and, when the whole of it can be
    // applied, applies it as one step ("Load holiday.lab"), its background
    // picture loaded through `pictures`. Gives what the user should be told
    // about a load that left something out (a caption cut, a picture
    // missing), or why nothing was loaded.
    ui::Result<QStringList, QString> load(const QByteArray& nativePath, platform::Pictures& pictures);
    // The same in two steps: what read() gives touches no document, so that
    // it may run on a worker while the user waits; apply() then applies it
    // as one step and gives the notes.
    struct LabelRead {
        QString name;  // the file's name, for the step
        labelfile::CardValues values;
        QImage picture;
        QStringList notes;
    };
    static ui::Result<LabelRead, QString> read(const QByteArray& nativePath, platform::Pictures& pictures);
    QStringList apply(const LabelRead& read);
    // What a save would not write as it is, one sentence each.
    QStringList saveProblems() const;
    // Writes the label file, or says why it could not be written; a failed
    // save leaves the file it was replacing as it was.
    ui::Result<void, QString> save(const QString& path) const;
    // The label file's bytes, as save() writes them.
    QByteArray labelFileBytes() const;
    // A card made from a label file's bytes, its background picture loaded
    // from `picturePath` (none when empty); or why the bytes are no card. A
    // picture that does not load leaves the card without it, and `note`
    // says so.
    static ui::Result<std::unique_ptr<CardDocument>, QString> fromLabelFile(const QByteArray& bytes,
                                                                            const QString& picturePath,
                                                                            platform::Pictures& pictures,
                                                                            QString* note = nullptr);

Q_SIGNALS:
    // A label file was applied.
    void loaded();
    // An undo or redo put the card back as it was before or after a step.
    void restored();

private:
    struct State;
    class Step;

    labelfile::CardValues values() const;
    void apply(const labelfile::CardValues& values, const QImage& picture);
    State state() const;
    // Puts back of `to` what differs from `from`.
    void restore(const State& to, const State& from);
    // The bytes of the pictures the steps from `first` on hold, the card's
    // own picture aside.
    qint64 heldPictureBytes(int first) const;
    void keepHistoryWithinBudget();

    QUndoStack history_;
    qint64 pictureBudget_;
    int fold_ = 0;  // steps made under different numbers never fold
    bool editing_ = false;
};

// The card of `card` painted into `mm` (a rectangle in the painter's
// millimetres): the background colour, the picture at its own size at the
// top-left, the visible lines in index order (a higher index on top), with
// a frame around line `framed` where it is one, all clipped to the card's
// client area. The preview, printing and anything else that shows a card
// paint it so; only what lies in the painter's clip is drawn.
void paint(const CardDocument& card, QPainter& painter, const QRectF& mm, int framed = -1);

}  // namespace document
