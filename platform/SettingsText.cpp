#include "platform/SettingsText.h"

#include <QLocale>
#include <QStringDecoder>

namespace platform {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool isSpace(char c) { return c == ' ' || c == '\t'; }

// UTF-8 as text, a byte order mark at its start included: a part of a key
// or value, never the start of the file.
QString utf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// A key or a section name as the file writes it: "/" as "\", letters,
// digits, "_", "-" and "." as they are, anything else as %XX or %UXXXX.
QByteArray escapedKey(const QString& key)
{
    QByteArray out;
    out.reserve(key.size());
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == u'/') {
            out += '\\';
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
                   c == u'-' || c == u'.') {
            out += char(c);
        } else if (c <= 0xFF) {
            out += '%';
            out += kHexDigits[c / 16];
            out += kHexDigits[c % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += kHexDigits[(c >> shift) & 0xF];
        }
    }
    return out;
}

QString unescapedKey(QByteArrayView bytes)
{
    const QString text = utf8(bytes);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u'\\') {
            out += u'/';
            ++i;
            continue;
        }
        if (c != u'%' || i == text.size() - 1) {
            out += c;
            ++i;
            continue;
        }
        qsizetype first = i + 1;
        int digits = 2;
        if (text[first] == u'U') {
            ++first;
            digits = 4;
        }
        bool ok = false;
        const ushort value =
            first + digits <= text.size() ? QStringView(text).sliced(first, digits).toUShort(&ok, 16) : 0;
        if (!ok) {
            out += u'%';
            ++i;
            continue;
        }
        out += QChar(value);
        i = first + digits;
    }
    return out;
}

// A key as QSettings asks for it: without a "/" at either end or after
// another, which its reader keeps from a section or key of the file.
QString normalizedKey(const QString& key)
{
    QString out;
    out.reserve(key.size());
    for (const QChar c : key) {
        if (c == u'/' && (out.isEmpty() || out.back() == u'/'))
            continue;
        out += c;
    }
    if (out.endsWith(u'/'))
        out.chop(1);
    return out;
}

// A text as the file writes it: quoted when it holds ";", "," or "=" or
// starts or ends with a blank, with backslash escapes for quotes,
// backslashes and control characters, and as UTF-8 otherwise.
void appendEscaped(const QString& text, QByteArray& out)
{
    const qsizetype start = out.size();
    bool quotes = false;
    bool escapeNextIfHex = false;  // a hex digit after "\x1" would join it
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar qc = text[i];
        const char16_t c = qc.unicode();
        if (c == u';' || c == u',' || c == u'=')
            quotes = true;
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (escapeNextIfHex && hex) {
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeNextIfHex = false;
        switch (c) {
        case u'\0':
            out += "\\0";
            escapeNextIfHex = true;
            break;
        case u'\a': out += "\\a"; break;
        case u'\b': out += "\\b"; break;
        case u'\f': out += "\\f"; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        case u'\t': out += "\\t"; break;
        case u'\v': out += "\\v"; break;
        case u'"':
        case u'\\':
            out += '\\';
            out += char(c);
            break;
        default:
            if (qc.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                // A character beyond the first 65536, in UTF-8 as one.
                out += QStringView(text).sliced(i++, 2).toUtf8();
            } else if (c <= 0x1F || qc.isSurrogate()) {
                // A half of a pair alone has no UTF-8.
                out += "\\x" + QByteArray::number(c, 16);
                escapeNextIfHex = true;
            } else {
                out += QStringView(&qc, 1).toUtf8();
            }
        }
    }
    if (quotes || (start < out.size() && (out.at(start) == ' ' || out.back() == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

// A text that starts with "@" is written with a second one, as QSettings
// keeps "@Invalid()" and the like for values of other kinds.
void appendText(const QString& text, QByteArray& out)
{
    appendEscaped(text.startsWith(u'@') ? QLatin1Char('@') + text : text, out);
}

QChar fromCode(char32_t code) { return code <= 0xFFFF ? QChar(char16_t(code)) : QChar(QChar::ReplacementCharacter); }

// A value as the file writes it: one text or, when it holds commas outside
// quotes, a list of texts.
struct Decoded {
    bool list = false;
    QString text;
    QStringList texts;
};

Decoded decode(QByteArrayView raw)
{
    static constexpr char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                           {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                           {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    Decoded d;
    bool inQuotes = false;
    bool quoted = false;  // the current text was quoted: its blanks are its own
    qsizetype i = 0;
    qsizetype keep = 0;  // what is before this is not chopped as trailing blanks
    const auto chopBlanks = [&] {
        if (quoted)
            return;
        qsizetype end = d.text.size();
        while (end > keep && (d.text[end - 1] == u' ' || d.text[end - 1] == u'\t'))
            --end;
        d.text.truncate(end);
    };
    const auto skipBlanks = [&] {
        while (i < raw.size() && isSpace(raw[i]))
            ++i;
        keep = d.text.size();
    };
    skipBlanks();
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\\') {
            ++i;
            if (i >= raw.size())
                break;
            const char e = raw[i++];
            bool named = false;
            for (const auto& escape : kEscapes) {
                if (e == escape[0]) {
                    d.text += QLatin1Char(escape[1]);
                    named = true;
                    break;
                }
            }
            if (!named && (e == 'x' || (e >= '0' && e <= '7'))) {
                const bool isHex = e == 'x';
                char32_t code = isHex ? 0 : char32_t(e - '0');
                for (; i < raw.size(); ++i) {
                    char h = raw[i];
                    if (isHex && h >= 'a')
                        h = char(h - ('a' - 'A'));
                    const bool digit =
                        isHex ? ((h >= '0' && h <= '9') || (h >= 'A' && h <= 'F')) : (h >= '0' && h <= '7');
                    if (!digit)
                        break;
                    const char32_t value = h <= '9' ? char32_t(h - '0') : char32_t(h - 'A' + 10);
                    code = ((code << (isHex ? 4 : 3)) + value) & 0x1FFFFF;
                }
                d.text += fromCode(code);
            } else if (!named && (e == '\n' || e == '\r')) {
                // A line continued: \n, \r, \r\n and \n\r end a line.
                if (i < raw.size() && (raw[i] == '\n' || raw[i] == '\r') && raw[i] != e)
                    ++i;
            }
            // Any other character after a backslash is dropped.
            keep = d.text.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c == ',' && !inQuotes) {
            chopBlanks();
            d.list = true;
            d.texts.append(d.text);
            d.text.clear();
            quoted = false;
            ++i;
            skipBlanks();
        } else {
            qsizetype j = i + 1;
            while (j < raw.size() && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',')
                ++j;
            d.text += utf8(raw.sliced(i, j - i));
            i = j;
        }
    }
    chopBlanks();
    if (d.list)
        d.texts.append(d.text);
    return d;
}

// A text of the file as a value: QSettings marks values of other kinds with
// "@" and doubles a leading "@" of a text.
QVariant textValue(const QString& text)
{
    if (!text.startsWith(u'@'))
        return text;
    if (text.startsWith(QLatin1String("@@")))
        return text.sliced(1);
    if (text.endsWith(u')')) {
        if (text.startsWith(QLatin1String("@String(")))
            return text.sliced(8).chopped(1);
        if (text.startsWith(QLatin1String("@ByteArray(")))
            return text.sliced(11).chopped(1);
        // @Invalid(), and @Variant(...) and the like, which nothing here reads.
        return {};
    }
    return text;
}

// A line of the file, as QSettings reads it: blanks before it skipped,
// ended by a line break or a ";" outside quotes (a comment).
struct Line {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype equals = -1;    // its first "=" outside quotes, or -1
    bool openQuote = false;   // the file ended inside quotes...
    bool openEscape = false;  // ... or right after a backslash
    // The bytes of the line breaks escaped at its end (before a backslash
    // the file ends with), which continue the line into nothing.
    qsizetype continuation = 0;
};

// The line from `pos`, and `pos` moved past it. False at the end.
bool readLine(QByteArrayView data, qsizetype& pos, Line& line)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; };
    bool inQuotes = false;
    qsizetype continuedFrom = -1, continuedTo = -1;  // the last run of escaped line breaks
    line = Line();
    qsizetype& start = line.start;
    start = pos;
    while (start < data.size() && space(data[start]))
        ++start;
    qsizetype i = start;
    while (i < data.size()) {
        const char c = data[i++];
        if (c == '=') {
            if (!inQuotes && line.equals == -1)
                line.equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < data.size()) {
                const qsizetype escape = i - 1;
                const char next = data[i++];
                if (i < data.size() && ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n')))
                    ++i;
                if (next == '\n' || next == '\r') {
                    if (continuedTo != escape)
                        continuedFrom = escape;
                    continuedTo = i;
                }
            } else {
                line.openEscape = true;
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) {
                // A comment line.
                while (i < data.size() && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < data.size() && space(data[i]))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    line.openQuote = inQuotes;
    if (continuedTo == (line.openEscape ? i - 1 : i))
        line.continuation = continuedTo - continuedFrom;
    pos = i;
    line.length = i - start;
    return line.length > 0;
}

}  // namespace

SettingsText SettingsText::parse(const QByteArray& bytes)
{
    SettingsText out;
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    QString section;  // with its "/", or empty for [General]
    qsizetype pos = 0;
    Line at;
    while (readLine(data, pos, at)) {
        const QByteArrayView line = data.sliced(at.start, at.length);
        if (line.front() == '[') {
            const qsizetype close = line.indexOf(']');
            const QByteArray name = (close < 0 ? line.sliced(1) : line.sliced(1, close - 1)).toByteArray().trimmed();
            if (name.compare("general", Qt::CaseInsensitive) == 0)
                section.clear();
            else if (name.compare("%general", Qt::CaseInsensitive) == 0)
                section = QString::fromLatin1(name.sliced(1)) + u'/';
            else
                section = unescapedKey(name) + u'/';
            continue;
        }
        if (at.equals < 0)
            continue;
        qsizetype keyEnd = at.equals;
        while (keyEnd > at.start && isSpace(data[keyEnd - 1]))
            --keyEnd;
        const QString name = unescapedKey(data.sliced(at.start, keyEnd - at.start));
        const QString key = normalizedKey(section + name);
        if (name.isEmpty() || key.isEmpty())
            continue;
        // A value the file's end cut off is kept closed, and one continued
        // into nothing ends, as either reads: so that it stays one value when
        // a line follows it in the file written.
        QByteArray value = data.sliced(at.equals + 1, at.start + at.length - at.equals - 1).toByteArray();
        if (at.openEscape)
            value.chop(1);
        value.chop(std::min(at.continuation, value.size()));
        if (at.openQuote)
            value += '"';
        out.raw_.insert(key, value);
    }
    return out;
}

QByteArray SettingsText::bytes() const
{
    // [General] first, then the groups in order, each with its keys in order.
    QMap<QString, QList<QPair<QString, QByteArray>>> sections;
    for (auto it = raw_.begin(); it != raw_.end(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        const QString section = slash < 0 ? QString() : it.key().first(slash);
        sections[section].append({slash < 0 ? it.key() : it.key().sliced(slash + 1), it.value()});
    }
    QByteArray out;
    for (auto it = sections.begin(); it != sections.end(); ++it) {
        if (!out.isEmpty())
            out += '\n';
        if (it.key().isEmpty())
            out += "[General]\n";
        else if (it.key().compare(QLatin1String("general"), Qt::CaseInsensitive) == 0)
            out += "[%" + it.key().toLatin1() + "]\n";
        else
            out += '[' + escapedKey(it.key()) + "]\n";
        for (const auto& [key, value] : it.value())
            out += escapedKey(key) + '=' + value + '\n';
    }
    return out;
}

QVariant SettingsText::value(const QString& key, const QVariant& fallback) const
{
    const auto it = raw_.constFind(key);
    if (it == raw_.constEnd())
        return fallback;
    const Decoded d = decode(*it);
    if (!d.list) {
        const QVariant v = textValue(d.text);
        return v.isValid() ? v : fallback;
    }
    QStringList texts;
    for (const QString& text : d.texts)
        texts.append(textValue(text).toString());
    return texts;
}

void SettingsText::setValue(const QString& key, const QString& text)
{
    QByteArray out;
    appendText(text, out);
    raw_.insert(key, out);
}

void SettingsText::setValue(const QString& key, const QStringList& texts)
{
    QByteArray out;
    if (texts.isEmpty())
        out = "@Invalid()";
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            out += ", ";
        appendText(texts[i], out);
    }
    raw_.insert(key, out);
}

void SettingsText::setValue(const QString& key, double number)
{
    setValue(key, QString::number(number, 'g', QLocale::FloatingPointShortest));
}

void SettingsText::remove(const QString& key)
{
    const QString under = key + u'/';
    raw_.removeIf([&](const auto& entry) { return entry.key() == key || entry.key().startsWith(under); });
}

}  // namespace platform
