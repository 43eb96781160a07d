#include "ui/TypingLimit.h"

#include <QLineEdit>

#include <algorithm>
#include <limits>

namespace ui {

TypingLimit::TypingLimit(QLineEdit* edit, int limit) : QValidator(edit), limit_(limit)
{
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setValidator(this);
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text.size(); });
}

QValidator::State TypingLimit::validate(QString& input, int& pos) const
{
    const qsizetype room = std::max<qsizetype>(limit_, accepted_);
    const qsizetype excess = input.size() - room;
    if (excess <= 0)
        return Acceptable;
    // What was just inserted ends at the cursor: drop its last characters.
    const qsizetype inserted = input.size() - accepted_;
    if (inserted <= 0 || pos < excess)
        return Invalid;
    input.remove(pos - excess, excess);
    pos -= int(excess);
    return Acceptable;
}

void TypingLimit::setWholeText(QLineEdit* edit, const QString& text)
{
    if (auto* limit = qobject_cast<TypingLimit*>(const_cast<QValidator*>(edit->validator())))
        limit->accepted_ = text.size();
    edit->setText(text);
}

}  // namespace ui
