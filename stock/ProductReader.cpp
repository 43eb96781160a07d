#include "stock/ProductReader.h"

#include <QXmlStreamReader>

#include <charconv>
#include <cmath>

namespace stock {

namespace {

constexpr double kMaxLength = 100000;  // points: about 35 m

QString millimetres(double points) { return QString::number(points * 25.4 / 72, 'f', 1); }

// Reads the attributes of one element, keeping the first problem found.
class Attributes {
public:
    Attributes(const QXmlStreamAttributes& attributes, QStringView element, QString& problem)
        : attributes_(attributes), element_(element), problem_(problem)
    {
    }

    bool has(QLatin1String name) const { return attributes_.hasAttribute(name); }
    QString text(QLatin1String name) const { return attributes_.value(name).toString(); }

    // A length in points. An absent or empty attribute is `fallback`, or a
    // problem when there is none.
    double length(QLatin1String name, std::optional<double> fallback = std::nullopt)
    {
        const QStringView value = attributes_.value(name);
        if (value.trimmed().isEmpty()) {
            if (!fallback)
                fail(QStringLiteral("%1 has no %2").arg(element_, name));
            return fallback.value_or(0);
        }
        const auto points = parseLength(value);
        if (!points)
            fail(QStringLiteral("%1 is not a length in pt, in, mm, cm or pc").arg(quoted(name)));
        return points.value_or(0);
    }

    double positive(QLatin1String name)
    {
        const double value = length(name);
        if (value <= 0)
            fail(QStringLiteral("%1 is not above zero").arg(quoted(name)));
        return value;
    }

    double nonNegative(QLatin1String name, std::optional<double> fallback = 0.0)
    {
        const double value = length(name, fallback);
        if (value < 0)
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
        return QStringLiteral("%1=\"%2\" of %3").arg(name, attributes_.value(name), element_);
    }

    const QXmlStreamAttributes& attributes_;
    QStringView element_;
    QString& problem_;
};

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
        product.paper = QSizeF(a.positive(QLatin1String("width")), a.positive(QLatin1String("height")));
    } else if (product.paperId.isEmpty()) {
        a.fail(QStringLiteral("Template has no size"));
    } else {
        const auto paper = papers.constFind(product.paperId);
        if (paper == papers.constEnd())
            a.fail(QStringLiteral("paper size \"%1\" is unknown").arg(product.paperId));
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
        shape.size = QSizeF(a.positive(QLatin1String("width")), a.positive(QLatin1String("height")));
    } else {
        shape.radius = a.positive(QLatin1String("radius"));
        shape.size = QSizeF(2 * shape.radius, 2 * shape.radius);
    }
    if (shape.kind == LabelShape::Rectangle)
        shape.corner = a.nonNegative(QLatin1String("round"));
    if (shape.kind == LabelShape::Cd) {
        shape.hole = a.nonNegative(QLatin1String("hole"), std::nullopt);
        // A clipped disc: the label is cut narrower or shorter than it.
        if (a.has(QLatin1String("width")))
            shape.size.setWidth(a.positive(QLatin1String("width")));
        if (a.has(QLatin1String("height")))
            shape.size.setHeight(a.positive(QLatin1String("height")));
        if (2 * shape.hole >= std::min({2 * shape.radius, shape.size.width(), shape.size.height()}))
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

void readLayout(Pending& p, const QXmlStreamAttributes& attributes)
{
    Attributes a(attributes, u"Layout", p.problem);
    Layout layout;
    layout.nx = a.count(QLatin1String("nx"));
    layout.ny = a.count(QLatin1String("ny"));
    layout.x0 = a.length(QLatin1String("x0"), 0.0);
    layout.y0 = a.length(QLatin1String("y0"), 0.0);
    layout.dx = a.nonNegative(QLatin1String("dx"));
    layout.dy = a.nonNegative(QLatin1String("dy"));
    if ((layout.nx > 1 && layout.dx == 0) || (layout.ny > 1 && layout.dy == 0))
        a.fail(QStringLiteral("a Layout of several labels has no dx or dy: they would lie on one another"));
    p.product.layouts.append(layout);
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
    qint64 count = 0;
    double overhang = 0;
    const QSizeF label = product.shape.size;
    for (const Layout& l : product.layouts) {
        count += l.nx * l.ny;
        const double right = l.x0 + (l.nx - 1) * l.dx + label.width();
        const double bottom = l.y0 + (l.ny - 1) * l.dy + label.height();
        overhang = std::max({overhang, -l.x0, -l.y0, right - product.paper.width(), bottom - product.paper.height()});
    }
    if (count > kMaxCells)
        return QStringLiteral("has more than %1 labels on a sheet").arg(kMaxCells);
    if (overhang > kOverhangAllowed * (1 + 1e-9))
        return QStringLiteral("its labels leave the paper by %1 mm").arg(millimetres(overhang));
    return {};
}

void finish(Pending& p, const QString& file, qint64 line, FileContents& out)
{
    Product& product = p.product;
    QString problem = p.problem;
    if (product.brand.isEmpty() || product.part.isEmpty()) {
        problem = QStringLiteral("has no brand or part");
    } else if (p.alias) {
        out.aliases.append(Alias{product.brand, product.part, product.sameAs, file, line});
        return;
    }
    if (problem.isEmpty())
        problem = wholeProductProblem(product, p.labels);
    if (!problem.isEmpty()) {
        out.rejected.append(Rejection{file, line, product.brand, product.part, problem});
        return;
    }
    product.file = file;
    product.line = line;
    out.products.append(std::move(product));
}

}  // namespace

std::optional<double> parseLength(QStringView text)
{
    text = text.trimmed();
    qsizetype unitStart = text.size();
    while (unitStart > 0 && text[unitStart - 1].isLetter())
        --unitStart;
    const QStringView unit = text.mid(unitStart);
    double factor = 0;
    if (unit.isEmpty() || unit == QLatin1String("pt"))
        factor = 1;
    else if (unit == QLatin1String("in"))
        factor = 72;
    else if (unit == QLatin1String("mm"))
        factor = 72 / 25.4;
    else if (unit == QLatin1String("cm"))
        factor = 72 / 2.54;
    else if (unit == QLatin1String("pc"))
        factor = 12;
    else
        return std::nullopt;
    QStringView number = text.left(unitStart).trimmed();
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
    value *= factor;
    if (error != std::errc() || end != ascii + number.size() || !std::isfinite(value) || std::abs(value) > kMaxLength)
        return std::nullopt;
    return value;
}

QString Rejection::text() const
{
    QString out = line > 0 ? QStringLiteral("%1:%2: ").arg(file).arg(line) : file + QStringLiteral(": ");
    if (!brand.isEmpty() || !part.isEmpty())
        out += brand + QLatin1Char(' ') + part + QStringLiteral(": ");
    return out + reason;
}

FileContents readProducts(const QByteArray& bytes, const QString& file, const PaperSizes& papers)
{
    FileContents out;
    QXmlStreamReader xml(bytes);
    int depth = 0;
    int templateDepth = 0;  // the open Template's depth, or 0
    qint64 templateLine = 0;
    bool inLabel = false;
    Pending pending;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
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
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const QStringView name = xml.name();
        if (depth == 1 && name != QLatin1String("Template") && name != QLatin1String("Glabels-templates")) {
            const QString why = QStringLiteral("holds no label products (its top element is <%1>)").arg(name);
            out.rejected.append(Rejection{file, xml.lineNumber(), {}, {}, why});
            return out;
        }
        if (templateDepth == 0) {
            if (name == QLatin1String("Template") && depth <= 2) {
                templateDepth = depth;
                templateLine = xml.lineNumber();
                pending = Pending{};
                readTemplate(pending, xml.attributes(), papers);
            }
            continue;
        }
        if (pending.alias)
            continue;
        if (depth == templateDepth + 1) {
            if (name == QLatin1String("Meta"))
                readMeta(pending.product, xml.attributes());
            else
                inLabel = readShape(pending, name, xml.attributes()) && pending.labels == 1;
        } else if (depth == templateDepth + 2 && inLabel && name == QLatin1String("Layout")) {
            readLayout(pending, xml.attributes());
        }
    }
    if (xml.hasError()) {
        const QString reason = QStringLiteral("the XML is not well-formed here (%1); the rest of the file is left out")
                                   .arg(xml.errorString());
        Rejection r{file, xml.lineNumber(), {}, {}, reason};
        if (templateDepth != 0) {
            r.brand = pending.product.brand;
            r.part = pending.product.part;
        }
        out.rejected.append(r);
    }
    return out;
}

PaperSizes readPaperSizes(const QByteArray& bytes, const QString& file, QList<Rejection>& rejected)
{
    PaperSizes out;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Paper-size"))
            continue;
        QString problem;
        Attributes a(xml.attributes(), u"Paper-size", problem);
        const QString id = a.text(QLatin1String("id"));
        const QSizeF size(a.positive(QLatin1String("width")), a.positive(QLatin1String("height")));
        if (id.isEmpty())
            a.fail(QStringLiteral("Paper-size has no id"));
        if (problem.isEmpty())
            out.insert(id, size);
        else
            rejected.append(Rejection{file, xml.lineNumber(), {}, {}, problem});
    }
    if (xml.hasError())
        rejected.append(Rejection{file,
                                  xml.lineNumber(),
                                  {},
                                  {},
                                  QStringLiteral("the XML is not well-formed here (%1)").arg(xml.errorString())});
    return out;
}

}  // namespace stock
