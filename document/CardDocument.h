#pragma once

#include "document/Card.h"
#include "document/Document.h"
#include "ui/Result.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace platform {
class Pictures;
}

namespace document {

namespace labelfile {
struct CardValues;
}

// The custom card as a job makes it, free of widgets: the card, the count of
// lines in use and the background picture's path, all that a label file
// stores. The designer's control panel and preview are views that follow
// its signals and the card's; what is selected, framed or following the
// pointer is theirs. It lives for the whole run; only a successful print
// starts it afresh. It prints as its card.
class CardDocument final : public Document {
    Q_OBJECT
public:
    Card card;
    qint16 txtamt = 0;  // lines in use
    QString cardpc;     // background picture path, as the label file has it

    LabelKind kind() const override { return LabelKind::Custom; }

    // Whether every line a card holds is in use (a label file may have set
    // any count: 10 or more is full).
    bool full() const { return txtamt >= kLineLimit; }
    // Reveals the next line unless full (a count below 0 counts as none).
    void addLine();
    // Erases the card's lines, size and colour; the picture stays.
    void clear();

    // Back to the start of the run.
    void reset() override;
    std::unique_ptr<Document> copy() const override;

    // The card's client area.
    ui::LengthSize size() const override;
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
    // A label file was applied.
    void loaded();

private:
    labelfile::CardValues values() const;
    void apply(const labelfile::CardValues& values, const QImage& picture);
};

// The card of `card` painted into `mm` (a rectangle in the painter's
// millimetres): the background colour, the picture at its own size at the
// top-left, the visible lines in index order (a higher index on top), with
// a frame around line `framed` where it is one, all clipped to the card's
// client area. The preview, printing and anything else that shows a card
// paint it so; only what lies in the painter's clip is drawn.
void paint(const CardDocument& card, QPainter& painter, const QRectF& mm, int framed = -1);

}  // namespace document
