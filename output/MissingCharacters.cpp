#include "output/MissingCharacters.h"

#include "platform/Printable.h"
#include "ui/Fonts.h"
#include "ui/Units.h"

#include <QPaintEngine>
#include <QPainter>
#include <QStringList>
#include <QTextItem>

#include <climits>

namespace output {

namespace {

// A paint engine that draws nothing and keeps the characters of the texts
// painted on it that no installed font has.
class TextEngine final : public QPaintEngine {
public:
    TextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    QString missing;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return QPaintEngine::User; }

    void drawTextItem(const QPointF&, const QTextItem& item) override
    {
        missing += ui::charactersNotIn(ui::missingCharacters(item.font(), item.text()), missing);
    }

    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawRects(const QRect*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawLines(const QLine*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawEllipse(const QRect&) override {}
    void drawPoints(const QPointF*, int) override {}
    void drawPoints(const QPoint*, int) override {}
};

// A device of the screen's resolution, so that every text is laid out as
// the designs are.
class TextDevice final : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable TextEngine engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        constexpr int kDpi = 96;
        constexpr int kPixels = 1 << 20;
        switch (metric) {
        case PdmWidth:
        case PdmHeight: return kPixels;
        case PdmWidthMM:
        case PdmHeightMM: return int(kPixels * ui::kMmPerInch / kDpi);
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return kDpi;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }
};

}  // namespace

QString missingCharacters(const QList<const platform::Printable*>& labels)
{
    TextDevice device;
    for (const platform::Printable* label : labels) {
        QPainter painter(&device);
        painter.scale(device.logicalDpiX() / ui::kMmPerInch, device.logicalDpiY() / ui::kMmPerInch);
        label->paint(painter, QRectF(QPointF(), label->size().toMm()));
    }
    return device.engine.missing;
}

QString missingCharactersNote(const QString& characters)
{
    QStringList named;
    for (const char32_t c : characters.toUcs4())
        named << QStringLiteral("%1 (U+%2)")
                     .arg(QString::fromUcs4(&c, 1),
                          QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    return (named.size() == 1
                ? QStringLiteral("no installed font has this character, which prints as an empty box: %1")
                : QStringLiteral("no installed font has these characters, which print as empty boxes: %1"))
        .arg(named.join(QStringLiteral(", ")));
}

}  // namespace output
