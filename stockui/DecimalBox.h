#pragma once

#include "ui/Result.h"

#include <QDoubleSpinBox>
#include <QLocale>

namespace stockui {

// The figure in `text` as `locale` writes it, or with a dot for its decimal
// point whatever the locale (a measured figure is never grouped, so a dot
// there is no thousands separator); or why it is not read. Text that holds
// the locale's group separator is ambiguous ("1,5" in English is 1.5 or 15)
// and refused, never guessed.
ui::Result<double, QString> readDecimal(const QString& text, const QLocale& locale);

// A box for a measured figure: reads what the user types with readDecimal,
// refuses what it cannot read instead of changing it, and tells both.
// Return confirms the dialog it is on only after an entry that was taken.
class DecimalBox final : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit DecimalBox(QWidget* parent = nullptr);

    QValidator::State validate(QString& text, int& pos) const override;
    double valueFromText(const QString& text) const override;
    // Keeps what was typed: dropping group separators would make 1,5 into 15.
    void fixup(QString&) const override {}

Q_SIGNALS:
    // The user finished typing an entry (Return, or leaving the box), and
    // it was taken: the box shows it.
    void entered();
    // The user finished typing an entry that could not be read or is out of
    // the box's range; the box shows its value from before.
    void refused(const QString& why);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    template <typename Interpret>
    bool finishEntry(const Interpret& interpret);

    bool typing_ = false;  // the user typed since the last entry was finished
};

}  // namespace stockui
