#include "stock/Calibration.h"

#include "stock/Product.h"

#include <QSettings>
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

Calibration loadCalibration(QSettings& settings, const QString& printer)
{
    settings.beginGroup(groupOf(printer));
    Calibration c;
    bool ok[4] = {};
    c.rightMm = settings.value(QStringLiteral("right"), 0.0).toDouble(&ok[0]);
    c.downMm = settings.value(QStringLiteral("down"), 0.0).toDouble(&ok[1]);
    c.acrossPercent = settings.value(QStringLiteral("across"), 100.0).toDouble(&ok[2]);
    c.downPercent = settings.value(QStringLiteral("downScale"), 100.0).toDouble(&ok[3]);
    settings.endGroup();
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || !c.problem().isEmpty())
        return {};
    return c;
}

bool saveCalibration(QSettings& settings, const QString& printer, const Calibration& c)
{
    if (!c.problem().isEmpty())
        return false;
    settings.beginGroup(groupOf(printer));
    settings.setValue(QStringLiteral("right"), c.rightMm);
    settings.setValue(QStringLiteral("down"), c.downMm);
    settings.setValue(QStringLiteral("across"), c.acrossPercent);
    settings.setValue(QStringLiteral("downScale"), c.downPercent);
    settings.endGroup();
    return true;
}

}  // namespace stock
