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

namespace document {

void CardDocument::addLine()
{
    if (full())
        return;
    if (txtamt < 0)
        txtamt = 0;
    card.setVisible(txtamt, true);
    ++txtamt;
}

void CardDocument::clear()
{
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
    return platform::replaceFile(path, labelfile::write(values()));
}

ui::Result<QStringList, QString> CardDocument::load(const QByteArray& nativePath, platform::Pictures& pictures)
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

    // The path as the file has it, so a save writes it back unchanged; a
    // picture that could not be loaded keeps its path too.
    apply(values, picture);
    Q_EMIT loaded();
    return notes;
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
