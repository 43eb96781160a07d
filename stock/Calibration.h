#pragma once

#include <QString>
#include <QTransform>

namespace platform {
class Settings;
}

namespace stock {

// A printer's correction for label sheets: it scales the page about the
// paper's top-left corner, then moves it right and down.
struct Calibration {
    static constexpr double kMaxOffsetMm = 10;
    static constexpr double kMinScalePercent = 95;
    static constexpr double kMaxScalePercent = 105;

    double rightMm = 0;
    double downMm = 0;
    double acrossPercent = 100;
    double downPercent = 100;

    // Why these values are refused, or an empty string when they are sound:
    // offsets within +-10 mm, scales from 95 % to 105 %.
    QString problem() const;

    // Maps a point on the page (points from the paper's top-left corner) to
    // where the printer must be told to draw it.
    QTransform transform() const;

    friend bool operator==(const Calibration&, const Calibration&) = default;
};

// Each printer's calibration in the settings, under its name. A printer
// with none stored, or with values that are not sound, has the identity.
Calibration loadCalibration(const platform::Settings& settings, const QString& printer);
// Refuses values that are not sound, and then stores nothing; false too
// when the settings could not be written (they say why).
bool saveCalibration(platform::Settings& settings, const QString& printer, const Calibration& calibration);

}  // namespace stock
