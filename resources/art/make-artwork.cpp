// Draws the program's built-in pictures: the main menu's title artwork, the
// Zip sleeve's strip and the window icon. Run once; its output is committed
// under resources/images.
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

QFont font(const char* family, int pixels, int weight)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setWeight(QFont::Weight(weight));
    return f;
}

void drawDisc(QPainter& p, QPointF centre, double radius)
{
    QRadialGradient shine(centre, radius);
    shine.setColorAt(0.0, QColor(250, 250, 255));
    shine.setColorAt(0.55, QColor(200, 210, 230));
    shine.setColorAt(1.0, QColor(160, 175, 205));
    p.setPen(QPen(QColor(90, 100, 120), 1.5));
    p.setBrush(shine);
    p.drawEllipse(centre, radius, radius);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, radius * 0.18, radius * 0.18);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius * 0.08, radius * 0.08);
}

// Drawn at 400 x 300, then scaled to the pixels it is shown in.
QImage title(QSize size)
{
    QImage image(400, 300, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(24, 52, 110));
    sky.setColorAt(1, QColor(70, 120, 190));
    p.fillRect(image.rect(), sky);

    // The name, large, with a soft shadow.
    p.setFont(font("Liberation Serif", 72, QFont::Bold));
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(QRect(4, 10, 400, 100), Qt::AlignCenter, QStringLiteral("Tessera"));
    p.setPen(QColor(255, 226, 120));
    p.drawText(QRect(0, 6, 400, 100), Qt::AlignCenter, QStringLiteral("Tessera"));

    // A jewel case seen from the front, its label in the insert.
    const QRectF caseRect(95, 118, 210, 168);
    p.setPen(QPen(QColor(30, 30, 40), 2));
    p.setBrush(QColor(225, 230, 240));
    p.drawRoundedRect(caseRect, 6, 6);
    p.setBrush(QColor(55, 60, 75));
    p.drawRect(QRectF(caseRect.left(), caseRect.top(), 16, caseRect.height()));
    for (int y = 128; y < 280; y += 12)
        p.drawLine(QPointF(caseRect.left() + 4, y), QPointF(caseRect.left() + 12, y));
    const QRectF insert(caseRect.left() + 24, caseRect.top() + 10, caseRect.width() - 34, caseRect.height() - 20);
    p.setPen(QPen(QColor(120, 120, 130), 1));
    p.setBrush(Qt::white);
    p.drawRect(insert);
    drawDisc(p, QPointF(insert.right() - 40, insert.top() + 42), 30);
    p.setPen(QColor(20, 30, 60));
    p.setFont(font("Liberation Sans", 15, QFont::Bold));
    p.drawText(QRectF(insert.left() + 8, insert.top() + 6, 120, 20), Qt::AlignLeft, QStringLiteral("MY DISC"));
    p.setFont(font("Liberation Sans", 9, QFont::Normal));
    const char* lines[] = {"[PHOTOS]", "[LETTERS]", "budget.xls", "notes.txt", "readme.txt"};
    for (int i = 0; i < 5; ++i)
        p.drawText(QPointF(insert.left() + 10, insert.top() + 44 + 14 * i), QString::fromLatin1(lines[i]));
    p.setPen(QPen(QColor(192, 192, 192), 1));
    for (int i = 0; i < 6; ++i)
        p.drawLine(QPointF(insert.left() + 8, insert.top() + 32 + 14 * i),
                   QPointF(insert.left() + 96, insert.top() + 32 + 14 * i));
    // A glint across the lid.
    QPainterPath glint;
    glint.moveTo(caseRect.left() + 60, caseRect.top());
    glint.lineTo(caseRect.left() + 110, caseRect.top());
    glint.lineTo(caseRect.left() + 40, caseRect.bottom());
    glint.lineTo(caseRect.left() + 20, caseRect.bottom());
    p.fillPath(glint, QColor(255, 255, 255, 45));
    p.end();
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage zipStrip()
{
    QImage image(308, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font("Liberation Sans", 21, QFont::Black));
    p.setPen(Qt::black);
    p.drawText(QRect(4, 0, 64, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ZIP"));
    return image;
}

QImage icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // A label sheet with a disc, and a coloured tile in the corner.
    p.setPen(QPen(QColor(40, 40, 50), 1.2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(3, 2, 22, 28), 2, 2);
    p.setPen(QPen(QColor(160, 160, 170), 1));
    for (int y = 18; y <= 26; y += 4)
        p.drawLine(QPointF(6, y), QPointF(22, y));
    drawDisc(p, QPointF(14, 10), 6.5);
    p.setPen(QPen(QColor(20, 40, 90), 1));
    p.setBrush(QColor(240, 190, 40));
    p.drawRect(QRectF(19, 19, 11, 11));
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    // The main menu's title box is 152 x 116 pixels; the larger picture is
    // for screens of twice the pixels.
    const bool ok = title(QSize(152, 116)).save(out + QStringLiteral("/title.png")) &&
                    title(QSize(304, 232)).save(out + QStringLiteral("/title@2x.png")) &&
                    zipStrip().save(out + QStringLiteral("/zipstrip.jpg"), "JPEG", 95) &&
                    icon(32).save(out + QStringLiteral("/tessera.png")) &&
                    icon(64).save(out + QStringLiteral("/tessera-64.png"));
    return ok ? 0 : 1;
}
