#pragma once

#include "ui/Units.h"

#include <QSizeF>
#include <compare>

namespace ui {

// A length on paper, whatever unit it came in: label products give theirs in
// points, millimetres or inches, designs are made in millimetres and twips,
// and PDF pages are in points. It keeps points and converts on request, with
// the factors of ui/Units.h.
class Length {
public:
    constexpr Length() = default;
    static constexpr Length pt(double points) { return Length(points); }
    static constexpr Length mm(double millimetres) { return Length(millimetres * kPointsPerMm); }
    static constexpr Length in(double inches) { return Length(inches * kPointsPerInch); }

    constexpr double toPt() const { return pt_; }
    constexpr double toMm() const { return pt_ / kPointsPerMm; }
    constexpr double toIn() const { return pt_ / kPointsPerInch; }

    constexpr Length operator-() const { return Length(-pt_); }
    constexpr Length operator+(Length other) const { return Length(pt_ + other.pt_); }
    constexpr Length operator-(Length other) const { return Length(pt_ - other.pt_); }
    constexpr Length operator*(double factor) const { return Length(pt_ * factor); }
    constexpr Length operator/(double divisor) const { return Length(pt_ / divisor); }
    constexpr double operator/(Length other) const { return pt_ / other.pt_; }
    constexpr Length& operator+=(Length other) { return *this = *this + other; }
    constexpr Length& operator-=(Length other) { return *this = *this - other; }
    friend constexpr auto operator<=>(Length, Length) = default;

private:
    constexpr explicit Length(double points) : pt_(points) {}
    double pt_ = 0;
};

constexpr Length operator*(double factor, Length length) { return length * factor; }

// A width and a height.
struct LengthSize {
    Length width;
    Length height;

    static constexpr LengthSize pt(QSizeF points) { return {Length::pt(points.width()), Length::pt(points.height())}; }
    static constexpr LengthSize mm(QSizeF millimetres)
    {
        return {Length::mm(millimetres.width()), Length::mm(millimetres.height())};
    }
    constexpr QSizeF toPt() const { return QSizeF(width.toPt(), height.toPt()); }
    constexpr QSizeF toMm() const { return QSizeF(width.toMm(), height.toMm()); }
    constexpr bool isEmpty() const { return width <= Length() || height <= Length(); }
    constexpr LengthSize transposed() const { return {height, width}; }
    constexpr LengthSize operator*(double factor) const { return {width * factor, height * factor}; }

    friend constexpr bool operator==(const LengthSize&, const LengthSize&) = default;
};

}  // namespace ui
