#include "stock/Calibration.h"

#include "stock/Product.h"

#include "platform/Settings.h"

#include <QUrl>

namespace stock {

namespace {

// A printer's name may hold "/", which would open a settings group.
QString groupOf(const QString& printer)
{
    return QStringLiteral("stock/calibration/") + QString::fromLatin1(QUrl::toPercentEncoding(printer));
}

bool within(double value, double low, double high) { return value >= low && value <= high; }  // false for NaN

}  // namespace

QString Calibration::problem() const
{
    if (!within(rightMm, -kMaxOffsetMm, kMaxOffsetMm) || !within(downMm, -kMaxOffsetMm, kMaxOffsetMm))
        return QStringLiteral("An offset must be from -10 mm to 10 mm.");
    if (!within(acrossPercent, kMinScalePercent, kMaxScalePercent) ||
        !within(downPercent, kMinScalePercent, kMaxScalePercent))
        return QStringLiteral("A scale must be from 95 % to 105 %.");
    return {};
}

QTransform Calibration::transform() const
{
    return QTransform(acrossPercent / 100, 0, 0, downPercent / 100, rightMm * kPointsPerMm, downMm * kPointsPerMm);
}

Calibration loadCalibration(const platform::Settings& settings, const QString& printer)
{
    const platform::SettingsText stored = settings.read();
    const QString group = groupOf(printer);
    Calibration c;
    bool ok[4] = {};
    c.rightMm = stored.value(group + QStringLiteral("/right"), 0.0).toDouble(&ok[0]);
    c.downMm = stored.value(group + QStringLiteral("/down"), 0.0).toDouble(&ok[1]);
    c.acrossPercent = stored.value(group + QStringLiteral("/across"), 100.0).toDouble(&ok[2]);
    c.downPercent = stored.value(group + QStringLiteral("/downScale"), 100.0).toDouble(&ok[3]);
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || !c.problem().isEmpty())
        return {};
    return c;
}

bool saveCalibration(platform::Settings& settings, const QString& printer, const Calibration& c)
{
    if (!c.problem().isEmpty())
        return false;
    const QString group = groupOf(printer);
    return settings.update([&](platform::SettingsText& stored) {
        stored.setValue(group + QStringLiteral("/right"), c.rightMm);
        stored.setValue(group + QStringLiteral("/down"), c.downMm);
        stored.setValue(group + QStringLiteral("/across"), c.acrossPercent);
        stored.setValue(group + QStringLiteral("/downScale"), c.downPercent);
    });
}

}  // namespace stock
