#pragma once

#include <QColor>
#include <QLineF>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QAbstractButton;
class QPushButton;

// Helpers that place toolkit controls at designed positions (twips).
namespace ui {

QLabel* makeLabel(QWidget* parent, const QString& text, int left, int top, int width, int height,
                  bool wordWrap = false);
// Narrows a one-line label's font just enough for its text to fit its
// designed width (the look-alike fonts run a little wider than the designs').
void fitText(QLabel* label);
QPushButton* makeButton(QWidget* parent, const QString& text, int left, int top, int width, int height);

// Sets the background of a text box (or any widget with a base colour) to a
// colour value.
void setBaseColor(QWidget* widget, quint32 value);

// Runs `handler` on every click of `button`, for as long as the button lives.
void onClick(QAbstractButton* button, std::function<void()> handler);

// A ruled line between two points in twips; never takes the mouse.
class Rule final : public QWidget {
    Q_OBJECT
public:
    Rule(QWidget* parent, int x1, int y1, int x2, int y2, QColor color, double widthPx);
    QLineF line() const { return line_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLineF line_;  // in this widget's pixels
    QColor color_;
    double width_;
};

}  // namespace ui
