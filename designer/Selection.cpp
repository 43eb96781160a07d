#include "designer/Selection.h"

#include "document/Card.h"

namespace designer {

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

void Selection::nudge(document::Card& card, bool left, float step) const
{
    if (typ != kSelectedLine || ind < 0 || ind >= document::kLineCount)
        return;
    const document::TextLine& line = card.line(ind);
    if (left)
        card.setLeft(ind, line.Left + step);
    else
        card.setTop(ind, line.Top + step);
}

void Selection::clear()
{
    setFramed(-1);
    typ.clear();
    ind = 0;
    moving = false;
}

}  // namespace designer
