// Label stock: reading product files (the installed database among them),
// leaving out what is not sound, the user's own products, searching, sheet
// geometry, fitting a design, printer calibration and the cells of a print.

#include "platform/Settings.h"
#include "stock/Calibration.h"
#include "stock/PrintRun.h"
#include "stock/ProductDatabase.h"
#include "stock/SheetGeometry.h"
#include "stock/SheetMemory.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace stock;

namespace {

constexpr double kIn = 72;
constexpr double kMm = 72 / 25.4;

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write(bytes);
}

// A product file holding `templates`.
QByteArray products(const QByteArray& templates, const QByteArray& top = "<Glabels-templates>")
{
    return "<?xml version=\"1.0\"?>\n" + top + "\n" + templates + "</Glabels-templates>\n";
}

// A rectangular product on A4: 100 x 50 mm labels at x0 mm.
QByteArray a4(const QByteArray& brand, const QByteArray& part, const QByteArray& x0 = "10mm")
{
    return "<Template brand=\"" + brand + "\" part=\"" + part + "\" size=\"A4\" _description=\"Test\">" +
           "<Label-rectangle id=\"0\" width=\"100mm\" height=\"50mm\"><Layout nx=\"1\" ny=\"1\" x0=\"" + x0 +
           "\" y0=\"10mm\"/></Label-rectangle></Template>\n";
}

// A system folder with paper sizes, and the products of `files`.
void systemFolder(const QString& folder, const QMap<QString, QByteArray>& files)
{
    write(folder + QStringLiteral("/paper-sizes.xml"),
          "<Glabels-paper-sizes>"
          "<Paper-size id=\"A4\" _name=\"A4\" pwg_size=\"iso_a4\" width=\"210mm\" height=\"297mm\"/>"
          "<Paper-size id=\"US-Letter\" _name=\"US Letter\" pwg_size=\"na_letter\" width=\"8.5in\" height=\"11in\"/>"
          "</Glabels-paper-sizes>");
    for (auto it = files.begin(); it != files.end(); ++it)
        write(folder + QLatin1Char('/') + it.key(), it.value());
}

const QByteArray kSheets = products(R"(
  <Template brand="Avery" part="5196" size="US-Letter" _description="Diskette Labels">
    <Meta category="label"/>
    <Meta category="media"/>
    <Label-rectangle id="0" width="2.75in" height="2.75in" round="0.0625in">
      <Markup-margin size="0.0625in"/>
      <Layout nx="3" ny="3" x0="0.125in" y0="0.5in" dx="2.75in" dy="3in"/>
    </Label-rectangle>
  </Template>
  <Template brand="Avery" part="5096" equiv="5196"/>
  <Template brand="Avery" part="7664" size="A4" _description="Diskette Labels">
    <Meta category="media"/>
    <Label-rectangle id="0" width="70mm" height="70mm" round="2.5mm" x_waste="1mm" y_waste="2mm">
      <Layout nx="2" ny="4" x0="20mm" y0="6mm" dx="100mm" dy="72mm"/>
    </Label-rectangle>
  </Template>
  <Template brand="Acme" part="CD-2" size="A4" _description="CD Labels">
    <Meta category="media"/>
    <Label-cd id="0" radius="58.5mm" hole="20.5mm" waste="1mm">
      <Layout nx="1" ny="2" x0="46.5mm" y0="21.5mm" dy="137mm"/>
    </Label-cd>
  </Template>
  <Template brand="Acme" part="CD-clipped" size="A4" _description="Clipped CD Labels">
    <Label-cd id="0" radius="58.5mm" width="105mm" hole="20.5mm">
      <Markup-margin size="0.125in"/>
      <Layout nx="1" ny="1" x0="50mm" y0="20mm"/>
    </Label-cd>
  </Template>
  <Template brand="Acme" part="Zip 100" size="US-Letter" _description="Zip disk labels">
    <Meta category="media"/>
    <Label-rectangle id="0" width="2in" height="2.5in">
      <Layout nx="2" ny="1" x0="1in" y0="1in" dx="3in"/>
    </Label-rectangle>
  </Template>
  <Template brand="Acme" part="Zip 20" equiv="Zip 100"/>
)");

// The older style: a namespace, "description", "waste", paper of its own,
// units of every kind, two layouts.
const QByteArray kNamespaced = products(R"(
  <Template brand="Acme" part="R-12" size="Other" width="100mm" height="150mm" description="Round stickers">
    <Meta category="round-label"/>
    <Meta product_url="http://example.com/r12"/>
    <Meta print="mirrored"/>
    <Label-round id="0" radius="2cm" waste="9">
      <Markup-circle x0="2cm" y0="2cm" radius="1.5cm"/>
      <Layout nx="2" ny="1" x0="5mm" y0="5mm" dx="45mm"/>
      <Layout nx="1" ny="2" x0="5mm" y0=" 60 mm" dy="45mm"/>
    </Label-round>
  </Template>
  <Template brand="Acme" part="E-3" size="A4" description="Ovals">
    <Label-ellipse id="0" width="6pc" height="36" waste="0.1in">
      <Layout nx="1" ny="1" x0="1cm" y0="1cm"/>
    </Label-ellipse>
  </Template>
)",
                                        "<Glabels-templates xmlns=\"http://glabels.org/xmlns/3.0/\">");

// Several layouts on one sheet: three discs, the top and bottom ones in one
// layout and the middle one in another; two halves of a sheet whose rows lie
// a twentieth of a millimetre apart, the first half given twice.
const QByteArray kLayouts = products(R"(
  <Template brand="Trio" part="3CD" size="A4" _description="Three discs">
    <Meta category="media"/>
    <Label-cd id="0" radius="55mm" hole="15.5mm">
      <Layout nx="1" ny="2" x0="91.5mm" y0="9mm" dy="166mm"/>
      <Layout nx="1" ny="1" x0="9mm" y0="92mm"/>
    </Label-cd>
  </Template>
  <Template brand="Trio" part="halves" size="A4" _description="Two halves">
    <Label-rectangle id="0" width="45mm" height="35mm">
      <Layout nx="2" ny="2" x0="5mm" y0="10mm" dx="50mm" dy="40mm"/>
      <Layout nx="2" ny="2" x0="105mm" y0="10.05mm" dx="50mm" dy="40mm"/>
      <Layout nx="2" ny="2" x0="5mm" y0="10mm" dx="50mm" dy="40mm"/>
    </Label-rectangle>
  </Template>
)");

QStringList names(const QList<const Product*>& found)
{
    QStringList out;
    for (const Product* p : found)
        out.append(p ? p->name() : plainPaperText());
    return out;
}

const Rejection* rejection(const ProductDatabase& db, const QString& brand, const QString& part)
{
    for (const Rejection& r : db.rejected())
        if (r.brand == brand && r.part == part)
            return &r;
    return nullptr;
}

}  // namespace

class StockTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ProductDatabase sheets_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        const QString folder = dir_.filePath(QStringLiteral("system"));
        systemFolder(folder, {{QStringLiteral("sheets-templates.xml"), kSheets},
                              {QStringLiteral("ns-templates.xml"), kNamespaced},
                              {QStringLiteral("layouts-templates.xml"), kLayouts}});
        sheets_ = ProductDatabase::load({{}, {folder}});
        QVERIFY(sheets_.installed());
        QCOMPARE(int(sheets_.rejected().size()), 0);
    }

    void sheetGeometry()
    {
        const Product* avery = sheets_.find(QStringLiteral("Avery"), QStringLiteral("5196"));
        QVERIFY(avery);
        QCOMPARE(avery->paper.toPt(), QSizeF(612, 792));
        const QList<Cell> letter = cells(*avery);
        QCOMPARE(letter.size(), 9);
        QCOMPARE(letter[0].rect, QRectF(9, 36, 198, 198));
        // Row by row, left to right: cell 4 starts the second row.
        QCOMPARE((QList<int>{letter[3].number, letter[3].layout, letter[3].row, letter[3].column}),
                 (QList<int>{4, 1, 2, 1}));
        QCOMPARE(letter[3].rect.topLeft(), QPointF(9, 36 + 216));
        QCOMPARE(letter[8].rect, QRectF(9 + 2 * 198, 36 + 2 * 216, 198, 198));

        const Product* alias = sheets_.find(QStringLiteral("Avery"), QStringLiteral("5096"));
        QVERIFY(alias);
        QCOMPARE(alias->sameAs, QStringLiteral("5196"));
        QCOMPARE(alias->layouts, avery->layouts);
        QCOMPARE(alias->description, avery->description);

        const Product* a4 = sheets_.find(QStringLiteral("Avery"), QStringLiteral("7664"));
        QVERIFY(a4);
        QCOMPARE(a4->paper.width.toPt(), 210 * kMm);
        QCOMPARE(a4->paper.height.toPt(), 297 * kMm);
        const QList<Cell> grid = cells(*a4);
        QCOMPARE(grid.size(), 8);
        QCOMPARE((QList<int>{grid[2].row, grid[2].column}), (QList<int>{2, 1}));
        QCOMPARE(grid[7].rect.topLeft(), QPointF(120 * kMm, 222 * kMm));
        QCOMPARE(a4->shape.xWaste.toPt(), 1 * kMm);
        QCOMPARE(a4->shape.yWaste.toPt(), 2 * kMm);

        const Product* round = sheets_.find(QStringLiteral("Acme"), QStringLiteral("R-12"));
        QVERIFY(round);
        QCOMPARE(round->description, QStringLiteral("Round stickers"));
        QCOMPARE(round->paperId, QStringLiteral("Other"));
        QCOMPARE(round->paper.toPt(), QSizeF(100 * kMm, 150 * kMm));
        QCOMPARE(round->shape.kind, LabelShape::Round);
        QCOMPARE(round->shape.size.toPt(), QSizeF(4 * kIn / 2.54, 4 * kIn / 2.54));
        QCOMPARE(round->shape.xWaste.toPt(), 9.0);
        QVERIFY(round->mirrored);
        const QList<Cell> two = cells(*round);
        QCOMPARE(two.size(), 4);
        QCOMPARE(two[1].rect.topLeft(), QPointF(50 * kMm, 5 * kMm));
        QCOMPARE((QList<int>{two[2].layout, two[2].row, two[2].column}), (QList<int>{2, 1, 1}));
        QCOMPARE(two[3].rect.topLeft(), QPointF(5 * kMm, 105 * kMm));

        // Labels are numbered as they lie on the paper, whatever their layout:
        // row by row from the top, each row left to right.
        const auto where = [](const Cell& c) { return QList<int>{c.number, c.layout, c.row, c.column}; };
        const QList<Cell> discs = cells(*sheets_.find(QStringLiteral("Trio"), QStringLiteral("3CD")));
        QCOMPARE(discs.size(), 3);
        QCOMPARE(where(discs[0]), (QList<int>{1, 1, 1, 1}));
        QCOMPARE(where(discs[1]), (QList<int>{2, 2, 1, 1}));
        QCOMPARE(where(discs[2]), (QList<int>{3, 1, 2, 1}));
        QCOMPARE(discs[1].rect.topLeft(), QPointF(9 * kMm, 92 * kMm));
        const Product* halves = sheets_.find(QStringLiteral("Trio"), QStringLiteral("halves"));
        QCOMPARE(halves->layouts.size(), 2);  // a layout given twice is one
        const QList<Cell> rows = cells(*halves);
        QCOMPARE(rows.size(), 8);
        QCOMPARE(where(rows[2]), (QList<int>{3, 2, 1, 1}));
        QCOMPARE(where(rows[4]), (QList<int>{5, 1, 2, 1}));
        for (qsizetype i = 1; i < rows.size(); ++i)
            QVERIFY(i % 4 == 0 ? rows[i].rect.top() > rows[i - 1].rect.bottom()
                               : rows[i].rect.left() > rows[i - 1].rect.right());

        const Product* oval = sheets_.find(QStringLiteral("Acme"), QStringLiteral("E-3"));
        QVERIFY(oval);
        QCOMPARE(oval->shape.kind, LabelShape::Ellipse);
        QCOMPARE(oval->shape.size.toPt(), QSizeF(72, 36));
        QCOMPARE(oval->shape.yWaste.toPt(), 7.2);
    }

    void labelShapes()
    {
        const QPainterPath square = labelPath(sheets_.find(QStringLiteral("Avery"), QStringLiteral("5196"))->shape);
        QVERIFY(square.contains(QPointF(99, 99)));
        QVERIFY(square.contains(QPointF(197, 99)));
        QVERIFY(!square.contains(QPointF(0.5, 0.5)));  // the rounded corner

        const QPainterPath oval = labelPath(sheets_.find(QStringLiteral("Acme"), QStringLiteral("E-3"))->shape);
        QVERIFY(oval.contains(QPointF(36, 18)));
        QVERIFY(!oval.contains(QPointF(4, 4)));

        const LabelShape cd = sheets_.find(QStringLiteral("Acme"), QStringLiteral("CD-2"))->shape;
        QCOMPARE(cd.size.toPt(), QSizeF(117 * kMm, 117 * kMm));
        const QPainterPath disc = labelPath(cd);
        const QPointF centre(58.5 * kMm, 58.5 * kMm);
        QVERIFY(!disc.contains(centre));                         // the hole
        QVERIFY(!disc.contains(centre + QPointF(20 * kMm, 0)));  // still the hole
        QVERIFY(disc.contains(centre + QPointF(21 * kMm, 0)));   // printable ring
        QVERIFY(disc.contains(centre + QPointF(0, -58 * kMm)));  // near its edge
        QVERIFY(!disc.contains(QPointF(5 * kMm, 5 * kMm)));      // outside the disc

        const LabelShape clippedShape = sheets_.find(QStringLiteral("Acme"), QStringLiteral("CD-clipped"))->shape;
        QCOMPARE(clippedShape.size.toPt(), QSizeF(105 * kMm, 117 * kMm));
        // The margin printing keeps inside the label, where the product gives one.
        QCOMPARE(clippedShape.margin, std::optional(ui::Length::in(0.125)));
        QCOMPARE(cd.margin, std::nullopt);
        const QPainterPath clipped = labelPath(clippedShape);
        const QPointF middle(52.5 * kMm, 58.5 * kMm);
        QVERIFY(!clipped.contains(middle));
        QVERIFY(clipped.contains(middle + QPointF(0, 57 * kMm)));  // full height
        QVERIFY(clipped.contains(middle + QPointF(52 * kMm, 0)));  // up to the cut
        QVERIFY(!clipped.contains(middle + QPointF(53 * kMm, 0)));
        QVERIFY(clipped.boundingRect().width() <= 105 * kMm + 0.01);
    }

    void search()
    {
        QCOMPARE(names(sheets_.search(QStringLiteral("5196"))),
                 (QStringList{plainPaperText(), QStringLiteral("Avery 5196")}));
        QCOMPARE(names(sheets_.search(QStringLiteral("  avery   DISKETTE "))),
                 (QStringList{plainPaperText(), QStringLiteral("Avery 5096"), QStringLiteral("Avery 5196"),
                              QStringLiteral("Avery 7664")}));
        // Numbers in their numeric order.
        QCOMPARE(names(sheets_.search(QStringLiteral("zip"))),
                 (QStringList{plainPaperText(), QStringLiteral("Acme Zip 20"), QStringLiteral("Acme Zip 100")}));
        // Media first, then the rest, each by brand and part.
        QCOMPARE(names(sheets_.search(QStringLiteral("acme"))),
                 (QStringList{plainPaperText(), QStringLiteral("Acme CD-2"), QStringLiteral("Acme Zip 20"),
                              QStringLiteral("Acme Zip 100"), QStringLiteral("Acme CD-clipped"),
                              QStringLiteral("Acme E-3"), QStringLiteral("Acme R-12")}));
        QCOMPARE(int(sheets_.search(QString()).size()), 1 + int(sheets_.products().size()));
        QCOMPARE(names(sheets_.search(QStringLiteral("avery cd"))), QStringList{plainPaperText()});

        // Without the database, plain paper is all there is, and the hint says how to get it.
        const ProductDatabase none = ProductDatabase::load({{}, {dir_.filePath(QStringLiteral("absent"))}});
        QVERIFY(!none.installed());
        QCOMPARE(names(none.search(QString())), QStringList{plainPaperText()});
        QVERIFY(missingDatabaseHint().contains(QLatin1String("apt install glabels-data")));
    }

    void badInputsAreLeftOutWithTheirReasons()
    {
        const QString folder = dir_.filePath(QStringLiteral("bad"));
        const QByteArray rect = R"(<Label-rectangle id="0" width="50mm" height="50mm">)";
        const QByteArray one = R"(<Layout nx="1" ny="1" x0="10mm" y0="10mm"/>)";
        const auto product = [&](const QByteArray& brand, const QByteArray& part, const QByteArray& label,
                                 const QByteArray& layout, const QByteArray& size = R"(size="A4")") {
            return "<Template brand=\"" + brand + "\" part=\"" + part + "\" " + size + ">" + label + layout +
                   "</Label-rectangle></Template>\n";
        };
        const auto bad = [&](const QByteArray& part, const QByteArray& label, const QByteArray& layout,
                             const QByteArray& size = "A4") {
            return product("Bad", part, label, layout, "size=\"" + size + "\"");
        };
        const QByteArray list = products(
            a4("Good", "first") + bad("unit", R"(<Label-rectangle id="0" width="2furlong" height="5mm">)", one) +
            product("Good", "bare-unit", R"(<Label-rectangle id="0" width="5mm" height="5mm" round="in">)", one) +
            bad("zero", R"(<Label-rectangle id="0" width="5mm" height="0mm">)", one) +
            bad("negative", R"(<Label-rectangle id="0" width="-5mm" height="5mm">)", one) +
            bad("nx-0", rect, R"(<Layout nx="0" ny="1"/>)") +
            bad("ny-101", rect, R"(<Layout nx="1" ny="101" dy="1mm"/>)") +
            bad("stacked", rect, R"(<Layout nx="2" ny="1"/>)") + bad("paper", rect, one, "A99") +
            bad("no-layout", rect, {}) + "<Template brand=\"Bad\" part=\"no-shape\" size=\"A4\"/>\n" +
            R"(<Template brand="Bad" part="hole" size="A4"><Label-cd id="0" radius="2cm" hole="2cm">)" + one +
            "</Label-cd></Template>\n" +
            // Geometry no sheet has: a label too small to print on, paper of
            // 35 metres, nine labels on one another, two layouts across each
            // other. A layout given twice is one, round labels may share
            // corners of their boxes, and the makers' rounding is allowed.
            bad("tiny", R"(<Label-rectangle id="0" width="1e-320pt" height="50mm">)", one) +
            product("Bad", "huge-paper", rect, one, R"(size="Other" width="35000mm" height="35000mm")") +
            bad("nine", R"(<Label-rectangle id="0" width="50mm" height="30mm">)",
                R"(<Layout nx="1" ny="9" x0="10mm" y0="10mm" dy="10mm"/>)") +
            bad("crossed", rect,
                R"(<Layout nx="2" ny="1" x0="10mm" y0="10mm" dx="60mm"/><Layout nx="1" ny="1" x0="40mm" y0="10mm"/>)") +
            product(
                "Good", "twice", rect,
                R"(<Layout nx="2" ny="1" x0="10mm" y0="10mm" dx="60mm"/><Layout nx="2" ny="1" x0="10mm" y0="10mm" dx="60mm"/>)") +
            R"(<Template brand="Good" part="discs" size="A4"><Label-round id="0" radius="20mm">)"
            R"(<Layout nx="1" ny="1" x0="10mm" y0="10mm"/><Layout nx="1" ny="1" x0="40mm" y0="40mm"/>)"
            "</Label-round></Template>\n" +
            product("Good", "rounding", rect, R"(<Layout nx="1" ny="2" x0="10mm" y0="10mm" dy="49.5mm"/>)") +
            // Up to 3 mm past the paper's edge is allowed; more is not.
            a4("Good", "overhang-2.9", "112.9mm") + a4("Bad", "overhang-3.2", "113.2mm") +
            R"(<Template brand="Bad" part="itself" equiv="itself"/>
               <Template brand="Bad" part="nothing" equiv="4608"/>
               <Template brand="Bad" part="loop-a" equiv="loop-b"/>
               <Template brand="Bad" part="loop-b" equiv="loop-a"/>
               <Template brand="Bad" part="to-left-out" equiv="unit"/>
               <Template brand="Good" part="alias" equiv="first"/>)" +
            // What the file holds is quoted short in a reason.
            product("Bad", "long", rect, one, "size=\"A4\" _description=\"" + QByteArray(5000, 'x') + "\"") +
            bad("long-paper", rect, one, QByteArray(4000, 'y')) + a4("Good", "first") + a4("Good", "last"));
        const QByteArray bomb =
            "<?xml version=\"1.0\"?><!DOCTYPE Glabels-templates [<!ENTITY a \"aaaaaaaaaa\">"
            "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
            "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
            "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
            "<Glabels-templates><Template brand=\"Bad\" part=\"bomb\" size=\"A4\" _description=\"&g;\">"
            "<Label-rectangle id=\"0\" width=\"5mm\" height=\"5mm\"><Layout nx=\"1\" ny=\"1\"/></Label-rectangle>"
            "</Template></Glabels-templates>";
        // One entity of 4,000 characters, 300,000 times in an attribute: 1.2
        // billion characters, were it expanded.
        QByteArray flat = "<?xml version=\"1.0\"?><!DOCTYPE Glabels-templates [<!ENTITY e \"" + QByteArray(4000, 'e') +
                          "\">]><Glabels-templates><Template brand=\"Bad\" part=\"flat\" size=\"A4\" _description=\"";
        for (int i = 0; i < 300000; ++i)
            flat += "&e;";
        flat += "\">" + rect + one + "</Label-rectangle></Template></Glabels-templates>";
        const QString secret = dir_.filePath(QStringLiteral("secret.txt"));
        write(secret, "THE SECRET");
        const QByteArray external = "<?xml version=\"1.0\"?><!DOCTYPE Glabels-templates [<!ENTITY s SYSTEM \"file://" +
                                    secret.toUtf8() + "\">]><Glabels-templates>" + a4("Good", "external") +
                                    "<Template brand=\"Bad\" part=\"external\" size=\"A4\" _description=\"&s;\">"
                                    "<Label-rectangle id=\"0\" width=\"5mm\" height=\"5mm\"><Layout nx=\"1\" ny=\"1\"/>"
                                    "</Label-rectangle><Meta category=\"&s;\"/>&s;</Template></Glabels-templates>";
        // Bytes that are not UTF-8 text, and a NUL, on line 4: what comes
        // before them is read.
        const auto fourthLine = [&](const QByteArray& before, const QByteArray& wrong) {
            return products(a4("Good", before) + a4("Bad", "wrong-" + before).replace("Test", "T" + wrong) +
                            a4("Bad", "after-" + before));
        };
        systemFolder(folder,
                     {{QStringLiteral("list-templates.xml"), list},
                      {QStringLiteral("broken-templates.xml"),
                       products(a4("Good", "before-break") +
                                R"(<Template brand="Bad" part="broken" size="A4"><Label-rectangle></Template>)" +
                                a4("Bad", "after-break"))},
                      {QStringLiteral("bomb-templates.xml"), bomb},
                      {QStringLiteral("flat-templates.xml"), flat},
                      {QStringLiteral("external-templates.xml"), external},
                      {QStringLiteral("html-templates.xml"), "<html><Template/></html>"},
                      {QStringLiteral("huge-templates.xml"),
                       products(a4("Bad", "huge") + "<!--" + QByteArray(kMaxFileSize, 'x') + "-->")},
                      {QStringLiteral("utf8-templates.xml"), fourthLine("before-bad-byte", "\xff")},
                      {QStringLiteral("nul-templates.xml"), fourthLine("before-nul", QByteArray(1, '\0'))},
                      {QStringLiteral("latin1-templates.xml"),
                       products(a4("Good", "latin1").replace("Test", "T\xe9st"))
                           .replace("version=\"1.0\"", "version=\"1.0\" encoding=\"ISO-8859-1\"")},
                      {QStringLiteral("text-templates.xml"),
                       products(a4("Good", "before-text") + QByteArray(5000, 't') + a4("Bad", "after-text"))}});
        const QString pipe = folder + QStringLiteral("/pipe-templates.xml");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);

        const ProductDatabase db = ProductDatabase::load({{}, {folder}});
        QStringList kept;
        for (const Product& p : db.products())
            kept.append(p.name());
        QCOMPARE(kept,
                 (QStringList{QStringLiteral("Good alias"), QStringLiteral("Good bare-unit"),
                              QStringLiteral("Good before-bad-byte"), QStringLiteral("Good before-break"),
                              QStringLiteral("Good before-nul"), QStringLiteral("Good before-text"),
                              QStringLiteral("Good discs"), QStringLiteral("Good first"), QStringLiteral("Good last"),
                              QStringLiteral("Good latin1"), QStringLiteral("Good overhang-2.9"),
                              QStringLiteral("Good rounding"), QStringLiteral("Good twice")}));
        for (const Product& p : db.products())
            QVERIFY(!p.description.contains(QLatin1String("SECRET")) &&
                    !p.categories.join(QLatin1Char(' ')).contains(QLatin1String("SECRET")));
        QCOMPARE(db.find(QStringLiteral("Good"), QStringLiteral("bare-unit"))->shape.corner.toPt(), 0.0);
        QCOMPARE(db.find(QStringLiteral("Good"), QStringLiteral("twice"))->cellCount(), 2);
        QCOMPARE(db.find(QStringLiteral("Good"), QStringLiteral("latin1"))->description, QStringLiteral("T\u00e9st"));
        QCOMPARE(db.find(QStringLiteral("Good"), QStringLiteral("first"))->overhang.toPt(), 0.0);
        QVERIFY(qAbs(db.find(QStringLiteral("Good"), QStringLiteral("overhang-2.9"))->overhang.toPt() - 2.9 * kMm) <
                1e-9);

        const QList<std::pair<const char*, const char*>> reasons = {
            {"unit", "width=\"2furlong\" of Label-rectangle is not a length in pt, in, mm, cm or pc"},
            {"zero", "height=\"0mm\" of Label-rectangle is not above zero"},
            {"negative", "width=\"-5mm\" of Label-rectangle is not above zero"},
            {"nx-0", "nx=\"0\" of Layout is not a whole number from 1 to 100"},
            {"ny-101", "ny=\"101\" of Layout is not a whole number from 1 to 100"},
            {"stacked", "they would lie on one another"},
            {"paper", "paper size \"A99\" is unknown"},
            {"no-layout", "has no Layout"},
            {"no-shape", "has no label shape"},
            {"hole", "the hole of Label-cd is not smaller than the disc"},
            {"tiny", "its label is 0.0 x 50.0 mm: smaller than 1 mm"},
            {"huge-paper", "its paper is 35000.0 x 35000.0 mm: larger than 2 m"},
            {"nine", "its labels overlap by 20.0 mm (Layout 1, row 1, column 1 and Layout 1, row 2, column 1)"},
            {"crossed", "its labels overlap by 20.0 mm (Layout 1, row 1, column 1 and Layout 2, row 1, column 1)"},
            {"overhang-3.2", "its labels leave the paper by 3.2 mm"},
            {"itself", "is the same as itself"},
            {"nothing", "is the same as Bad 4608, which does not exist"},
            {"loop-a", "is the same as Bad loop-b, which leads to no product"},
            {"to-left-out", "is the same as Bad unit, which is left out"},
            {"broken", "the XML is not well-formed here"},
            {"long", "the attribute _description of Template is longer than 4096 characters"},
            {"long-paper", "paper size \"yyyyyyyy"},
        };
        for (const auto& [part, reason] : reasons) {
            const Rejection* r = rejection(db, QStringLiteral("Bad"), QLatin1String(part));
            QVERIFY2(r, part);
            QVERIFY2(r->reason.contains(QLatin1String(reason)), qPrintable(r->text()));
        }
        QVERIFY(rejection(db, QStringLiteral("Good"), QStringLiteral("first"))->reason.contains(u"defined again"));
        // Whatever a file holds, a reason quotes little of it.
        for (const Rejection& r : db.rejected())
            QVERIFY2(r.text().size() < 300 && !r.text().contains(QChar(0)), qPrintable(r.text().left(300)));
        const auto fileRejection = [&](const char* file) -> const Rejection* {
            for (const Rejection& r : db.rejected())
                if (r.file.endsWith(QLatin1String(file)))
                    return &r;
            return nullptr;
        };
        const QList<std::pair<const char*, const char*>> files = {
            {"bomb-templates.xml", "its DOCTYPE declares entities"},
            {"flat-templates.xml", "its DOCTYPE declares entities"},
            {"external-templates.xml", "its DOCTYPE declares entities"},
            {"huge-templates.xml", "is larger than 4 MB"},
            {"pipe-templates.xml", "cannot be read"},
            {"html-templates.xml", "holds no label products"},
            {"utf8-templates.xml", "a byte here is not UTF-8 text (0xff); the rest of the file is left out"},
            {"text-templates.xml", "characters is longer than 4096; the rest of the file is left out"},
            {"nul-templates.xml",
             "the file holds a NUL (\\0) here, which is not XML text; the rest of the file is left out"},
        };
        for (const auto& [file, reason] : files) {
            const Rejection* r = fileRejection(file);
            QVERIFY2(r && r->reason.contains(QLatin1String(reason)), file);
        }
        QCOMPARE(fileRejection("utf8-templates.xml")->line, 4);
        QCOMPARE(fileRejection("nul-templates.xml")->line, 4);

        // What a user types may name a product that is left out: the reason.
        QVERIFY(db.leftOut(QStringLiteral(" bad   UNIT"))->reason.contains(u"furlong"));
        QVERIFY(db.leftOut(QStringLiteral("Bad loop-b"))->reason.contains(u"leads to no product"));
        QVERIFY(!db.leftOut(QStringLiteral("Good first")));  // defined again, and kept once
        QVERIFY(!db.leftOut(QStringLiteral("Nobody 1")));
    }

    // An alias of an alias of ... 20,000 deep, given last first: each is
    // followed once.
    void aLongChainOfAliasesResolves()
    {
        QByteArray chain = a4("Chain", "0");
        for (int i = 20000; i > 0; --i)
            chain += "<Template brand=\"Chain\" part=\"" + QByteArray::number(i) + "\" equiv=\"" +
                     QByteArray::number(i - 1) + "\"/>\n";
        const QString folder = dir_.filePath(QStringLiteral("chain"));
        systemFolder(folder, {{QStringLiteral("chain-templates.xml"), products(chain)}});
        const ProductDatabase db = ProductDatabase::load({{}, {folder}});
        QCOMPARE(int(db.products().size()), 20001);
        QCOMPARE(db.find(QStringLiteral("Chain"), QStringLiteral("20000"))->layouts,
                 db.find(QStringLiteral("Chain"), QStringLiteral("0"))->layouts);
    }

    void userProductsWinOverTheSystems()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            if (oldConfig.isNull())
                qunsetenv("XDG_CONFIG_HOME");
            else
                qputenv("XDG_CONFIG_HOME", oldConfig);
        });
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
        const QStringList user = ProductDatabase::Sources::standard().userFolders;
        QCOMPARE(user, (QStringList{home.filePath(QStringLiteral("config/libglabels/templates")),
                                    home.filePath(QStringLiteral(".glabels"))}));
        const auto mine = [](const QByteArray& description) {
            return "<Template brand=\"Avery\" part=\"5196\" size=\"US-Letter\" _description=\"" + description +
                   "\"><Label-rectangle id=\"0\" width=\"1in\" height=\"1in\"><Layout nx=\"1\" ny=\"1\"/>"
                   "</Label-rectangle></Template>";
        };
        write(user[0] + QStringLiteral("/mine.template"), "<?xml version=\"1.0\"?>\n" + mine("Mine"));
        write(user[1] + QStringLiteral("/old-templates.xml"), products(mine("Older") + a4("Acme", "Old")));
        const QString system = home.filePath(QStringLiteral("system"));
        systemFolder(system, {{QStringLiteral("sheets-templates.xml"), kSheets}});

        const ProductDatabase db = ProductDatabase::load({user, {system}});
        QCOMPARE(int(db.rejected().size()), 0);
        QCOMPARE(db.find(QStringLiteral("Avery"), QStringLiteral("5196"))->description, QStringLiteral("Mine"));
        QVERIFY(db.find(QStringLiteral("Acme"), QStringLiteral("Old")));
        // The system's alias takes the user's product.
        const Product* alias = db.find(QStringLiteral("Avery"), QStringLiteral("5096"));
        QCOMPARE(alias->description, QStringLiteral("Mine"));
        QCOMPARE(alias->shape.size.toPt(), QSizeF(72, 72));
    }

    // Reads the database installed on this machine (what it leaves out, and
    // why, is logged as it is read): its diskette, Zip and CD products are
    // there, labels a little past the paper's edge are kept, layouts given
    // twice are one, and what is left out is left out for its reason. It pins
    // no counts, so that another release of the database passes too.
    void installedDatabase()
    {
        ProductDatabase::Sources sources;
        sources.systemFolders = ProductDatabase::Sources::standard().systemFolders;
        if (sources.systemFolders.isEmpty())
            QSKIP("The label-product database is not installed (Debian package glabels-data)");
        const ProductDatabase db = ProductDatabase::load(sources);
        QVERIFY(db.installed());
        qInfo("%lld products, %lld left out", qint64(db.products().size()), qint64(db.rejected().size()));
        const auto product = [&db](const char* brand, const char* part) {
            return db.find(QLatin1String(brand), QLatin1String(part));
        };
        using Names = std::initializer_list<std::pair<const char*, const char*>>;
        for (const auto& [brand, part] :
             Names{{"Avery", "5196"}, {"Avery", "8666"}, {"Hama", "50470"}, {"Hama", "50434"}, {"Desmat", "A4ST-3CD"}})
            QVERIFY2(product(brand, part) && product(brand, part)->isMedia(), part);
        QCOMPARE(cells(*product("Avery", "5196")).size(), 9);
        // The middle disc is the second label, though the file lists it last.
        const QList<Cell> discs = cells(*product("Desmat", "A4ST-3CD"));
        QCOMPARE(discs.size(), 3);
        QCOMPARE(discs[1].layout, 2);

        // A little past the paper's edge, and kept: how far, the label
        // stock tab can say. A unit without a number is none.
        for (const auto& [brand, part, tenths] :
             std::initializer_list<std::tuple<const char*, const char*, int>>{{"JAC", "10542", 13},
                                                                              {"Connect", "KF10647", 30},
                                                                              {"PEARL", "VM-5217", 15},
                                                                              {"PEARL", "VM-5517", 15}}) {
            QVERIFY2(product(brand, part), part);
            QCOMPARE(qRound(product(brand, part)->overhang.toMm() * 10), tenths);
        }
        for (const auto& [brand, part] :
             Names{{"Herma", "4464"}, {"Herma", "4620"}, {"JAC", "5229"}, {"Zweckform", "3475"}})
            QVERIFY2(product(brand, part), part);
        QCOMPARE(product("Online Labels", "OL320 (rectangle)")->shape.corner.toPt(), 0.0);
        for (const auto& [brand, part, count] :
             std::initializer_list<std::tuple<const char*, const char*, int>>{{"Your Design", "VM-6310", 8},
                                                                              {"Your Design", "VM-6810", 8},
                                                                              {"Sattleford", "VM-6356", 5},
                                                                              {"Sattleford", "VM-5856", 5},
                                                                              {"Sattleford", "VM-6700", 5}})
            QVERIFY2(product(brand, part) && product(brand, part)->cellCount() == count, part);
        // An alias of an alias.
        QCOMPARE(product("Herma", "10801")->layouts, product("Herma", "4102")->layouts);

        for (const auto& [name, reason] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"Endisch B200147A5", "its labels leave the paper by"},
                 {"Hisago ELM024", "its labels leave the paper by"},
                 {"Hisago GB865", "its labels leave the paper by"},
                 {"Rayfilm 7001", "its labels leave the paper by"},
                 {"SheetLabels SL113", "its labels overlap by"}}) {
            if (const Rejection* r = db.leftOut(QLatin1String(name)))
                QVERIFY2(r->reason.startsWith(QLatin1String(reason)), qPrintable(r->text()));
        }
    }

    void fitting()
    {
        const LengthSize label = LengthSize::pt(QSizeF(198, 198));  // 69.85 mm square
        const Placement shrunk = place(LengthSize::mm(QSizeF(100, 50)), label, Fit::ShrinkToFit);
        QVERIFY(shrunk.larger);
        QCOMPARE(shrunk.scale, 198 / (100 * kMm));
        QCOMPARE(shrunk.rect.width(), 198.0);
        QCOMPARE(shrunk.rect.center(), QPointF(99, 99));
        QVERIFY(qAbs(shrunk.percent() - 69.85) < 0.001);

        const Placement actual = place(LengthSize::mm(QSizeF(100, 50)), label, Fit::ActualSize);
        QVERIFY(actual.larger);
        QCOMPARE(actual.scale, 1.0);
        QCOMPARE(actual.rect.size(), QSizeF(100 * kMm, 50 * kMm));
        QCOMPARE(actual.rect.center(), QPointF(99, 99));

        // A smaller design is centred at its own size either way: never enlarged.
        for (const Fit fit : {Fit::ShrinkToFit, Fit::ActualSize}) {
            const Placement small = place(LengthSize::mm(QSizeF(50, 30)), label, fit);
            QVERIFY(!small.larger);
            QCOMPARE(small.percent(), 100.0);
            QCOMPARE(small.rect, QRectF(99 - 25 * kMm, 99 - 15 * kMm, 50 * kMm, 30 * kMm));
        }
    }

    void calibration()
    {
        Calibration c{-10, 10, 95, 105};
        QVERIFY(c.problem().isEmpty());
        for (const Calibration& wrong :
             {Calibration{10.01, 0, 100, 100}, Calibration{0, -10.5, 100, 100}, Calibration{0, 0, 94.9, 100},
              Calibration{0, 0, 100, 105.1}, Calibration{qQNaN(), 0, 100, 100}})
            QVERIFY(!wrong.problem().isEmpty());

        // The printer scales about the paper's top-left corner, then moves;
        // printing undoes it, so that each point lands where it belongs.
        c = Calibration{2, -1, 102, 98};
        QCOMPARE(c.printer().map(QPointF(0, 0)), QPointF(2 * kMm, -1 * kMm));
        QCOMPARE(c.printer().map(QPointF(612, 792)), QPointF(612 * 1.02 + 2 * kMm, 792 * 0.98 - 1 * kMm));
        for (const QPointF p : {QPointF(0, 0), QPointF(612, 792), QPointF(100, 500)}) {
            const QPointF landed = c.printer().map(c.transform().map(p));
            QVERIFY(std::abs(landed.x() - p.x()) < 1e-9 && std::abs(landed.y() - p.y()) < 1e-9);
        }

        QTemporaryDir dir;
        platform::Settings settings(dir.filePath(QStringLiteral("t.ini")));
        const QString office = QStringLiteral("Office/Laser 2");
        QVERIFY(saveCalibration(settings, office, c));
        QVERIFY(!saveCalibration(settings, QStringLiteral("Other"), Calibration{11, 0, 100, 100}));
        QCOMPARE(loadCalibration(settings, office), c);
        QCOMPARE(readCalibration(settings, office).problem, QString());
        QCOMPARE(loadCalibration(settings, QStringLiteral("Other")), Calibration{});
        QCOMPARE(readCalibration(settings, QStringLiteral("Office")).problem, QString());
        // Values that are not sound in the settings file read as none, and say why.
        const QString group = QStringLiteral("stock/calibration/Office%2FLaser%202/");
        settings.update(
            [&](platform::SettingsText& text) { text.setValue(group + QStringLiteral("printsAcross"), 200.0); });
        QCOMPARE(readCalibration(settings, office).calibration, Calibration{});
        QCOMPARE(readCalibration(settings, office).problem,
                 QStringLiteral("A ruler must measure from 95 mm to 105 mm."));
        settings.update([&](platform::SettingsText& text) {
            text.setValue(group + QStringLiteral("printsAcross"), QStringLiteral("wide"));
        });
        QCOMPARE(readCalibration(settings, office).problem, QStringLiteral("A stored figure is not a number."));

        // A calibration kept in the earlier form, the correction printing
        // applied, prints as it did.
        const QString earlier = QStringLiteral("stock/calibration/Earlier/");
        settings.update([&](platform::SettingsText& text) {
            text.setValue(earlier + QStringLiteral("right"), -1.5);
            text.setValue(earlier + QStringLiteral("down"), 0.8);
            text.setValue(earlier + QStringLiteral("across"), 100.5);
        });
        const QTransform correction(1.005, 0, 0, 1, -1.5 * kMm, 0.8 * kMm);
        const QTransform read = loadCalibration(settings, QStringLiteral("Earlier")).transform();
        for (const QPointF p : {QPointF(0, 0), QPointF(612, 792)})
            QVERIFY(QLineF(read.map(p), correction.map(p)).length() < 0.05 * kMm);
        QVERIFY(saveCalibration(settings, QStringLiteral("Earlier"), Calibration{}));
        QCOMPARE(settings.read().value(earlier + QStringLiteral("right")), QVariant());
    }

    // The settings file is Qt's INI format both ways: what QSettings wrote
    // (an earlier Tessera's file) reads the same here, and what is written
    // here QSettings reads the same.
    void settingsAreQtsIniFormat()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("qt.conf"));
        const QString awkward = QStringLiteral(
            "A \"q\" b,c;=\\ \u00e9\t\x01"
            "1 @x ");
        const QList<std::pair<QString, QVariant>> values = {
            {QStringLiteral("stock/last/brand"), awkward},
            {QStringLiteral("stock/last/part"), QStringLiteral("@at")},
            {QStringLiteral("stock/sheets/Hama%2050470/x"), QStringList{QStringLiteral("1"), QStringLiteral("12")}},
            {QStringLiteral("stock/sheets/one"), QStringList{QStringLiteral("3")}},
            {QStringLiteral("stock/calibration/Office%2FLaser/right"), QStringLiteral("-0.8")},
            {QStringLiteral("top"), QStringLiteral(" lead")},
            {QStringLiteral("k ey/\u00fc/\u4e2d"), QStringList{QString(), awkward}},
        };
        {
            QSettings qt(file, QSettings::IniFormat);
            for (const auto& [key, value] : values)
                qt.setValue(key, value);
            qt.setValue(QStringLiteral("other/number"), 1.5);
        }
        QFile read(file);
        QVERIFY(read.open(QIODevice::ReadOnly));
        const platform::SettingsText text = platform::SettingsText::parse(read.readAll());
        // As with QSettings, a list of one reads as its text.
        const auto same = [](const QVariant& got, const QVariant& value) {
            return value.typeId() == QMetaType::QStringList ? QVariant(got.toStringList()) : got;
        };
        for (const auto& [key, value] : values)
            QCOMPARE(same(text.value(key), value), value);
        QCOMPARE(text.value(QStringLiteral("other/number")).toDouble(), 1.5);
        QCOMPARE(platform::SettingsText::parse(text.bytes()), text);

        platform::SettingsText ours;
        for (const auto& [key, value] : values) {
            if (value.typeId() == QMetaType::QStringList)
                ours.setValue(key, value.toStringList());
            else
                ours.setValue(key, value.toString());
        }
        ours.setValue(QStringLiteral("other/number"), 1.5);
        ours.setValue(QStringLiteral("other/none"), QStringList());
        const QString written = dir.filePath(QStringLiteral("ours.conf"));
        QFile out(written);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(ours.bytes());
        out.close();
        QSettings qt(written, QSettings::IniFormat);
        for (const auto& [key, value] : values)
            QCOMPARE(same(qt.value(key), value), value);
        QCOMPARE(qt.value(QStringLiteral("other/number")).toDouble(), 1.5);
        QCOMPARE(qt.value(QStringLiteral("other/none")).toStringList(), QStringList());
        ours.remove(QStringLiteral("stock/sheets"));
        QCOMPARE(ours.value(QStringLiteral("stock/sheets/one")), QVariant());
        QCOMPARE(ours.value(QStringLiteral("stock/last/part")), QStringLiteral("@at"));
    }

    // What the settings file holds is written so that it reads back the
    // same, however the file ended or was edited by hand; and every text is
    // written so that it reads back as itself.
    void settingsTextReadsBackWhatItWrites()
    {
        using platform::SettingsText;
        const QList<std::pair<QByteArray, QString>> files = {
            // The file ends inside quotes, after a backslash, or with a line
            // continued into nothing; the sections after the first come first
            // when written.
            {"[z]\nk=\"open to the end\n[a]\nx=1\n", QStringLiteral("z/k")},
            {"[z]\nk=trailing\\", QStringLiteral("z/k")},
            {"[z]\nk=continued\\\r\r[a]\nx=1\n", QStringLiteral("z/k")},
            {"[z]\nk=continued twice\\\r\\\r\\", QStringLiteral("z/k")},
            // Slashes QSettings does not ask for.
            {"[/a//b/]\n/c/=1\n", QStringLiteral("a/b/c")},
        };
        for (const auto& [bytes, key] : files) {
            const SettingsText read = SettingsText::parse(bytes);
            QVERIFY2(read.contains(key), bytes.constData());
            const SettingsText again = SettingsText::parse(read.bytes());
            QVERIFY2(again == read, read.bytes().constData());
            QCOMPARE(again.value(key), read.value(key));
        }
        // A character beyond the first 65536 as UTF-8, half of one alone as
        // an escape, a byte order mark as itself.
        const QStringList values = {QStringLiteral("\U0001F389 party"), QString(QChar(0xD800)) + QStringLiteral("1 alone"),
                                    QStringLiteral("\uFEFFmarked")};
        SettingsText text;
        for (const QString& value : values)
            text.setValue(value, value);
        QVERIFY2(text.bytes().contains("=\xF0\x9F\x8E\x89 party\n"), text.bytes().constData());
        const SettingsText written = SettingsText::parse(text.bytes());
        for (const QString& value : values)
            QCOMPARE(written.value(value), value);
    }

    // Settings are written only into the user's own regular file: a link is
    // followed to one and stays a link; a link to anything else, and
    // anything else in the file's place, is neither read (nothing waits on
    // it) nor replaced, and the settings say why.
    void settingsGoOnlyIntoTheUsersOwnFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Tessera/Tessera.conf"));
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        const auto setLast = [](platform::SettingsText& text) {
            text.setValue(QStringLiteral("stock/last/brand"), QStringLiteral("Avery"));
        };
        const auto linkTo = [&](const QString& target) {
            QFile::remove(file);
            QVERIFY(QFile::link(target, file));
        };

        // A link to the user's own file (a dotfile setup) is followed.
        const QString dotfile = dir.filePath(QStringLiteral("dotfiles-Tessera.conf"));
        {
            QFile f(dotfile);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[stock]\nsheets\\Avery\\5196=1, 2\n");
        }
        linkTo(dotfile);
        platform::Settings settings(file);
        QVERIFY(settings.update(setLast));
        QVERIFY(QFileInfo(file).isSymLink());
        QCOMPARE(platform::Settings(dotfile).value(QStringLiteral("stock/last/brand")), QStringLiteral("Avery"));
        QCOMPARE(settings.value(QStringLiteral("stock/sheets/Avery/5196")), (QStringList{"1", "2"}));
        QVERIFY(settings.problem().isEmpty());

        QList<std::pair<QString, QString>> refused;  // what is in the way, what the settings say of it
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        refused.append({fifo, QStringLiteral("a named pipe, not a file")});
        const QString folder = dir.filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(folder));
        refused.append({folder, QStringLiteral("a folder, not a file")});
        const QString huge = dir.filePath(QStringLiteral("huge"));
        {
            QFile f(huge);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(platform::Settings::kMaxFileBytes + 1));
        }
        refused.append({huge, QStringLiteral("larger than 1 MB")});
        refused.append({dir.filePath(QStringLiteral("missing")), QStringLiteral("which is not there")});
        if (::geteuid() == 0) {
            // Made here, never a system one: the device that once became a text file.
            const QString device = dir.filePath(QStringLiteral("zero"));
            QCOMPARE(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 5)), 0);
            refused.append({device, QStringLiteral("a device, not a file")});
            const QString theirs = dir.filePath(QStringLiteral("theirs"));
            {
                QFile f(theirs);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("[stock]\nlast\\brand=Theirs\n");
            }
            QCOMPARE(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
            refused.append({theirs, QStringLiteral("another user's file")});
        }
        for (const auto& [target, why] : refused) {
            struct stat before {};
            ::stat(QFile::encodeName(target).constData(), &before);
            for (const bool link : {true, false}) {
                if (!link && !QFileInfo(target).exists())
                    continue;
                QFile::remove(file);
                if (link)
                    linkTo(target);
                else
                    QVERIFY(QFile::rename(target, file) || QDir().rename(target, file));
                platform::Settings in(file);
                QCOMPARE(in.read(), platform::SettingsText());
                QVERIFY2(in.problem().contains(why), qPrintable(in.problem()));
                QVERIFY(!in.update(setLast));
                QVERIFY2(in.problem().startsWith(QStringLiteral("Tessera's settings could not be saved in ") + file),
                         qPrintable(in.problem()));
                QVERIFY2(in.problem().contains(why), qPrintable(in.problem()));
                QCOMPARE(in.takeProblem(), in.problem());
                QCOMPARE(in.takeProblem(), QString());  // told once
                if (!link)
                    QVERIFY(QFile::rename(file, target) || QDir().rename(file, target));
            }
            struct stat after {};
            ::stat(QFile::encodeName(target).constData(), &after);
            QCOMPARE(after.st_mode, before.st_mode);
            QCOMPARE(after.st_size, before.st_size);
            QCOMPARE(after.st_uid, before.st_uid);
        }
    }

    // Two Tessera processes printing on the same sheet: a write merges with
    // what the other wrote, and a print can tell that its cells are gone.
    void sheetMemoryMergesWithOtherWriters()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Tessera.conf"));
        const Product& sheet = *sheets_.find(QStringLiteral("Avery"), QStringLiteral("5196"));
        platform::Settings a(file), b(file);
        QVERIFY(SheetMemory(a).recordPrint(sheet, *planPrint(9, 1, 2)));
        const PrintRun planned = *planPrint(9, SheetMemory(a).firstFreeCell(sheet), 1);
        QCOMPARE(planned.pages.first(), QList<int>{3});
        // Meanwhile the other prints cells 3 and 4.
        QVERIFY(SheetMemory(b).recordPrint(sheet, *planPrint(9, 3, 2)));
        QCOMPARE(SheetMemory(a).usedSince(sheet, planned, {1, 2}), QList<int>{3});
        QVERIFY(SheetMemory(a).recordPrint(sheet, planned));
        QCOMPARE(SheetMemory(b).usedCells(sheet), (QList<int>{1, 2, 3, 4}));
        QCOMPARE(SheetMemory(b).firstFreeCell(sheet), 5);
    }

    // An earlier Tessera numbered the labels layout by layout, under
    // "stock/sheets": what it remembered reads in today's numbering, and
    // moves to "stock/used" with the first change.
    void sheetMemoryOfTheEarlierNumberingCarriesOver()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Tessera.conf"));
        // The top and the bottom disc, and the first row of diskette labels.
        const QByteArray earlier = "[stock]\nsheets\\Avery\\5196=1, 2, 3\nsheets\\Trio\\3CD=1, 2\n";
        write(file, earlier);
        const Product& discs = *sheets_.find(QStringLiteral("Trio"), QStringLiteral("3CD"));
        const Product& diskettes = *sheets_.find(QStringLiteral("Avery"), QStringLiteral("5196"));
        platform::Settings settings(file);
        SheetMemory memory(settings);
        QCOMPARE(memory.usedCells(discs), (QList<int>{1, 3}));
        QCOMPARE(memory.firstFreeCell(discs), 2);
        QCOMPARE(memory.usedCells(diskettes), (QList<int>{1, 2, 3}));
        QFile read(file);
        QVERIFY(read.open(QIODevice::ReadOnly));
        QCOMPARE(read.readAll(), earlier);  // reading wrote nothing
        read.close();

        QVERIFY(memory.recordPrint(diskettes, *planPrint(9, 4, 1)));
        QVERIFY(memory.recordPrint(discs, *planPrint(3, 2, 1)));  // the sheet is done
        QCOMPARE(settings.read().keys(), QStringList{QStringLiteral("stock/used/Avery/5196")});
        QCOMPARE(memory.usedCells(diskettes), (QList<int>{1, 2, 3, 4}));
        QCOMPARE(memory.firstFreeCell(discs), 1);
    }

    void printCells()
    {
        // Where the next print on the sheet in the printer starts.
        QTemporaryDir dir;
        platform::Settings settings(dir.filePath(QStringLiteral("Tessera.conf")));
        const Product& sheet = *sheets_.find(QStringLiteral("Avery"), QStringLiteral("5196"));
        const auto nextAfter = [&](const PrintRun& printed) {
            SheetMemory(settings).newSheet(sheet);
            SheetMemory(settings).recordPrint(sheet, printed);
            return SheetMemory(settings).firstFreeCell(sheet);
        };
        const auto run = planPrint(9, 4, 11);
        QVERIFY(run);
        QCOMPARE(run->pages, (QList<QList<int>>{{4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5}}));
        QCOMPARE(run->usedAfter, (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(nextAfter(*run), 6);

        const auto fewer = planPrint(9, 4, 3);
        QCOMPARE(fewer->pages, (QList<QList<int>>{{4, 5, 6}}));
        QCOMPARE(fewer->usedAfter, (QList<int>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(nextAfter(*fewer), 7);

        const auto full = planPrint(9, 4, 6);
        QCOMPARE(full->pages.size(), 1);
        QCOMPARE(full->usedAfter.size(), 9);
        QCOMPARE(nextAfter(*full), 1);

        QVERIFY(!planPrint(9, 0, 1));
        QVERIFY(!planPrint(9, 10, 1));
        QVERIFY(!planPrint(9, 1, 0));
        // A print holds many labels, copies of each counted, up to a bound.
        QCOMPARE(planPrint(9, 1, kMaxCopies + 1)->pages.size(), (kMaxCopies + 1 + 8) / 9);
        QCOMPARE(planPrint(9, 1, kMaxLabels)->pages.size(), (kMaxLabels + 8) / 9);
        QVERIFY(!planPrint(9, 1, kMaxLabels + 1));
    }
};

QTEST_GUILESS_MAIN(StockTest)
#include "test_stock.moc"
