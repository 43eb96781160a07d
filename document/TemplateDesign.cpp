#include "document/TemplateDesign.h"

#include "ui/Fonts.h"
#include "ui/SystemColors.h"

namespace document {

namespace {

// The content fields, column by column.
struct Grid {
    int rows = 0, columns = 0;
    int fieldLeft = 0, columnPitch = 0;
    int fieldTop = 0, rowPitch = 0;
    int fieldWidth = 0, fieldHeight = 0;
    int lastColumnWidth = 0;  // 0: same as the others
};

// The ruled lines: a horizontal one above each row and below the last, and
// vertical ones down the grid.
struct Rules {
    int y0 = 0, pitch = 0, xFrom = 0, xTo = 0;
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
                                1800,
                                {.rows = 10,
                                 .columns = 2,
                                 .fieldLeft = 600,
                                 .columnPitch = 1680,
                                 .fieldTop = 375,
                                 .rowPitch = 240,
                                 .fieldWidth = 1455,
                                 .fieldHeight = 135},
                                {.y0 = 375, .pitch = 240, .xFrom = 480, .xTo = 3720, .verticalX = {480, 2160, 3720}},
                                ui::fontname::Serif, 6);
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
                                {.rows = 10,
                                 .columns = 2,
                                 .fieldLeft = 360,
                                 .columnPitch = 1680,
                                 .fieldTop = 480,
                                 .rowPitch = 240,
                                 .fieldWidth = 1455,
                                 .fieldHeight = 135},
                                {.y0 = 480, .pitch = 240, .xFrom = 240, .xTo = 3480, .verticalX = {240, 1920, 3480}},
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
                                {.rows = 13,
                                 .columns = 2,
                                 .fieldLeft = 360,
                                 .columnPitch = 2760,
                                 .fieldTop = 720,
                                 .rowPitch = 360,
                                 .fieldWidth = 2295,
                                 .fieldHeight = 255},
                                {.y0 = 600, .pitch = 360, .xFrom = 240, .xTo = 5520, .verticalX = {240, 2880, 5520}},
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
                                {.rows = 15,
                                 .columns = 3,
                                 .fieldLeft = 720,
                                 .columnPitch = 2520,
                                 .fieldTop = 720,
                                 .rowPitch = 360,
                                 .fieldWidth = 2295,
                                 .fieldHeight = 255,
                                 .lastColumnWidth = 2175},
                                {.y0 = 600, .pitch = 360, .xFrom = 600, .xTo = 8160, .verticalX = {600, 3120, 5640, 8160}},
                                ui::fontname::SansSerif, 8);
        t.diskName1 = QRect(2400, 240, 4095, 255);
        t.outline = outline({QLine(120, 120, 8640, 120), QLine(120, 120, 120, 6720), QLine(8640, 120, 8640, 6720),
                             QLine(120, 6720, 8640, 6720), QLine(480, 120, 480, 6720), QLine(8280, 120, 8280, 6720)});
        t.credit = QRect(600, 6240, 7560, 255);
        return t;
    }();
    return d;
}

}  // namespace document
