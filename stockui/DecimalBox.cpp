#include "stockui/DecimalBox.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <cmath>
#include <utility>

namespace stockui {

namespace {

// "a comma" for ",": what the user is told to look at.
QString separatorName(const QString& separator)
{
    if (separator == u",")
        return QStringLiteral("a comma");
    if (separator == u".")
        return QStringLiteral("a dot");
    if (separator == u"'" || separator == u"\u2019")
        return QStringLiteral("an apostrophe");
    if (separator.trimmed().isEmpty())
        return QStringLiteral("a space");
    return QStringLiteral("\u201c%1\u201d").arg(separator);
}

}  // namespace

ui::Result<double, QString> readDecimal(const QString& typed, const QLocale& locale)
{
    QString text = typed.trimmed();
    const QString point = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    if (text.isEmpty())
        return ui::failed(QStringLiteral("Nothing is typed."));
    if (point != u".") {
        if (text.contains(u'.') && text.contains(point))
            return ui::failed(QStringLiteral("\u201c%1\u201d has two decimal points.").arg(typed.trimmed()));
        text.replace(u'.', point);
    }
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = strict.toDouble(text, &ok);
    if (ok && std::isfinite(value))
        return value;
    if (!group.isEmpty() && text.contains(group)) {
        QString asPoint = text, asGroup = text;
        asPoint.replace(group, point);
        asGroup.remove(group);
        bool pointOk = false, groupOk = false;
        const double one = strict.toDouble(asPoint, &pointOk);
        const double other = strict.toDouble(asGroup, &groupOk);
        if (pointOk && groupOk)
            return ui::failed(
                QStringLiteral("\u201c%1\u201d could be %2 or %3: type the decimal point as "
                               "\u201c%4\u201d.")
                    .arg(typed.trimmed(), locale.toString(one, 'g', 15), locale.toString(other, 'g', 15), point));
        return ui::failed(QStringLiteral("\u201c%1\u201d holds %2, which separates thousands here; a figure like "
                                         "this has none.")
                              .arg(typed.trimmed(), separatorName(group)));
    }
    return ui::failed(QStringLiteral("\u201c%1\u201d is not a number.").arg(typed.trimmed()));
}

DecimalBox::DecimalBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { typing_ = true; });
}

QValidator::State DecimalBox::validate(QString& text, int&) const
{
    QString number = text;
    if (number.startsWith(prefix()))
        number.remove(0, prefix().size());
    if (number.endsWith(suffix()))
        number.chop(suffix().size());
    number = number.trimmed();
    const QLocale here = locale();
    const QString allowed = QStringLiteral("+-.,'\u2019\u2212 \u00a0\u202f") + here.decimalPoint() +
                            here.groupSeparator() + here.negativeSign() + here.positiveSign();
    for (const QChar c : std::as_const(number)) {
        if (!c.isDigit() && !allowed.contains(c))
            return QValidator::Invalid;
    }
    const auto read = readDecimal(number, here);
    if (!read)
        return QValidator::Intermediate;
    return *read >= minimum() && *read <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

double DecimalBox::valueFromText(const QString& text) const
{
    QString number = text;
    if (number.startsWith(prefix()))
        number.remove(0, prefix().size());
    if (number.endsWith(suffix()))
        number.chop(suffix().size());
    const auto read = readDecimal(number, locale());
    return read ? *read : value();
}

// Lets the spin box interpret the entry, then says whether what the user
// typed was taken: a value that a listener of valueChanged put back was not.
template <typename Interpret>
bool DecimalBox::finishEntry(const Interpret& interpret)
{
    const QString typed = cleanText();
    const auto read = readDecimal(typed, locale());
    const bool typing = std::exchange(typing_, false);
    interpret();
    if (!typing)
        return true;
    if (!read) {
        Q_EMIT refused(read.error());
        return false;
    }
    if (*read < minimum() || *read > maximum()) {
        Q_EMIT refused(QStringLiteral("\u201c%1\u201d is not from %2 to %3.")
                           .arg(typed, locale().toString(minimum()), locale().toString(maximum())));
        return false;
    }
    if (std::abs(value() - *read) > 0.5 * std::pow(10.0, -decimals()))
        return false;
    Q_EMIT entered();
    return true;
}

void DecimalBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return QDoubleSpinBox::keyPressEvent(event);
    if (!finishEntry([&] { QDoubleSpinBox::keyPressEvent(event); }))
        event->accept();  // not on to the dialog's default button: the user reads why first
}

void DecimalBox::focusOutEvent(QFocusEvent* event)
{
    finishEntry([&] { QDoubleSpinBox::focusOutEvent(event); });
}

}  // namespace stockui
