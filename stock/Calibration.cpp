#include "stock/Calibration.h"

#include "stock/Product.h"

#include "platform/Settings.h"

#include <QUrl>

#include <cmath>
#include <optional>

namespace stock {

namespace {

// A printer's name may hold "/", which would open a settings group.
QString groupOf(const QString& printer)
{
    return QStringLiteral("stock/calibration/") + QString::fromLatin1(QUrl::toPercentEncoding(printer));
}

// What the printer does, under these names; the correction printing applied
// was stored under the earlier ones.
const QString kKeys[] = {QStringLiteral("/printsRight"), QStringLiteral("/printsDown"), QStringLiteral("/printsAcross"),
                         QStringLiteral("/printsDownScale")};
const QString kCorrectionKeys[] = {QStringLiteral("/right"), QStringLiteral("/down"), QStringLiteral("/across"),
                                   QStringLiteral("/downScale")};

bool within(double value, double low, double high) { return value >= low && value <= high; }  // false for NaN

double hundredths(double value) { return std::round(value * 100) / 100; }

}  // namespace

QString Calibration::problem() const
{
    if (!within(rightMm, -kMaxOffsetMm, kMaxOffsetMm) || !within(downMm, -kMaxOffsetMm, kMaxOffsetMm))
        return QStringLiteral("An offset must be from -10 mm to 10 mm.");
    if (!within(acrossPercent, kMinScalePercent, kMaxScalePercent) ||
        !within(downPercent, kMinScalePercent, kMaxScalePercent))
        return QStringLiteral("A ruler must measure from 95 mm to 105 mm.");
    return {};
}

QTransform Calibration::printer() const
{
    return QTransform(acrossPercent / 100, 0, 0, downPercent / 100, rightMm * ui::kPointsPerMm,
                      downMm * ui::kPointsPerMm);
}

QTransform Calibration::transform() const
{
    const double across = acrossPercent / 100;
    const double down = downPercent / 100;
    return QTransform(1 / across, 0, 0, 1 / down, -rightMm * ui::kPointsPerMm / across,
                      -downMm * ui::kPointsPerMm / down);
}

QString CalibrationWords::right() { return QStringLiteral("Cross ri&ght of centre"); }
QString CalibrationWords::down() { return QStringLiteral("Cross &below centre"); }
QString CalibrationWords::across() { return QStringLiteral("Ruler &across measures"); }
QString CalibrationWords::downScale() { return QStringLiteral("Ruler do&wn measures"); }

StoredCalibration readCalibration(const platform::Settings& settings, const QString& printer)
{
    const platform::SettingsText stored = settings.read();
    const QString group = groupOf(printer);
    const auto read = [&](const QString(&keys)[4], double values[4]) {
        bool any = false, numbers = true;
        for (int i = 0; i < 4; ++i) {
            const QVariant value = stored.value(group + keys[i]);
            any = any || value.isValid();
            bool ok = true;
            if (value.isValid())
                values[i] = value.toDouble(&ok);
            numbers = numbers && ok;
        }
        return any ? std::optional<bool>(numbers) : std::nullopt;
    };
    double v[4] = {0, 0, 100, 100};
    std::optional<bool> numbers = read(kKeys, v);
    if (!numbers) {
        numbers = read(kCorrectionKeys, v);
        if (!numbers)
            return {};
        // The correction scaled about the corner and then moved: the printer
        // does the opposite.
        const double across = v[2] / 100, down = v[3] / 100;
        v[0] = hundredths(-v[0] / across);
        v[1] = hundredths(-v[1] / down);
        v[2] = hundredths(100 / across);
        v[3] = hundredths(100 / down);
    }
    const Calibration c{v[0], v[1], v[2], v[3]};
    const QString problem = !*numbers ? QStringLiteral("A stored figure is not a number.") : c.problem();
    if (!problem.isEmpty())
        return {Calibration(), problem};
    return {c, QString()};
}

Calibration loadCalibration(const platform::Settings& settings, const QString& printer)
{
    return readCalibration(settings, printer).calibration;
}

bool saveCalibration(platform::Settings& settings, const QString& printer, const Calibration& c)
{
    if (!c.problem().isEmpty())
        return false;
    const QString group = groupOf(printer);
    return settings.update([&](platform::SettingsText& stored) {
        const double values[] = {c.rightMm, c.downMm, c.acrossPercent, c.downPercent};
        for (int i = 0; i < 4; ++i) {
            stored.setValue(group + kKeys[i], values[i]);
            stored.remove(group + kCorrectionKeys[i]);
        }
    });
}

}  // namespace stock
