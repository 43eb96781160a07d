#include "stockui/SheetView.h"

#include "platform/Printable.h"
#include "stock/SheetGeometry.h"
#include "stock/SheetPrinting.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace stockui {

namespace {

constexpr int kMargin = 6;  // pixels around the paper

}  // namespace

SheetView::SheetView(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(160, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SheetView::setSheet(const stock::Product* product, const QList<int>& used, int first, int copies)
{
    const QList<stock::Cell> cells = product ? stock::cells(*product) : QList<stock::Cell>();
    const QPainterPath label = product ? stock::labelPath(product->shape) : QPainterPath();
    const bool sheetChanged = label != label_ || (product ? product->paper.toPt() : QSizeF()) != paper_ ||
                              cells.size() != cells_.size() ||
                              !std::equal(cells.begin(), cells.end(), cells_.begin(),
                                          [](const stock::Cell& a, const stock::Cell& b) { return a.rect == b.rect; });
    paper_ = product ? product->paper.toPt() : QSizeF();
    product_ = product ? std::optional<stock::Product>(*product) : std::nullopt;
    if (!product)
        collected_.clear();
    label_ = label;
    severalLayouts_ = product && product->layouts.size() > 1;
    cells_ = cells;
    used_ = used;
    first_ = first;
    copies_ = copies;
    cursor_ = first;
    update();
    if (sheetChanged)
        ui::notifyItemsShownChanged(this);
    for (int i = 0; i < itemCount(); ++i) {
        ui::notifyItemText(this, i);
        if (sheetChanged)
            ui::notifyItemMoved(this, i);
    }
}

void SheetView::setFace(std::shared_ptr<const platform::Printable> face)
{
    face_ = std::move(face);
    update();
}

void SheetView::setCollected(const QList<stock::CollectedLabels::Label>& collected, const stock::Choice& choice)
{
    collected_ = collected;
    choice_ = choice;
    choice_.outline = false;
    update();
    for (int i = 0; i < itemCount(); ++i)
        ui::notifyItemText(this, i);
}

const stock::CollectedLabels::Label* SheetView::collectedIn(int cell) const
{
    for (const stock::CollectedLabels::Label& label : collected_) {
        if (label.cell == cell)
            return &label;
    }
    return nullptr;
}

SheetView::State SheetView::state(int cell) const
{
    if (collectedIn(cell))
        return State::Collected;
    if (cell == first_)
        return State::First;
    if (cell > first_ && cell < first_ + copies_)
        return State::ToPrint;
    return used_.contains(cell) ? State::Used : State::Free;
}

QString SheetView::itemText(int item) const
{
    const stock::Cell& cell = cells_[item];
    QString text = severalLayouts_
                       ? QStringLiteral("Group %1, row %2, column %3").arg(cell.layout).arg(cell.row).arg(cell.column)
                       : QStringLiteral("Row %1, column %2").arg(cell.row).arg(cell.column);
    switch (state(cell.number)) {
    case State::Free: return text + QStringLiteral(", free");
    case State::Used: return text + QStringLiteral(", used");
    case State::First: return text + QStringLiteral(", first to print");
    case State::ToPrint: return text + QStringLiteral(", to print");
    case State::Collected: return text + QStringLiteral(", collected: ") + collectedIn(cell.number)->name;
    }
    return text;
}

QTransform SheetView::toWidget() const
{
    if (paper_.isEmpty())
        return {};
    const double scale = std::min((width() - 2 * kMargin) / paper_.width(), (height() - 2 * kMargin) / paper_.height());
    const QSizeF shown = paper_ * scale;
    return QTransform::fromTranslate((width() - shown.width()) / 2, (height() - shown.height()) / 2)
        .scale(scale, scale);
}

QRect SheetView::itemRect(int item) const { return toWidget().mapRect(cells_[item].rect).toAlignedRect(); }

void SheetView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (paper_.isEmpty()) {
        painter.drawText(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin), Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("Plain paper: one label at the page corner"));
        return;
    }
    const QTransform transform = toWidget();
    const QColor ink = palette().color(QPalette::WindowText);
    painter.setPen(QPen(ink, 0));
    painter.setBrush(Qt::white);
    painter.drawRect(transform.mapRect(QRectF(QPointF(0, 0), paper_)));

    const QColor highlight = palette().color(QPalette::Highlight);
    for (const stock::Cell& cell : std::as_const(cells_)) {
        QBrush fill(Qt::white);
        switch (state(cell.number)) {
        case State::Free: break;
        case State::Used: fill = QColor(0xa0, 0xa0, 0xa0); break;
        case State::First: fill = highlight; break;
        case State::ToPrint: fill = highlight.lighter(160); break;
        case State::Collected: break;
        }
        const bool printed = face_ && (state(cell.number) == State::First || state(cell.number) == State::ToPrint);
        if (printed)
            fill = state(cell.number) == State::First ? highlight.lighter(170) : highlight.lighter(190);
        painter.setBrush(fill);
        painter.drawPath(transform.map(label_.translated(cell.rect.topLeft())));
        // A collected label, or the face the next print puts here, as it
        // will print, at the picture's scale.
        const stock::CollectedLabels::Label* collected = collectedIn(cell.number);
        const platform::Printable* shown = collected ? collected->label : printed ? face_.get() : nullptr;
        if (shown && product_) {
            painter.save();
            painter.setTransform(transform);
            stock::paintInCell(painter, *product_, cell, *shown, choice_);
            painter.restore();
        }
    }
    if (hasFocus() && cursor_ >= 1 && cursor_ <= cells_.size()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(ink, 1, Qt::DotLine));
        painter.drawRect(QRectF(itemRect(cursor_ - 1)).adjusted(-2, -2, 2, 2));
    }
}

void SheetView::choose(int cell)
{
    if (cell < 1 || cell > cells_.size())
        return;
    moveCursor(cell);
    if (cell != first_)
        Q_EMIT firstChosen(cell);
}

void SheetView::moveCursor(int cell)
{
    if (cell < 1 || cell > cells_.size())
        return;
    cursor_ = cell;
    update();
    if (QAccessible::isActive()) {
        if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(this)) {
            if (QAccessibleInterface* item = iface->child(cell - 1)) {
                QAccessibleEvent event(item, QAccessible::Focus);
                QAccessible::updateAccessibility(&event);
            }
        }
    }
}

void SheetView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QTransform transform = toWidget();
    for (const stock::Cell& cell : std::as_const(cells_)) {
        if (transform.mapRect(cell.rect).contains(event->position())) {
            choose(cell.number);
            return;
        }
    }
}

void SheetView::keyPressEvent(QKeyEvent* event)
{
    if (cells_.isEmpty())
        return QWidget::keyPressEvent(event);
    // Up and down go to the nearest label in that direction, keeping to the
    // column where there is one.
    const auto vertical = [&](int direction) {
        const QPointF from = cells_[cursor_ - 1].rect.center();
        int best = cursor_;
        double bestScore = 0;
        for (const stock::Cell& cell : std::as_const(cells_)) {
            const QPointF d = cell.rect.center() - from;
            if (d.y() * direction < 1)
                continue;
            const double score = std::abs(d.y()) + 4 * std::abs(d.x());
            if (best == cursor_ || score < bestScore) {
                best = cell.number;
                bestScore = score;
            }
        }
        return best;
    };
    switch (event->key()) {
    case Qt::Key_Left: moveCursor(cursor_ - 1); break;
    case Qt::Key_Right: moveCursor(cursor_ + 1); break;
    case Qt::Key_Up: moveCursor(vertical(-1)); break;
    case Qt::Key_Down: moveCursor(vertical(1)); break;
    case Qt::Key_Home: moveCursor(1); break;
    case Qt::Key_End: moveCursor(int(cells_.size())); break;
    case Qt::Key_Space: choose(cursor_); break;
    case Qt::Key_Delete:
        if (!collectedIn(cursor_))
            return QWidget::keyPressEvent(event);
        Q_EMIT removeRequested(cursor_);
        break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

}  // namespace stockui
