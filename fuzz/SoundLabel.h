#pragma once

#include <QString>

// Whether a volume label is one a label can show: at most `longest`
// characters, no blanks around it, no control character, line separator or
// control that reorders text.
inline bool soundLabel(const QString& label, qsizetype longest)
{
    if (label.size() > longest || label != label.trimmed())
        return false;
    for (const QChar c : label) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0x2028 || u == 0x2029 || (u >= 0x202A && u <= 0x202E) ||
            (u >= 0x2066 && u <= 0x2069))
            return false;
    }
    return true;
}
