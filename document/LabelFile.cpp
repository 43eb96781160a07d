#include "document/LabelFile.h"

#include "platform/FileKind.h"

#include "ui/ColorValue.h"

#include <QStringDecoder>
#include <QHash>

#include <algorithm>
#include <cfloat>
#include <array>
#include <charconv>
#include <limits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace document::labelfile {

namespace {

const char* const kCodec = "windows-1252";

// --- writing ---------------------------------------------------------------

// Numbers stand between one leading blank (or the minus sign) and one
// trailing blank.
QByteArray number(const QString& digits)
{
    return (digits.startsWith(QLatin1Char('-')) ? QByteArray() : QByteArray(" ")) + digits.toLatin1() + ' ';
}
QByteArray integer(qint64 value) { return number(QString::number(value)); }
QByteArray single(float value) { return number(formatSingle(value)); }
QByteArray boolean(bool value) { return value ? QByteArrayLiteral("True") : QByteArrayLiteral("False"); }
QByteArray colour(quint32 value) { return integer(qint32(value)); }

// Windows-1252, as the system's converter (ICU) defines it, taken once into
// a table: a label file holds many short texts, and opening a converter for
// each one would cost more than reading the file.
struct Codepage {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    Codepage()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        const QString decoded = QStringDecoder(kCodec).decode(all);
        Q_ASSERT(decoded.size() == 256);
        for (int i = 0; i < 256 && i < decoded.size(); ++i) {
            toUnicode[size_t(i)] = decoded[i].unicode();
            fromUnicode.insert(decoded[i].unicode(), char(i));
        }
    }
    static const Codepage& get()
    {
        static const Codepage codepage;
        return codepage;
    }
};

bool encodable(const QString& text)
{
    const Codepage& cp = Codepage::get();
    for (QChar c : text) {
        if (!cp.fromUnicode.contains(c.unicode()))
            return false;
    }
    return true;
}

// Characters that cannot be held are written as "?" (one for a surrogate pair).
QByteArray text(const QString& value)
{
    const Codepage& cp = Codepage::get();
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const auto found = cp.fromUnicode.constFind(value[i].unicode());
        if (found != cp.fromUnicode.constEnd()) {
            out += *found;
            continue;
        }
        out += '?';
        if (value[i].isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate())
            ++i;
    }
    return out;
}

QString decode(const QByteArray& bytes)
{
    const Codepage& cp = Codepage::get();
    QString out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(cp.toUnicode[uchar(bytes[i])]);
    return out;
}

// --- reading ---------------------------------------------------------------

struct Raw {
    QByteArray bytes;
    int line;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Splits the file into its first kValueCount values. Blanks at a value's
// start are skipped; a comma, a CR or a CR LF ends it; a lone LF does not.
std::optional<Failure> split(const QByteArray& data, QList<Raw>& values)
{
    qsizetype pos = 0;
    int line = 1;
    const qsizetype size = data.size();
    while (values.size() < kValueCount) {
        if (pos >= size)
            return Failure{
                line,
                int(values.size()) + 1,
                QStringLiteral("the file ends after %1 of its %2 values").arg(values.size()).arg(kValueCount),
                {}};
        const int startLine = line;
        while (pos < size && isBlank(data[pos]))
            ++pos;
        const qsizetype start = pos;
        const char* begin = data.constData() + pos;
        const char* end = data.constData() + size;
        const char* comma = static_cast<const char*>(std::memchr(begin, ',', size_t(end - begin)));
        const char* cr = static_cast<const char*>(std::memchr(begin, '\r', size_t((comma ? comma : end) - begin)));
        const char* stop = cr ? cr : comma ? comma : end;
        // A lone LF belongs to the value, but still counts as a line of the file.
        for (const char* lf = begin; (lf = static_cast<const char*>(std::memchr(lf, '\n', size_t(stop - lf))));) {
            ++line;
            ++lf;
        }
        pos = stop - data.constData();
        values.append(Raw{data.mid(start, pos - start), startLine});
        if (pos < size && data[pos] == ',') {
            ++pos;
        } else if (pos < size) {
            ++pos;
            if (pos < size && data[pos] == '\n')
                ++pos;
            ++line;
        }
    }
    return std::nullopt;
}

QString shown(const QByteArray& raw)
{
    QString s = decode(raw);
    if (s.size() > 40)
        s = s.left(40) + QStringLiteral("...");
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// The power of ten of a decimal number's first significant digit (2 for
// "123.4", -3 for "0.00123e0"): a number out of a double's range is too small
// when it is negative, too large otherwise.
long long leadingPower(const char* first, const char* last)
{
    const std::string_view text(first, size_t(last - first));
    const size_t e = std::min(text.find_first_of("eE"), text.size());
    const std::string_view digits = text.substr(0, e);
    long long exponent = 0;
    if (e < text.size()) {
        std::string_view power = text.substr(e + 1);
        if (!power.empty() && power.front() == '+')
            power.remove_prefix(1);
        const auto [end, error] = std::from_chars(power.data(), power.data() + power.size(), exponent);
        // An exponent beyond long long decides alone.
        if (error == std::errc::result_out_of_range)
            exponent = power.front() == '-' ? std::numeric_limits<long long>::min() / 2
                                            : std::numeric_limits<long long>::max() / 2;
    }
    const size_t point = std::min(digits.find('.'), digits.size());
    const size_t lead = std::min(digits.find_first_of("123456789"), digits.size());
    const long long place = lead < point ? (long long)(point - lead) - 1 : -(long long)(lead - point);
    return place + exponent;
}

// A number with blanks around it; empty is 0.
std::optional<double> toNumber(const QByteArray& raw)
{
    qsizetype a = 0, b = raw.size();
    while (a < b && isBlank(raw[a]))
        ++a;
    while (b > a && isBlank(raw[b - 1]))
        --b;
    if (a == b)
        return 0.0;
    // Decimal digits with an optional point, sign and exponent; no words
    // such as "inf", no hexadecimal.
    const char* first = raw.constData() + a;
    const char* last = raw.constData() + b;
    if (*first == '+' && last - first > 1 && first[1] != '-')
        ++first;
    const char lead = *first == '-' && last - first > 1 ? first[1] : *first;
    if (!(lead == '.' || (lead >= '0' && lead <= '9')))
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (end != last || (error != std::errc() && error != std::errc::result_out_of_range))
        return std::nullopt;
    if (error == std::errc::result_out_of_range)
        value = leadingPower(first, last) < 0 ? 0.0 : std::numeric_limits<double>::infinity();
    return value;
}

// Reads the values one by one into a card, checking each as it goes.
class Reader {
public:
    explicit Reader(const QList<Raw>& values) : values_(values) {}

    std::optional<Failure> failure;
    int lineIndex = -1;  // the text line being read; -1 for the card's values

    // Whether a value can be applied, or why not.
    using Check = ui::Result<void, QString> (*)(float);
    using What = const char*;

    bool integer16(What what, qint16& out)
    {
        const auto n = numeric(what);
        if (!n)
            return false;
        const double r = std::nearbyint(*n);  // halves to even
        if (r < -32768 || r > 32767)
            return fail(what, QStringLiteral("is outside -32768 to 32767"));
        out = qint16(r);
        return true;
    }

    bool single(What what, float& out, Check check = nullptr)
    {
        const auto n = numeric(what);
        if (!n)
            return false;
        if (!std::isfinite(*n) || std::fabs(*n) > double(FLT_MAX))
            return fail(what, QStringLiteral("is too large"));
        const float value = float(*n);
        if (check) {
            if (const auto checked = check(value); !checked)
                return fail(what, checked.error());
        }
        out = value;
        return true;
    }

    bool colour(What what, quint32& out)
    {
        const auto n = numeric(what);
        if (!n)
            return false;
        const double r = std::nearbyint(*n);
        if (r < -2147483648.0 || r > 2147483647.0)
            return fail(what, QStringLiteral("is not a 32-bit colour value"));
        const quint32 value = quint32(qint32(r));
        if (!ui::isColorValue(value))
            return fail(what, QStringLiteral("is neither an RGB colour nor a system colour"));
        out = value;
        return true;
    }

    bool boolean(What what, bool& out)
    {
        const QByteArray raw = next();
        const QByteArray word = raw.trimmed().toLower();
        if (word == "true" || word == "false") {
            out = word == "true";
            return true;
        }
        if (const auto n = toNumber(raw)) {
            out = *n != 0;
            return true;
        }
        return fail(what, shown(raw) + QStringLiteral(" is neither True nor False"), false);
    }

    bool text(QString& out)
    {
        out = decode(next());
        return true;
    }

    bool text(What what, QString& out, int most)
    {
        text(out);
        if (out.size() > most)
            return fail(what, QStringLiteral("is longer than %1 characters").arg(most));
        return true;
    }

private:
    QByteArray next()
    {
        current_ = index_;
        return values_[index_++].bytes;
    }

    std::optional<double> numeric(What what)
    {
        const QByteArray raw = next();
        const auto n = toNumber(raw);
        if (!n)
            fail(what, shown(raw) + QStringLiteral(" is not a number"), false);
        return n;
    }

    bool fail(What what, const QString& why, bool withValue = true)
    {
        const QString value = withValue ? shown(values_[current_].bytes) + QLatin1Char(' ') : QString();
        const QString field = lineIndex < 0
                                  ? QString::fromLatin1(what)
                                  : QStringLiteral("line %1's %2").arg(lineIndex + 1).arg(QLatin1String(what));
        failure =
            Failure{values_[current_].line, int(current_) + 1, QStringLiteral("%1 (%2)").arg(value + why, field), {}};
        return false;
    }

    const QList<Raw>& values_;
    qsizetype index_ = 0;
    qsizetype current_ = 0;
};

// Why a file that failed is perhaps no label file at all: a file of another
// kind (a picture, a program, bytes no text has), or text written by other
// programs: a UTF-8 byte-order mark, UTF-8 text (non-ASCII bytes that all
// decode as UTF-8), LF alone at line ends. Said only of a file that failed:
// a Windows-1252 label file may be valid UTF-8 too.
QString likelyCause(const QByteArray& bytes)
{
    const QString kind = platform::fileKind(bytes, bytes.size());
    const bool binary = std::any_of(bytes.begin(), bytes.end(), [](char c) {
        return (uchar(c) < 0x20 && !QByteArrayView("\t\n\r").contains(c)) || c == 0x7F;
    });
    if (!kind.isEmpty() && kind != QLatin1String("plain text"))
        return QStringLiteral("It is not a label file but %1.").arg(kind);
    if (binary)
        return QStringLiteral("It is not a label file: it holds bytes that are not text.");
    QStringList causes;
    if (bytes.startsWith("\xef\xbb\xbf")) {
        causes << QStringLiteral("it begins with a UTF-8 byte-order mark");
    } else if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; })) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        (void)utf8.decode(bytes);
        if (!utf8.hasError())
            causes << QStringLiteral("it is UTF-8 text");
    }
    if (bytes.contains('\n') && !bytes.contains('\r'))
        causes << QStringLiteral("its lines end in LF alone");
    if (causes.isEmpty())
        return {};
    return QStringLiteral(
               "The file was perhaps written by another program: %1. A label file is Windows-1252 text "
               "with CR LF after every value.")
        .arg(causes.join(QStringLiteral(" and ")));
}

ui::Result<void, QString> cardSizeCheck(float twips, int least, int most)
{
    if (!(twips >= least && twips <= most))
        return ui::failed(QStringLiteral("is a card size no window can have (%1 to %2 twips)").arg(least).arg(most));
    return {};
}

ui::Result<void, QString> fontSizeCheck(float points)
{
    if (!(points > 0) || points > kMaxFontSize)
        return ui::failed(QStringLiteral("is not a font size (above 0, at most %1 points)").arg(double(kMaxFontSize)));
    return {};
}

ui::Result<void, QString> boxSizeCheck(float mm)
{
    if (mm < 0)
        return ui::failed(QStringLiteral("is a negative size"));
    return {};
}

}  // namespace

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

QString escapeCaption(const QString& caption)
{
    QString out = caption;
    out.replace(QLatin1Char(','), QLatin1Char('~'));
    out.replace(QLatin1Char('\r'), QLatin1Char('|'));
    return out;
}

QString unescapeCaption(const QString& stored)
{
    QString out = stored;
    out.replace(QLatin1Char('~'), QLatin1Char(','));
    out.replace(QLatin1Char('|'), QLatin1Char('\r'));
    return out;
}

QByteArray write(const CardValues& card)
{
    QByteArray out;
    const auto put = [&out](const QByteArray& value) { out += value + "\r\n"; };
    put(integer(card.txtamt));
    put(single(card.Height));
    put(single(card.Width));
    put(colour(card.BackColor));
    put(text(card.cardpc));
    for (const TextLine& line : card.lines) {
        put(single(line.Top));
        put(single(line.Left));
        put(text(escapeCaption(line.Caption)));
        put(text(line.FontName));
        put(single(line.FontSize));
        put(boolean(line.FontBold));
        put(boolean(line.FontItalic));
        put(boolean(line.FontStrikethru));
        put(boolean(line.FontUnderline));
        put(colour(line.ForeColor));
        put(single(line.Height));
        put(single(line.Width));
        put(boolean(line.Visible));
    }
    return out;
}

QStringList problems(const CardValues& card)
{
    QStringList out;
    const auto plain = [&out](const QString& what, const QString& value) {
        if (value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n')))
            out << QStringLiteral("%1 \"%2\" holds a comma or a line break, so it would not load back.")
                       .arg(what, value);
        else if (!value.isEmpty() && isBlank(value.at(0).toLatin1()))
            out << QStringLiteral("%1 \"%2\" begins with blanks, which would be lost.").arg(what, value);
    };
    const auto encodes = [&out](const QString& what, const QString& value) {
        if (!encodable(value))
            out << QStringLiteral("%1 \"%2\" has characters a label file cannot hold; each is saved as \"?\".")
                       .arg(what, value);
    };
    plain(QStringLiteral("The picture path"), card.cardpc);
    encodes(QStringLiteral("The picture path"), card.cardpc);
    for (int i = 0; i < kLineCount; ++i) {
        const TextLine& line = card.lines[size_t(i)];
        const QString name = QStringLiteral("Line %1").arg(i + 1);
        plain(QStringLiteral("The font name of %1").arg(name.toLower()), line.FontName);
        encodes(QStringLiteral("The font name of %1").arg(name.toLower()), line.FontName);
        encodes(QStringLiteral("The text of %1").arg(name.toLower()), line.Caption);
    }
    return out;
}

ui::Result<ReadCard, Failure> read(const QByteArray& bytes)
{
    QList<Raw> values;
    values.reserve(kValueCount);
    const auto failed = [&bytes](Failure failure) {
        failure.hint = likelyCause(bytes);
        return ui::failed(std::move(failure));
    };
    if (auto failure = split(bytes, values))
        return failed(*failure);

    CardValues card;
    Reader r(values);
    const Reader::Check height = [](float v) { return cardSizeCheck(v, kMinCardHeight, kMaxCardHeight); };
    const Reader::Check width = [](float v) { return cardSizeCheck(v, kMinCardWidth, kMaxCardWidth); };
    bool ok = r.integer16("the number of lines", card.txtamt) && r.single("the card height", card.Height, height) &&
              r.single("the card width", card.Width, width) && r.colour("the background colour", card.BackColor) &&
              r.text("the picture path", card.cardpc, kMaxPicturePathLength);
    QList<int> cut;
    for (int i = 0; ok && i < kLineCount; ++i) {
        TextLine& l = card.lines[size_t(i)];
        r.lineIndex = i;
        QString stored;
        ok = r.single("top", l.Top) && r.single("left", l.Left) && r.text(stored) &&
             r.text("font name", l.FontName, kMaxFontNameLength) && r.single("font size", l.FontSize, fontSizeCheck) &&
             r.boolean("bold", l.FontBold) && r.boolean("italic", l.FontItalic) &&
             r.boolean("strikethrough", l.FontStrikethru) && r.boolean("underline", l.FontUnderline) &&
             r.colour("text colour", l.ForeColor) && r.single("height", l.Height, boxSizeCheck) &&
             r.single("width", l.Width, boxSizeCheck) && r.boolean("visibility", l.Visible);
        l.Caption = unescapeCaption(stored);
        if (l.Caption.size() > kMaxCaptionLength) {
            l.Caption.truncate(kMaxCaptionLength);
            cut.append(i);
        }
    }
    if (!ok)
        return failed(*r.failure);
    return ReadCard{card, cut};
}

}  // namespace document::labelfile
