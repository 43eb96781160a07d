#pragma once

#include <QString>
#include <QTransform>

namespace platform {
class Settings;
}

namespace stock {

// What a printer does to a page of label sheets, as measured on its
// calibration page: it prints everything `rightMm` further right and
// `downMm` further down than it should (negative: left, up), at
// `acrossPercent` and `downPercent` of its size across and down (the 100 mm
// rulers measure that many millimetres), scaled about the paper's top-left
// corner. Printing on label stock undoes it.
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
    // where this printer puts it: scaled about the corner, then moved.
    QTransform printer() const;
    // Maps a point on the page to where the printer must be told to draw it,
    // so that it lands where it belongs: printer() undone.
    QTransform transform() const;

    friend bool operator==(const Calibration&, const Calibration&) = default;
};

// The label stock tab's names of the four figures, with their mnemonics;
// the calibration page refers to them by these names.
struct CalibrationWords {
    static QString right();
    static QString down();
    static QString across();
    static QString downScale();
};

// A printer's calibration as the settings hold it, and why it is not used
// when it is not: a stored value that is no number or not sound leaves the
// identity.
struct StoredCalibration {
    Calibration calibration;
    QString problem;  // empty when the stored calibration (or none) is used
};

// Each printer's calibration in the settings, under its name. A printer
// with none stored has the identity. A calibration stored in the earlier
// form, which held the correction printing applied rather than what the
// printer does, is read as the same correction.
StoredCalibration readCalibration(const platform::Settings& settings, const QString& printer);
// readCalibration's calibration, whatever its problem.
Calibration loadCalibration(const platform::Settings& settings, const QString& printer);
// Refuses values that are not sound, and then stores nothing; false too
// when the settings could not be written (they say why).
bool saveCalibration(platform::Settings& settings, const QString& printer, const Calibration& calibration);

}  // namespace stock
