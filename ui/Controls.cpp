#include "ui/Controls.h"

#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace ui {

QLabel* makeLabel(QWidget* parent, const QString& text, int left, int top, int width, int height, bool wordWrap)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(pxRect(left, top, width, height));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(wordWrap);
    label->setTextFormat(Qt::PlainText);
    if (!wordWrap)
        fitText(label);
    return label;
}

void fitText(QLabel* label)
{
    // Measured in its font as inherited, not narrowed: the one the other
    // controls are drawn in, so that no second font is loaded for it.
    QFont font = label->font();
    font.setStretch(QFont::AnyStretch);
    const int needed = QFontMetrics(font).horizontalAdvance(label->text());
    const int room = label->width();
    if (needed > room && needed > 0)
        font.setStretch(std::max(int(QFont::ExtraCondensed), room * 100 / needed));
    label->setFont(font);
}

QPushButton* makeButton(QWidget* parent, const QString& text, int left, int top, int width, int height)
{
    auto* button = new QPushButton(text, parent);
    button->setGeometry(pxRect(left, top, width, height));
    button->setAutoDefault(false);
    return button;
}

void setBaseColor(QWidget* widget, quint32 value)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, color(value));
    widget->setPalette(palette);
}

void onClick(QAbstractButton* button, std::function<void()> handler)
{
    QObject::connect(button, &QAbstractButton::clicked, button, [handler = std::move(handler)] { handler(); });
}

Rule::Rule(QWidget* parent, int x1, int y1, int x2, int y2, QColor color, double widthPx)
    : QWidget(parent), color_(std::move(color)), width_(widthPx)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QPointF a = pxPoint(x1, y1), b = pxPoint(x2, y2);
    const double pad = width_;
    const QRectF bounds = QRectF(a, b).normalized().adjusted(-pad, -pad, pad, pad);
    const QRect area = bounds.toAlignedRect();
    setGeometry(area);
    line_ = QLineF(a - area.topLeft(), b - area.topLeft());
}

void Rule::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(color_, width_, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(line_);
}

}  // namespace ui
