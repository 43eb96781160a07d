#pragma once

#include "document/Document.h"
#include "stock/Choice.h"

#include <QFont>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <memory>

namespace document {

class TemplateDocument;

// The disc a face is printed on: its outer radius, the radius of its centre
// hole and how far the print keeps from both; on plain paper the disc and
// its hole are drawn as lines to cut along.
struct DiscGeometry {
    ui::Length radius = ui::Length::mm(58.5);
    ui::Length hole = ui::Length::mm(20.5);
    ui::Length margin = ui::Length::mm(2);
    bool cutLines = true;

    friend bool operator==(const DiscGeometry&, const DiscGeometry&) = default;
};

// The disc of `choice`: a CD label's or a round label's own (its margin
// where the product gives one, else 2 mm), on plain paper a 117 mm disc with
// a 41 mm hole.
DiscGeometry discGeometry(const stock::Choice& choice);

// A CD job's texts laid out on a round disc label: the disk name along the
// upper rim, letter by letter upright along the arc and centred on the top,
// and the filled content lines in field order as straight lines in the ring,
// as they read: from the top of the hole down, a line left and a line right
// of it, then across the lower part, each centred in the chord the ring
// leaves at its height. Both fonts are
// shrunk, to no less than kNameFloor and kContentFloor points, until the
// name fits within kNameArcDegrees and the lines fit the ring; a name still
// too long is cut with an ellipsis, a line too long for its chord too, and
// the lines that still find no room are left off (linesShown()).
// Nothing is painted over the hole or nearer the edge than the margin.
class DiscFace final : public Document {
    Q_OBJECT
public:
    static constexpr double kNameFloor = 8;
    static constexpr double kContentFloor = 6;
    static constexpr double kNameArcDegrees = 150;

    DiscFace(const TemplateDocument& text, const DiscGeometry& disc);

    LabelKind kind() const override { return kind_; }
    void reset() override;
    std::unique_ptr<Document> copy() const override;

    ui::LengthSize size() const override;
    void paint(QPainter& painter, const QRectF& mm) const override;
    bool isDisc() const override { return true; }

    const DiscGeometry& disc() const { return disc_; }
    QString name() const { return name_; }
    // The content lines that are filled, and how many of them are set.
    const QStringList& lines() const { return lines_; }
    int linesShown() const { return int(placed_.size()); }
    // "12 of 45 lines fit on the disc".
    QString fitNote() const;
    double nameSize() const { return namePoints_; }
    double contentSize() const { return contentPoints_; }

private:
    // A line set in the ring: its text as it prints (cut to its chord) and
    // its baseline's left end, in millimetres from the disc's centre.
    struct Placed {
        QString text;
        QPointF origin;
    };
    void layOut();
    void layOutName();
    void layOutLines();

    LabelKind kind_;
    DiscGeometry disc_;
    QString name_;
    QStringList lines_;
    QFont nameFont_;
    QFont contentFont_;
    // The name as set, and the points of both fonts.
    QString nameShown_;
    double namePoints_ = 0;
    double contentPoints_ = 0;
    QList<Placed> placed_;
};

// What `document` prints as on `choice`: its disc face, where the choice
// asks for one and the document's kind has one; else null, and the document
// prints as it is. The windows and the run without a window both ask here.
std::unique_ptr<DiscFace> discFaceFor(const Document& document, const stock::Choice& choice);

}  // namespace document
