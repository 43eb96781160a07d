#include "document/CardDocument.h"

#include "document/LabelFile.h"
#include "platform/FileSystem.h"
#include "platform/Pictures.h"
#include "platform/ReplaceFile.h"
#include "platform/UserFile.h"
#include "ui/Error.h"
#include "ui/Fonts.h"
#include "ui/Painting.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QScopedValueRollback>
#include <QSet>

#include <algorithm>
#include <optional>
#include <vector>

namespace document {

// The card as a step keeps it: what a label file stores, and the picture,
// shared with the card (a picture is the same one while its key is).
struct CardDocument::State {
    labelfile::CardValues values;
    QImage picture;

    friend bool operator==(const State& a, const State& b)
    {
        return a.values == b.values && a.picture.cacheKey() == b.picture.cacheKey();
    }
};

// One step of the history: the card before and after it.
class CardDocument::Step final : public QUndoCommand {
public:
    Step(CardDocument& document, const QString& name, int key, int fold, State before, State after)
        : QUndoCommand(name),
          document_(document),
          key_(key),
          fold_(fold),
          before_(std::move(before)),
          after_(std::move(after))
    {
    }

    // The same step, for a history that forgets its oldest ones.
    std::unique_ptr<Step> copy() const
    {
        return std::make_unique<Step>(document_, text(), key_, fold_, before_, after_);
    }
    const State& before() const { return before_; }
    const State& after() const { return after_; }

    int id() const override { return key_; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const Step*>(other);
        if (next->fold_ != fold_)
            return false;
        after_ = next->after_;
        // Typing that took back all it typed leaves no step.
        setObsolete(after_ == before_);
        return true;
    }
    void undo() override
    {
        document_.restore(before_, after_);
        done_ = false;
    }
    // The change was made when the step was pushed.
    void redo() override
    {
        if (!done_)
            document_.restore(after_, before_);
        done_ = true;
    }

private:
    CardDocument& document_;
    int key_;
    int fold_;
    State before_;
    State after_;
    bool done_ = true;
};

CardDocument::CardDocument(qint64 historyPictureBytes) : pictureBudget_(historyPictureBytes)
{
    history_.setUndoLimit(kHistorySteps);
}

CardDocument::State CardDocument::state() const { return State{values(), card.picture()}; }

void CardDocument::edit(const QString& name, int mergeKey, const std::function<void()>& change)
{
    if (editing_) {
        change();
        return;
    }
    State before = state();
    {
        const QScopedValueRollback editing(editing_, true);
        change();
    }
    State after = state();
    if (after == before)
        return;
    const bool newPicture = after.picture.cacheKey() != before.picture.cacheKey();
    history_.push(new Step(*this, name, mergeKey, fold_, std::move(before), std::move(after)));
    if (newPicture)
        keepHistoryWithinBudget();
}

void CardDocument::closeStep() { ++fold_; }

void CardDocument::clearHistory()
{
    history_.clear();
    closeStep();
}

void CardDocument::restore(const State& to, const State& from)
{
    {
        // What the views do as the card changes (a window that follows its
        // size) is part of the undo.
        const QScopedValueRollback editing(editing_, true);
        const labelfile::CardValues& v = to.values;
        const labelfile::CardValues& was = from.values;
        if (v.txtamt != was.txtamt)
            txtamt = v.txtamt;
        if (v.Height != was.Height)
            card.setHeight(v.Height);
        if (v.Width != was.Width)
            card.setWidth(v.Width);
        if (v.BackColor != was.BackColor)
            card.setBackColor(v.BackColor);
        if (to.picture.cacheKey() != from.picture.cacheKey())
            card.setPicture(to.picture);
        if (v.cardpc != was.cardpc)
            cardpc = v.cardpc;
        for (int i = 0; i < kLineCount; ++i) {
            if (v.lines[size_t(i)] != was.lines[size_t(i)])
                card.assignLine(i, v.lines[size_t(i)]);
        }
    }
    closeStep();
    Q_EMIT restored();
}

qint64 CardDocument::heldPictureBytes(int first) const
{
    QSet<qint64> seen{card.picture().cacheKey()};
    qint64 bytes = 0;
    for (int i = first; i < history_.count(); ++i) {
        const auto* step = static_cast<const Step*>(history_.command(i));
        for (const QImage* picture : {&step->before().picture, &step->after().picture}) {
            if (!picture->isNull() && !seen.contains(picture->cacheKey())) {
                seen.insert(picture->cacheKey());
                bytes += picture->sizeInBytes();
            }
        }
    }
    return bytes;
}

void CardDocument::keepHistoryWithinBudget()
{
    // Called right after a step was pushed: no step waits to be redone.
    int first = 0;
    while (first < history_.count() && heldPictureBytes(first) > pictureBudget_)
        ++first;
    if (first == 0)
        return;
    std::vector<std::unique_ptr<Step>> kept;
    for (int i = first; i < history_.count(); ++i)
        kept.push_back(static_cast<const Step*>(history_.command(i))->copy());
    history_.clear();
    for (std::unique_ptr<Step>& step : kept)
        history_.push(step.release());
}

void CardDocument::addLine()
{
    if (full())
        return;
    const qint16 next = std::max<qint16>(txtamt, 0);
    edit(QStringLiteral("Add line %1").arg(next + 1), mergeKey(Fold::None), [this, next] {
        card.setVisible(next, true);
        txtamt = qint16(next + 1);
    });
}

void CardDocument::clear()
{
    edit(QStringLiteral("Clear Label"), mergeKey(Fold::None), [this] {
        txtamt = 0;
        card.setHeight(Card::kDesignHeight);
        card.setWidth(Card::kDesignWidth);
        card.setBackColor(ui::syscolor::ButtonFace);
        for (int i = 0; i < kLineCount; ++i) {
            TextLine cleared;
            cleared.Caption = QStringLiteral("Line %1 text.").arg(i + 1);
            cleared.FontName = ui::fontname::SansSerif;
            cleared.FontSize = 10;
            cleared.Height = 3.44f;
            cleared.Width = 15.61f;
            cleared.Visible = false;
            card.assignLine(i, cleared);
        }
    });
}

void CardDocument::reset()
{
    card.reset();
    txtamt = 0;
    cardpc.clear();
}

std::unique_ptr<Document> CardDocument::copy() const
{
    auto out = std::make_unique<CardDocument>();
    out->apply(values(), card.picture());
    return out;
}

ui::LengthSize CardDocument::size() const
{
    const QSize pixels = card.clientSize();
    return ui::LengthSize::mm(QSizeF(ui::pxToMm(pixels.width()), ui::pxToMm(pixels.height())));
}

void CardDocument::paint(QPainter& painter, const QRectF& mm) const { document::paint(*this, painter, mm); }

namespace {
// What may change of a line's pixels: glyphs reach a little past their box
// (italics, underline).
QRectF inked(const QRectF& box) { return box.adjusted(-4, -4, 4, 4); }
}  // namespace

void paint(const CardDocument& design, QPainter& painter, const QRectF& mm, int framed)
{
    const Card& card = design.card;
    painter.save();
    ui::paintDesignPixels(painter, mm, design.size().toMm());
    const QRect client(QPoint(), card.clientSize());
    QRect area = client;
    if (painter.hasClipping())
        area &= painter.clipBoundingRect().toAlignedRect();
    painter.setClipRect(client, Qt::IntersectClip);
    painter.fillRect(area, ui::color(card.BackColor()));
    if (const QImage& picture = card.picture(); !picture.isNull())
        painter.drawImage(area.topLeft(), picture, area);
    for (int i = 0; i < kLineCount; ++i) {
        const TextLine& line = card.line(i);
        const QRectF box = card.boxPx(i);
        if (!line.Visible || !inked(box).intersects(area))
            continue;
        painter.setFont(ui::screenSized(card.font(i), painter));
        painter.setPen(ui::color(line.ForeColor));
        const QFontMetricsF metrics(painter.font(), painter.device());
        // Lines of a caption stack from the box's top; the box clips them.
        painter.save();
        painter.setClipRect(box, Qt::IntersectClip);
        double y = box.top() + metrics.ascent();
        for (const QString& text : Card::captionLines(line.Caption)) {
            painter.drawText(QPointF(box.left(), y), text);
            y += metrics.lineSpacing();
        }
        painter.restore();
        if (framed == i) {
            painter.setPen(QPen(ui::color(ui::syscolor::WindowText), 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
        }
    }
    painter.restore();
}

namespace {

// One axis of the bleed around a card `length` pixels long with a picture
// `picture` pixels long from its start: a band of the bleed (`before` pixels
// before the card, the card itself, `after` pixels after it) and which of
// the picture's pixels it shows, as the card's edge shows them: the edge
// pixel stretched over the bleed, the picture itself along the card. None
// where the card shows no picture.
struct Band {
    double target0, target1;
    double source0, source1;
};

std::optional<Band> band(int which, double before, double after, int length, int picture)
{
    const int shown = std::min(length, picture);
    if (shown <= 0)
        return std::nullopt;
    switch (which) {
    case 0: return before > 0 ? std::optional<Band>(Band{-before, 0, 0, 1}) : std::nullopt;
    case 1: return Band{0, double(shown), 0, double(shown)};
    default:
        return after > 0 && picture >= length
                   ? std::optional<Band>(Band{double(length), length + after, double(length - 1), double(length)})
                   : std::nullopt;
    }
}

}  // namespace

void CardDocument::paintBleed(QPainter& painter, const QRectF& mm, const QMarginsF& bleed) const
{
    painter.save();
    ui::paintDesignPixels(painter, mm, size().toMm());
    const QRect client(QPoint(), card.clientSize());
    const double xPerMm = client.width() / mm.width();
    const double yPerMm = client.height() / mm.height();
    const QMarginsF px(bleed.left() * xPerMm, bleed.top() * yPerMm, bleed.right() * xPerMm, bleed.bottom() * yPerMm);
    painter.fillRect(QRectF(client).marginsAdded(px), ui::color(card.BackColor()));
    if (const QImage& picture = card.picture(); !picture.isNull()) {
        for (int x = 0; x < 3; ++x) {
            for (int y = 0; y < 3; ++y) {
                if (x == 1 && y == 1)
                    continue;  // the card itself, which paint() paints
                const std::optional<Band> across = band(x, px.left(), px.right(), client.width(), picture.width());
                const std::optional<Band> down = band(y, px.top(), px.bottom(), client.height(), picture.height());
                if (across && down)
                    painter.drawImage(
                        QRectF(QPointF(across->target0, down->target0), QPointF(across->target1, down->target1)),
                        picture,
                        QRectF(QPointF(across->source0, down->source0), QPointF(across->source1, down->source1)));
            }
        }
    }
    painter.restore();
}

labelfile::CardValues CardDocument::values() const
{
    labelfile::CardValues values;
    values.txtamt = txtamt;
    values.Height = card.Height();
    values.Width = card.Width();
    values.BackColor = card.BackColor();
    values.cardpc = cardpc;
    for (int i = 0; i < kLineCount; ++i)
        values.lines[size_t(i)] = card.line(i);
    return values;
}

QStringList CardDocument::saveProblems() const { return labelfile::problems(values()); }

ui::Result<void, QString> CardDocument::save(const QString& path) const
{
    return platform::replaceFile(path, labelFileBytes());
}

QByteArray CardDocument::labelFileBytes() const { return labelfile::write(values()); }

ui::Result<std::unique_ptr<CardDocument>, QString> CardDocument::fromLabelFile(const QByteArray& bytes,
                                                                               const QString& picturePath,
                                                                               platform::Pictures& pictures,
                                                                               QString* note)
{
    const auto result = labelfile::read(bytes);
    if (!result)
        return ui::failed(QStringLiteral("line %1: %2").arg(result.error().line).arg(result.error().why));
    QImage picture;
    if (!picturePath.isEmpty()) {
        try {
            picture = pictures.load(picturePath);
        } catch (const ui::Error& error) {
            if (note)
                *note = QStringLiteral("its background picture \"%1\" did not load: %2")
                            .arg(picturePath, error.description);
        }
    }
    auto card = std::make_unique<CardDocument>();
    card->apply(result->card, picture);
    return card;
}

ui::Result<QStringList, QString> CardDocument::load(const QByteArray& nativePath, platform::Pictures& pictures)
{
    ui::Result<LabelRead, QString> read = CardDocument::read(nativePath, pictures);
    if (!read)
        return ui::failed(read.error());
    return apply(*read);
}

ui::Result<CardDocument::LabelRead, QString> CardDocument::read(const QByteArray& nativePath,
                                                                platform::Pictures& pictures)
{
    const QString path = platform::displayName(nativePath);
    // Everything is read and checked before anything is applied.
    QByteArray bytes;
    try {
        bytes = platform::UserFile(nativePath).readUpTo(labelfile::kMaxFileBytes);
    } catch (const ui::Error& error) {
        return ui::failed(error.description);
    }
    if (bytes.size() > labelfile::kMaxFileBytes)
        return ui::failed(QStringLiteral("it is too large to be a label file"));
    const auto result = labelfile::read(bytes);
    if (!result) {
        const labelfile::Failure& f = result.error();
        // The message ends with the hint's full stop.
        const QString hint = f.hint.isEmpty() ? QString() : QStringLiteral(".\n\n") + f.hint.chopped(1);
        return ui::failed(QStringLiteral("line %1: %2%3").arg(f.line).arg(f.why, hint));
    }
    const labelfile::CardValues& values = result->card;

    QStringList notes;
    if (!result->cutCaptions.isEmpty()) {
        QStringList lines;
        for (int i : result->cutCaptions)
            lines << QString::number(i + 1);
        notes << QStringLiteral(
                     "The label \"%1\" was loaded with the text of %2 %3 cut to its first %4 characters, "
                     "the most a line can hold.")
                     .arg(path, lines.size() == 1 ? QStringLiteral("line") : QStringLiteral("lines"),
                          lines.join(QStringLiteral(", ")), QString::number(kMaxCaptionLength));
    }

    QImage picture;
    if (!values.cardpc.isEmpty()) {
        // A relative path leads from the label file's folder.
        const QString picturePath =
            QDir(QFileInfo(QFile::decodeName(nativePath)).absolutePath()).filePath(values.cardpc);
        try {
            picture = pictures.load(picturePath);
        } catch (const ui::Error& error) {
            notes << QStringLiteral("The label \"%1\" was loaded without its background picture \"%2\": %3.")
                         .arg(path, picturePath, error.description);
        }
    }

    return LabelRead{QFileInfo(path).fileName(), values, picture, notes};
}

QStringList CardDocument::apply(const LabelRead& read)
{
    // The path as the file has it, so a save writes it back unchanged; a
    // picture that could not be loaded keeps its path too.
    edit(QStringLiteral("Load %1").arg(read.name), mergeKey(Fold::None), [&] { apply(read.values, read.picture); });
    Q_EMIT loaded();
    return read.notes;
}

void CardDocument::apply(const labelfile::CardValues& values, const QImage& picture)
{
    txtamt = values.txtamt;
    card.setHeight(values.Height);
    card.setWidth(values.Width);
    card.setBackColor(values.BackColor);
    card.setPicture(picture);
    cardpc = values.cardpc;
    for (int i = 0; i < kLineCount; ++i)
        card.assignLine(i, values.lines[size_t(i)]);
}

}  // namespace document
