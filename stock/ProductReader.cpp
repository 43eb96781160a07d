#include "stock/ProductReader.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

#include <charconv>
#include <cmath>

namespace stock {

namespace {

constexpr Length kMaxLength = Length::pt(100000);  // about 35 m
// What the reasons round away: an overhang or an overlap they would give as
// the allowed 3.0 or 1.0 mm is allowed.
constexpr Length kSlack = Length::mm(0.05);

QString millimetres(Length length) { return QString::number(length.toMm(), 'f', 1); }

QString dimensions(LengthSize size)
{
    return QStringLiteral("%1 x %2 mm").arg(millimetres(size.width), millimetres(size.height));
}

// Reads the attributes of one element, keeping the first problem found.
class Attributes {
public:
    Attributes(const QXmlStreamAttributes& attributes, QStringView element, QString& problem)
        : attributes_(attributes), element_(element), problem_(problem)
    {
    }

    bool has(QLatin1String name) const { return attributes_.hasAttribute(name); }
    QString text(QLatin1String name) const { return attributes_.value(name).toString(); }

    // A length. An absent or empty attribute is `fallback`, or a problem
    // when there is none.
    Length length(QLatin1String name, std::optional<Length> fallback = std::nullopt)
    {
        const QStringView value = attributes_.value(name);
        if (value.trimmed().isEmpty()) {
            if (!fallback)
                fail(QStringLiteral("%1 has no %2").arg(element_, name));
            return fallback.value_or(Length());
        }
        const auto parsed = parseLength(value);
        if (!parsed)
            fail(QStringLiteral("%1 is not a length in pt, in, mm, cm or pc").arg(quoted(name)));
        return parsed.value_or(Length());
    }

    Length positive(QLatin1String name)
    {
        const Length value = length(name);
        if (value <= Length())
            fail(QStringLiteral("%1 is not above zero").arg(quoted(name)));
        return value;
    }

    Length nonNegative(QLatin1String name, std::optional<Length> fallback = Length())
    {
        const Length value = length(name, fallback);
        if (value < Length())
            fail(QStringLiteral("%1 is negative").arg(quoted(name)));
        return value;
    }

    int count(QLatin1String name)
    {
        bool ok = false;
        const int value = attributes_.value(name).trimmed().toInt(&ok);
        if (!ok || value < 1 || value > kMaxAcross) {
            fail(
                QStringLiteral("%1 is not a whole number from 1 to %2").arg(quoted(name), QString::number(kMaxAcross)));
            return 1;
        }
        return value;
    }

    void fail(const QString& why)
    {
        if (problem_.isEmpty())
            problem_ = why;
    }

private:
    QString quoted(QLatin1String name) const
    {
        return QStringLiteral("%1=\"%2\" of %3").arg(name, excerpt(attributes_.value(name)), element_);
    }

    const QXmlStreamAttributes& attributes_;
    QStringView element_;
    QString& problem_;
};

const QString kRestLeftOut = QStringLiteral("; the rest of the file is left out");

// The bytes of a file that XML can read: all of them, or those before the
// first that is not UTF-8 text or is a NUL. For the first, QXmlStreamReader
// would refuse the whole file, at its first line; for a NUL, its message
// would leave the NUL out.
struct Readable {
    QByteArray bytes;
    QString cut;  // why the rest is left out, or empty
    qint64 cutLine = 0;
};

// How XML reads the bytes: in an encoding of which ASCII is a part (no byte
// order mark of UTF-16 or UTF-32), so that a NUL byte is a NUL; and, of
// those, in UTF-8, the encoding without a declaration of another.
struct Encoding {
    bool ascii = true;
    bool utf8 = true;
};

Encoding encodingOf(const QByteArray& bytes)
{
    const std::optional<QStringConverter::Encoding> mark = QStringConverter::encodingForData(bytes, u'<');
    if (mark && *mark != QStringConverter::Utf8)
        return {false, false};
    QXmlStreamReader declaration(bytes.left(bytes.indexOf('>') + 1));
    declaration.readNext();
    const QStringView encoding = declaration.documentEncoding();
    return {true, encoding.isEmpty() || encoding.compare(u"UTF-8", Qt::CaseInsensitive) == 0 ||
                      encoding.compare(u"UTF8", Qt::CaseInsensitive) == 0};
}

bool holdsNonUtf8(QByteArrayView bytes, QStringConverter::Flags flags)
{
    QStringDecoder decoder(QStringConverter::Utf8, flags);
    (void)QString(decoder(bytes));
    return decoder.hasError();
}

// Where the first bytes that are not UTF-8 begin, or -1.
qsizetype firstNonUtf8(QByteArrayView bytes)
{
    if (!holdsNonUtf8(bytes, QStringConverter::Flag::Stateless))
        return -1;
    // A start of the bytes holds an error once it holds the first bad byte (a
    // sequence it cuts short is none yet): the shortest such start ends with
    // that byte.
    qsizetype end = bytes.size();  // a sequence cut short by the end of the file
    if (holdsNonUtf8(bytes, QStringConverter::Flag::Default)) {
        qsizetype good = 0, bad = bytes.size();
        while (bad - good > 1) {
            const qsizetype middle = good + (bad - good) / 2;
            (holdsNonUtf8(bytes.first(middle), QStringConverter::Flag::Default) ? bad : good) = middle;
        }
        end = bad - 1;
    }
    // The sequence that the bad byte ends or breaks begins after the last ASCII.
    while (end > 0 && uchar(bytes[end - 1]) >= 0x80)
        --end;
    return end;
}

Readable readable(const QByteArray& bytes)
{
    const Encoding encoding = encodingOf(bytes);
    const qsizetype nul = encoding.ascii ? bytes.indexOf('\0') : -1;
    const qsizetype bad = encoding.utf8 ? firstNonUtf8(nul < 0 ? bytes : bytes.first(nul)) : -1;
    QString why;
    qsizetype cut = -1;
    if (bad >= 0) {
        cut = bad;
        why = QStringLiteral("a byte here is not UTF-8 text (0x%1)").arg(uchar(bytes[bad]), 2, 16, QLatin1Char('0'));
    } else if (nul >= 0) {
        cut = nul;
        why =
            QStringLiteral("the file holds a NUL (%1) here, which is not XML text").arg(excerpt(QStringView(u"\0", 1)));
    } else {
        return {bytes, {}, 0};
    }
    return {bytes.first(cut), why + kRestLeftOut, 1 + bytes.first(cut).count('\n')};
}

// Why the file is to be read no further at this token, or nothing: a
// DOCTYPE that declares entities.
QString refusedDtd(const QXmlStreamReader& xml)
{
    if (xml.tokenType() != QXmlStreamReader::DTD || xml.entityDeclarations().isEmpty())
        return {};
    return QStringLiteral("its DOCTYPE declares entities, which label product files never need; the file is not read");
}

// An attribute of the start element, or the text, that is longer than
// kMaxText, or nothing.
QString oversized(const QXmlStreamReader& xml)
{
    if (xml.isCharacters() && xml.text().size() > kMaxText)
        return QStringLiteral("a text of %1 characters is longer than %2").arg(xml.text().size()).arg(kMaxText);
    if (xml.isStartElement()) {
        for (const QXmlStreamAttribute& a : xml.attributes())
            if (a.value().size() > kMaxText)
                return QStringLiteral("the attribute %1 of %2 is longer than %3 characters")
                    .arg(excerpt(a.name()), excerpt(xml.name()))
                    .arg(kMaxText);
    }
    return {};
}

// Why reading ended before the end of the file, and where.
struct Stop {
    QString why;
    qint64 line = 0;
};

std::optional<Stop> stopped(const QXmlStreamReader& xml, const Readable& input)
{
    const bool cut = !input.cut.isEmpty();
    if (xml.hasError() && !(cut && xml.error() == QXmlStreamReader::PrematureEndOfDocumentError))
        return Stop{QStringLiteral("the XML is not well-formed here (%1); the rest of the file is left out")
                        .arg(excerpt(xml.errorString())),
                    xml.lineNumber()};
    if (cut)
        return Stop{input.cut, input.cutLine};
    return std::nullopt;
}

// One Template element as it is read.
struct Pending {
    Product product;
    bool alias = false;
    int labels = 0;  // label shape elements
    QString problem;
};

void readTemplate(Pending& p, const QXmlStreamAttributes& attributes, const PaperSizes& papers)
{
    Attributes a(attributes, u"Template", p.problem);
    Product& product = p.product;
    product.brand = a.text(QLatin1String("brand"));
    product.part = a.text(QLatin1String("part"));
    if (a.has(QLatin1String("equiv"))) {
        p.alias = true;
        product.sameAs = a.text(QLatin1String("equiv"));
        return;
    }
    product.description =
        a.text(a.has(QLatin1String("_description")) ? QLatin1String("_description") : QLatin1String("description"));
    product.paperId = a.text(QLatin1String("size"));
    if (product.paperId == QLatin1String("Other")) {
        product.paper = {a.positive(QLatin1String("width")), a.positive(QLatin1String("height"))};
    } else if (product.paperId.isEmpty()) {
        a.fail(QStringLiteral("Template has no size"));
    } else {
        const auto paper = papers.constFind(product.paperId);
        if (paper == papers.constEnd())
            a.fail(QStringLiteral("paper size \"%1\" is unknown").arg(excerpt(product.paperId)));
        else
            product.paper = *paper;
    }
}

void readMeta(Product& product, const QXmlStreamAttributes& a)
{
    const QString category = a.value(QLatin1String("category")).toString();
    if (!category.isEmpty() && !product.categories.contains(category))
        product.categories.append(category);
    if (a.value(QLatin1String("print")) == QLatin1String("mirrored"))
        product.mirrored = true;
}

// The label shape elements; false for any other element.
bool readShape(Pending& p, QStringView element, const QXmlStreamAttributes& attributes)
{
    LabelShape shape;
    if (element == QLatin1String("Label-rectangle"))
        shape.kind = LabelShape::Rectangle;
    else if (element == QLatin1String("Label-round"))
        shape.kind = LabelShape::Round;
    else if (element == QLatin1String("Label-ellipse"))
        shape.kind = LabelShape::Ellipse;
    else if (element == QLatin1String("Label-cd"))
        shape.kind = LabelShape::Cd;
    else
        return false;
    if (++p.labels > 1)
        return true;
    Attributes a(attributes, element, p.problem);
    if (shape.kind == LabelShape::Rectangle || shape.kind == LabelShape::Ellipse) {
        shape.size = {a.positive(QLatin1String("width")), a.positive(QLatin1String("height"))};
    } else {
        shape.radius = a.positive(QLatin1String("radius"));
        shape.size = {2 * shape.radius, 2 * shape.radius};
    }
    if (shape.kind == LabelShape::Rectangle)
        shape.corner = a.nonNegative(QLatin1String("round"));
    if (shape.kind == LabelShape::Cd) {
        shape.hole = a.nonNegative(QLatin1String("hole"), std::nullopt);
        // A clipped disc: the label is cut narrower or shorter than it.
        if (a.has(QLatin1String("width")))
            shape.size.width = a.positive(QLatin1String("width"));
        if (a.has(QLatin1String("height")))
            shape.size.height = a.positive(QLatin1String("height"));
        if (2 * shape.hole >= std::min({2 * shape.radius, shape.size.width, shape.size.height}))
            a.fail(QStringLiteral("the hole of Label-cd is not smaller than the disc"));
    }
    if (a.has(QLatin1String("x_waste")) || a.has(QLatin1String("y_waste"))) {
        shape.xWaste = a.nonNegative(QLatin1String("x_waste"));
        shape.yWaste = a.nonNegative(QLatin1String("y_waste"));
    } else {
        shape.xWaste = shape.yWaste = a.nonNegative(QLatin1String("waste"));
    }
    p.product.shape = shape;
    return true;
}

void readMargin(Pending& p, const QXmlStreamAttributes& attributes)
{
    Attributes a(attributes, u"Markup-margin", p.problem);
    p.product.shape.margin = a.nonNegative(QLatin1String("size"));
}

// A layout the file gives twice is one: printing it twice would put every
// label of it on itself.
void readLayout(Pending& p, const QXmlStreamAttributes& attributes)
{
    Attributes a(attributes, u"Layout", p.problem);
    Layout layout;
    layout.nx = a.count(QLatin1String("nx"));
    layout.ny = a.count(QLatin1String("ny"));
    layout.x0 = a.length(QLatin1String("x0"), Length());
    layout.y0 = a.length(QLatin1String("y0"), Length());
    layout.dx = a.nonNegative(QLatin1String("dx"));
    layout.dy = a.nonNegative(QLatin1String("dy"));
    if ((layout.nx > 1 && layout.dx == Length()) || (layout.ny > 1 && layout.dy == Length()))
        a.fail(QStringLiteral("a Layout of several labels has no dx or dy: they would lie on one another"));
    if (!p.product.layouts.contains(layout))
        p.product.layouts.append(layout);
}

// Why `size` is no label or paper size: under 1 mm or over 2 m.
QString sizeProblem(const char* what, LengthSize size)
{
    if (std::min(size.width, size.height) < kMinSize * (1 - 1e-9))
        return QStringLiteral("%1 is %2: smaller than 1 mm").arg(QLatin1String(what), dimensions(size));
    if (std::max(size.width, size.height) > kMaxPaper * (1 + 1e-9))
        return QStringLiteral("%1 is %2: larger than 2 m").arg(QLatin1String(what), dimensions(size));
    return {};
}

// How far the labels reach past the paper's edge, or 0.
Length overhang(const Product& product)
{
    Length out;
    const LengthSize label = product.shape.size;
    for (const Layout& l : product.layouts) {
        const Length right = l.x0 + (l.nx - 1) * l.dx + label.width;
        const Length bottom = l.y0 + (l.ny - 1) * l.dy + label.height;
        out = std::max({out, -l.x0, -l.y0, right - product.paper.width, bottom - product.paper.height});
    }
    return out;
}

// How deep two labels of `shape` lie on one another, `offset` apart: 0 or
// less where they do not. Every shape is symmetric about both of its axes
// and convex, so two of them overlap where half the offset lies in one
// centred on the origin, by twice its distance from the edge. In points,
// as the cells lie on the page.
double overlapDepth(const LabelShape& shape, QPointF offset)
{
    const double x = std::abs(offset.x()) / 2, y = std::abs(offset.y()) / 2;
    const double w = shape.size.width.toPt() / 2, h = shape.size.height.toPt() / 2;
    double inside = std::min(w - x, h - y);
    switch (shape.kind) {
    case LabelShape::Rectangle: {
        const double r = std::min({shape.corner.toPt(), w, h});
        if (x > w - r && y > h - r)
            inside = std::min(inside, r - std::hypot(x - (w - r), y - (h - r)));
        break;
    }
    case LabelShape::Round:
    case LabelShape::Ellipse:
        // At least this far inside: an ellipse holds a disc of its smaller
        // radius, and so its shrunken copies hold smaller discs.
        inside = std::min(inside, (1 - std::hypot(x / w, y / h)) * std::min(w, h));
        break;
    case LabelShape::Cd: inside = std::min(inside, shape.radius.toPt() - std::hypot(x, y)); break;
    }
    return 2 * inside;
}

// Two labels that lie on one another by more than the makers' rounding, or
// nothing. cells() lists the labels by their tops, give or take
// kRowTolerance, so each is compared with those before it whose tops lie
// less than a label's height above its own.
QString overlapProblem(const Product& product)
{
    const QList<Cell> sheet = cells(product);
    const QSizeF size = product.shape.size.toPt();
    const double allowed = std::min(kOverlapAllowed.toPt(), std::min(size.width(), size.height()) / 10);
    const auto name = [](const Cell& c) {
        return QStringLiteral("Layout %1, row %2, column %3").arg(c.layout).arg(c.row).arg(c.column);
    };
    for (qsizetype i = 1; i < sheet.size(); ++i) {
        const QPointF at = sheet[i].rect.topLeft();
        for (qsizetype j = i - 1; j >= 0 && at.y() - sheet[j].rect.top() < size.height() + kRowTolerance.toPt(); --j) {
            const QPointF offset = at - sheet[j].rect.topLeft();
            if (std::abs(offset.x()) >= size.width() || std::abs(offset.y()) >= size.height())
                continue;
            const double depth = overlapDepth(product.shape, offset);
            if (depth > allowed + kSlack.toPt())
                return QStringLiteral("its labels overlap by %1 mm (%2 and %3)")
                    .arg(millimetres(Length::pt(depth)), name(sheet[j]), name(sheet[i]));
        }
    }
    return {};
}

// The checks that need the whole product.
QString wholeProductProblem(const Product& product, int labels)
{
    if (labels == 0)
        return QStringLiteral("has no label shape");
    if (labels > 1)
        return QStringLiteral("has more than one label shape");
    if (product.layouts.isEmpty())
        return QStringLiteral("has no Layout");
    if (QString why = sizeProblem("its paper", product.paper); !why.isEmpty())
        return why;
    if (QString why = sizeProblem("its label", product.shape.size); !why.isEmpty())
        return why;
    if (product.cellCount() > kMaxCells)
        return QStringLiteral("has more than %1 labels on a sheet").arg(kMaxCells);
    if (const Length past = overhang(product); past > kOverhangAllowed + kSlack)
        return QStringLiteral("its labels leave the paper by %1 mm").arg(millimetres(past));
    return overlapProblem(product);
}

void finish(Pending& p, const QString& file, qint64 line, FileContents& out)
{
    Product& product = p.product;
    QString problem = p.problem;
    if (product.brand.isEmpty() || product.part.isEmpty()) {
        problem = QStringLiteral("has no brand or part");
    } else if (p.alias && problem.isEmpty()) {
        out.aliases.append(Alias{product.brand, product.part, product.sameAs, file, line});
        return;
    }
    if (problem.isEmpty())
        problem = wholeProductProblem(product, p.labels);
    if (!problem.isEmpty()) {
        out.rejected.append(Rejection{file, line, product.brand, product.part, problem});
        return;
    }
    // A hundredth of a millimetre past the edge is the makers' rounding.
    const Length past = overhang(product);
    product.overhang = past > Length::mm(0.01) ? past : Length();
    product.file = file;
    product.line = line;
    out.products.append(std::move(product));
}

}  // namespace

std::optional<Length> parseLength(QStringView text)
{
    text = text.trimmed();
    qsizetype unitStart = text.size();
    while (unitStart > 0 && text[unitStart - 1].isLetter())
        --unitStart;
    const QStringView unit = text.mid(unitStart);
    Length unitLength;
    if (unit.isEmpty() || unit == QLatin1String("pt"))
        unitLength = Length::pt(1);
    else if (unit == QLatin1String("in"))
        unitLength = Length::in(1);
    else if (unit == QLatin1String("mm"))
        unitLength = Length::mm(1);
    else if (unit == QLatin1String("cm"))
        unitLength = Length::mm(10);
    else if (unit == QLatin1String("pc"))
        unitLength = Length::pt(12);
    else
        return std::nullopt;
    QStringView number = text.left(unitStart).trimmed();
    if (number.isEmpty() && !unit.isEmpty())
        return Length();
    if (number.startsWith(QLatin1Char('+')))
        number = number.mid(1);
    char ascii[64];
    if (number.isEmpty() || number.size() > qsizetype(sizeof ascii))
        return std::nullopt;
    for (qsizetype i = 0; i < number.size(); ++i) {
        if (number[i].unicode() > 127)
            return std::nullopt;
        ascii[i] = char(number[i].unicode());
    }
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + number.size(), value);
    const Length length = value * unitLength;
    if (error != std::errc() || end != ascii + number.size() || !std::isfinite(length.toPt()) ||
        std::abs(length.toPt()) > kMaxLength.toPt())
        return std::nullopt;
    return length;
}

QString excerpt(QStringView text)
{
    QString out;
    for (const QChar c : text.first(std::min(text.size(), kMaxQuoted))) {
        if (c.unicode() == 0)
            out += QStringLiteral("\\0");
        else if (c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (text.size() > kMaxQuoted)
        out += QStringLiteral("...");
    return out;
}

QString Rejection::text() const
{
    QString out = line > 0 ? QStringLiteral("%1:%2: ").arg(file).arg(line) : file + QStringLiteral(": ");
    if (!brand.isEmpty() || !part.isEmpty())
        out += excerpt(QString(brand + QLatin1Char(' ') + part)) + QStringLiteral(": ");
    return out + reason;
}

namespace {

// The products of `input`; `broken` tells whether its XML ended in an error.
FileContents productsOf(const Readable& input, const QString& file, const PaperSizes& papers, bool& broken)
{
    FileContents out;
    QXmlStreamReader xml(input.bytes);
    int depth = 0;
    int templateDepth = 0;  // the open Template's depth, or 0
    qint64 templateLine = 0;
    bool inLabel = false;
    Pending pending;
    // The rest of the file is left out, with the product it stops in.
    const auto reject = [&](const QString& why, qint64 line) {
        Rejection r{file, line, {}, {}, why};
        if (templateDepth != 0) {
            r.brand = pending.product.brand;
            r.part = pending.product.part;
        }
        out.rejected.append(r);
    };
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (const QString why = refusedDtd(xml); !why.isEmpty()) {
            reject(why, xml.lineNumber());
            return out;
        }
        if (token == QXmlStreamReader::EndElement) {
            if (depth == templateDepth + 1)
                inLabel = false;
            if (depth == templateDepth) {
                finish(pending, file, templateLine, out);
                templateDepth = 0;
            }
            --depth;
            continue;
        }
        const QString tooLong = oversized(xml);
        const bool startsTemplate = token == QXmlStreamReader::StartElement && templateDepth == 0 && depth < 2 &&
                                    xml.name() == QLatin1String("Template");
        if (!tooLong.isEmpty() && templateDepth == 0 && !startsTemplate) {
            reject(tooLong + kRestLeftOut, xml.lineNumber());
            return out;
        }
        if (templateDepth != 0 && pending.problem.isEmpty())
            pending.problem = tooLong;
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const QStringView name = xml.name();
        if (depth == 1 && name != QLatin1String("Template") && name != QLatin1String("Glabels-templates")) {
            reject(QStringLiteral("holds no label products (its top element is <%1>)").arg(excerpt(name)),
                   xml.lineNumber());
            return out;
        }
        if (startsTemplate) {
            templateDepth = depth;
            templateLine = xml.lineNumber();
            pending = Pending{};
            pending.problem = tooLong;
            readTemplate(pending, xml.attributes(), papers);
            continue;
        }
        if (templateDepth == 0 || pending.alias)
            continue;
        if (depth == templateDepth + 1) {
            if (name == QLatin1String("Meta"))
                readMeta(pending.product, xml.attributes());
            else
                inLabel = readShape(pending, name, xml.attributes()) && pending.labels == 1;
        } else if (depth == templateDepth + 2 && inLabel && name == QLatin1String("Layout")) {
            readLayout(pending, xml.attributes());
        } else if (depth == templateDepth + 2 && inLabel && name == QLatin1String("Markup-margin")) {
            readMargin(pending, xml.attributes());
        }
    }
    broken = xml.hasError();
    if (const std::optional<Stop> stop = stopped(xml, input))
        reject(stop->why, stop->line);
    return out;
}

}  // namespace

// The bytes are read as they are: only where the XML ends in an error are
// they looked at for a NUL or bytes that are not UTF-8 text, which take a
// second reading, up to them.
FileContents readProducts(const QByteArray& bytes, const QString& file, const PaperSizes& papers)
{
    bool broken = false;
    FileContents out = productsOf(Readable{bytes, {}, 0}, file, papers, broken);
    if (!broken)
        return out;
    const Readable input = readable(bytes);
    return input.cut.isEmpty() ? out : productsOf(input, file, papers, broken);
}

PaperSizes readPaperSizes(const QByteArray& bytes, const QString& file, QList<Rejection>& rejected)
{
    PaperSizes out;
    const Readable input = readable(bytes);
    QXmlStreamReader xml(input.bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (const QString why = refusedDtd(xml); !why.isEmpty()) {
            rejected.append(Rejection{file, xml.lineNumber(), {}, {}, why});
            return {};
        }
        QString problem = oversized(xml);
        if (!xml.isStartElement() || xml.name() != QLatin1String("Paper-size")) {
            if (problem.isEmpty())
                continue;
            rejected.append(Rejection{file, xml.lineNumber(), {}, {}, problem + kRestLeftOut});
            return out;
        }
        Attributes a(xml.attributes(), u"Paper-size", problem);
        const QString id = a.text(QLatin1String("id"));
        const LengthSize size{a.positive(QLatin1String("width")), a.positive(QLatin1String("height"))};
        if (id.isEmpty())
            a.fail(QStringLiteral("Paper-size has no id"));
        if (const QString why = sizeProblem("the paper", size); !why.isEmpty())
            a.fail(why);
        if (problem.isEmpty())
            out.insert(id, size);
        else
            rejected.append(Rejection{file, xml.lineNumber(), {}, {}, problem});
    }
    if (const std::optional<Stop> stop = stopped(xml, input))
        rejected.append(Rejection{file, stop->line, {}, {}, stop->why});
    return out;
}

}  // namespace stock
