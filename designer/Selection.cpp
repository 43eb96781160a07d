#include "designer/Selection.h"

#include "document/CardDocument.h"

namespace designer {

namespace {
QString moveStep(int index) { return QStringLiteral("Move line %1").arg(index + 1); }
}  // namespace

void Selection::setFramed(int index)
{
    if (framed_ == index)
        return;
    const int before = framed_;
    framed_ = index;
    for (int i : {before, index}) {
        if (i >= 0 && i < document::kLineCount)
            Q_EMIT framedChanged(i);
    }
}

void Selection::selectLine(int index)
{
    if (moving)
        moving = false;
    typ = kSelectedLine;
    ind = qint16(index);
    Q_EMIT lineSelected();
    setFramed(index);
}

void Selection::nudge(document::CardDocument& design, bool left, float step) const
{
    if (typ != kSelectedLine || ind < 0 || ind >= document::kLineCount)
        return;
    using Doc = document::CardDocument;
    design.edit(moveStep(ind), Doc::mergeKey(Doc::Fold::Nudge, ind), [&, i = ind] {
        const document::TextLine& line = design.card.line(i);
        if (left)
            design.card.setLeft(i, line.Left + step);
        else
            design.card.setTop(i, line.Top + step);
    });
}

void Selection::follow(document::CardDocument& design, float x, float y) const
{
    using Doc = document::CardDocument;
    design.edit(moveStep(ind), Doc::mergeKey(Doc::Fold::Drag, ind), [&, i = ind] {
        design.card.setTop(i, y);
        design.card.setLeft(i, x);
    });
}

void Selection::afterRestore(const document::Card& card)
{
    moving = false;
    if (typ.isEmpty() || ind < 0 || ind >= document::kLineCount || card.line(ind).Visible)
        return;
    int shown = -1;
    for (int i = ind - 1; i >= 0 && shown < 0; --i)
        shown = card.line(i).Visible ? i : -1;
    for (int i = ind + 1; i < document::kLineCount && shown < 0; ++i)
        shown = card.line(i).Visible ? i : -1;
    if (shown < 0)
        return;
    const bool framed = framed_ == ind;
    ind = qint16(shown);
    Q_EMIT lineSelected();
    if (framed)
        setFramed(shown);
}

void Selection::clear()
{
    setFramed(-1);
    typ.clear();
    ind = 0;
    moving = false;
}

}  // namespace designer
