#include "ui/Numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ui {

QString formatSingle(float value)
{
    if (!std::isfinite(value))
        return QString::number(double(value));
    if (value == 0)
        return QStringLiteral("0");
    // The 7 significant digits and the decimal exponent, then placed by hand
    // so that no magnitude gets an exponent.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6e", double(value));
    const QString text = QString::fromLatin1(buffer);
    const bool negative = text.startsWith(QLatin1Char('-'));
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    QString digits = text.mid(negative ? 1 : 0, e - (negative ? 1 : 0));
    digits.remove(QLatin1Char('.'));
    const int exponent = text.mid(e + 1).toInt();

    QString whole, fraction;
    if (exponent >= 0) {
        const int wholeDigits = exponent + 1;
        whole = digits.left(wholeDigits);
        while (whole.size() < wholeDigits)
            whole.append(QLatin1Char('0'));
        fraction = digits.mid(wholeDigits);
    } else {
        whole = QStringLiteral("0");
        fraction = QString(-exponent - 1, QLatin1Char('0')) + digits;
    }
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    QString out = negative ? QStringLiteral("-") : QString();
    out += whole;
    if (!fraction.isEmpty())
        out += QLatin1Char('.') + fraction;
    return out;
}

}  // namespace ui
