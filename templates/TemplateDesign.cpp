#include "templates/TemplateDesign.h"

#include "ui/Fonts.h"
#include "ui/SystemColors.h"

namespace templates {

namespace {

struct Grid {
    int rows, columns;
    int fieldLeft, columnPitch;
    int fieldTop, rowPitch;
    int fieldWidth, fieldHeight;
    int lastColumnWidth;  // 0: same as the others
};

struct Rules {
    int y0, pitch, xFrom, xTo;
    QList<int> verticalX;
};

QList<QRect> fields(const Grid& g)
{
    QList<QRect> out;
    for (int k = 0; k < g.rows * g.columns; ++k) {
        const int c = k / g.rows, r = k % g.rows;
        const bool last = c == g.columns - 1 && g.lastColumnWidth > 0;
        out.append(QRect(g.fieldLeft + g.columnPitch * c, g.fieldTop + g.rowPitch * r,
                         last ? g.lastColumnWidth : g.fieldWidth, g.fieldHeight));
    }
    return out;
}

QList<LineDesign> rules(int rows, const Rules& r)
{
    QList<LineDesign> out;
    const int yLast = r.y0 + r.pitch * rows;
    for (int i = 0; i <= rows; ++i) {
        const int y = r.y0 + r.pitch * i;
        out.append({QLine(r.xFrom, y, r.xTo, y), 1, ui::syscolor::ActiveBorder});
    }
    for (int x : r.verticalX)
        out.append({QLine(x, r.y0, x, yLast), 1, ui::syscolor::ActiveBorder});
    return out;
}

QList<LineDesign> outline(std::initializer_list<QLine> lines)
{
    QList<LineDesign> out;
    for (const QLine& line : lines)
        out.append({line, 2, ui::syscolor::WindowText});
    return out;
}

TemplateDesign make(QString form, QString caption, int w, int h, int left, int top, const Grid& grid,
                    const Rules& rulesDesign, QString fontName, double fontSize)
{
    TemplateDesign d;
    d.formName = std::move(form);
    d.caption = std::move(caption);
    d.width = w;
    d.height = h;
    d.left = left;
    d.top = top;
    d.rows = grid.rows;
    d.columns = grid.columns;
    d.contentFields = fields(grid);
    d.contentFontName = std::move(fontName);
    d.contentFontSize = fontSize;
    d.rules = rules(grid.rows, rulesDesign);
    return d;
}

}  // namespace

const TemplateDesign& floppyLabel()
{
    static const TemplateDesign d = [] {
        TemplateDesign t = make(QStringLiteral("DiskLabel"), QStringLiteral("1.44 Floppy Label"), 4425, 3300, 6015,
                                1800, {10, 2, 600, 1680, 375, 240, 1455, 135, 0},
                                {375, 240, 480, 3720, {480, 2160, 3720}}, ui::fontname::Serif, 6);
        t.diskName1 = QRect(600, 120, 3135, 255);
        t.outline = outline({QLine(120, 120, 4200, 120), QLine(120, 120, 120, 3000), QLine(4200, 120, 4200, 3000),
                             QLine(240, 3120, 4080, 3120), QLine(120, 3000, 240, 3120), QLine(4200, 3000, 4080, 3120)});
        t.credit = QRect(480, 2835, 3240, 225);
        return t;
    }();
    return d;
}

const TemplateDesign& zipLabel()
{
    static const TemplateDesign d = [] {
        TemplateDesign t = make(QStringLiteral("ZipLabel"), QStringLiteral("Zip Disk Label"), 3705, 3105, 6045, 1800,
                                {10, 2, 360, 1680, 480, 240, 1455, 135, 0}, {480, 240, 240, 3480, {240, 1920, 3480}},
                                ui::fontname::Serif, 6);
        t.diskName1 = QRect(840, 225, 2295, 315);
        t.outline = outline({QLine(120, 120, 3600, 120), QLine(120, 120, 120, 2880), QLine(3600, 120, 3600, 2880),
                             QLine(240, 3000, 3480, 3000), QLine(120, 2880, 240, 3000), QLine(3600, 2880, 3480, 3000)});
        return t;
    }();
    return d;
}

const TemplateDesign& zipSleeve()
{
    static const TemplateDesign d = [] {
        TemplateDesign t = make(QStringLiteral("ZipSleve"), QStringLiteral("Zip Disk Sleeve"), 5775, 6855, 6090, 1800,
                                {13, 2, 360, 2760, 720, 360, 2295, 255, 0}, {600, 360, 240, 5520, {240, 2880, 5520}},
                                ui::fontname::SansSerif, 8);
        t.diskName1 = QRect(840, 240, 4095, 255);
        t.diskName0 = QRect(1200, 5760, 4215, 255);
        t.picture = QRect(120, 5760, 4620, 360);
        t.pictureResource = QStringLiteral(":/images/zipstrip.jpg");
        t.outline = outline({QLine(120, 5760, 5640, 5760), QLine(120, 6120, 5640, 6120), QLine(120, 120, 5640, 120),
                             QLine(120, 120, 120, 6720), QLine(5640, 120, 5640, 6720), QLine(120, 6720, 5640, 6720)});
        t.credit = QRect(240, 5400, 5280, 255);
        return t;
    }();
    return d;
}

const TemplateDesign& cdSleeve()
{
    static const TemplateDesign d = [] {
        TemplateDesign t = make(QStringLiteral("CDSleve"), QStringLiteral("CD Rom Sleeve"), 8745, 6840, 6255, 1800,
                                {15, 3, 720, 2520, 720, 360, 2295, 255, 2175},
                                {600, 360, 600, 8160, {600, 3120, 5640, 8160}}, ui::fontname::SansSerif, 8);
        t.diskName1 = QRect(2400, 240, 4095, 255);
        t.outline = outline({QLine(120, 120, 8640, 120), QLine(120, 120, 120, 6720), QLine(8640, 120, 8640, 6720),
                             QLine(120, 6720, 8640, 6720), QLine(480, 120, 480, 6720), QLine(8280, 120, 8280, 6720)});
        t.credit = QRect(600, 6240, 7560, 255);
        return t;
    }();
    return d;
}

}  // namespace templates
