#pragma once

#include <QValidator>

class QLineEdit;

namespace ui {

// A length limit on typing only. An edit that would make the text longer
// than the limit keeps as much of what was typed, pasted or dropped as fits
// (its first characters), as a length-limited box does. A longer text the
// program put there stays whole; edits that do not lengthen it are taken.
class TypingLimit final : public QValidator {
    Q_OBJECT
public:
    TypingLimit(QLineEdit* edit, int limit);
    State validate(QString& input, int& pos) const override;

    // Puts `text` into `edit` whole, whatever its length.
    static void setWholeText(QLineEdit* edit, const QString& text);

private:
    int limit_;
    qsizetype accepted_ = 0;  // the length of the text now in the box
};

}  // namespace ui
