#pragma once

#include <algorithm>
#include <cmath>

namespace tarnwick {

// Points and rectangles in points, as 64-bit floats. The functions follow the
// usual rectangle semantics: a rectangle with a negative width or height is
// read as its standardized form, containment is half-open, and a rectangle of
// zero width or height contains nothing.

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(double x, double y, double width, double height)
        : origin{x, y}, size{width, height} {}

    // Member-wise equality; use rectEqualToRect for geometric equality.
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect rectStandardize(const Rect& r) {
    Rect s = r;
    if (s.size.width < 0) {
        s.origin.x += s.size.width;
        s.size.width = -s.size.width;
    }
    if (s.size.height < 0) {
        s.origin.y += s.size.height;
        s.size.height = -s.size.height;
    }
    return s;
}

inline double rectGetMinX(const Rect& r) {
    return rectStandardize(r).origin.x;
}
inline double rectGetMinY(const Rect& r) {
    return rectStandardize(r).origin.y;
}
inline double rectGetMaxY(const Rect& r) {
    const Rect s = rectStandardize(r);
    return s.origin.y + s.size.height;
}
inline double rectGetWidth(const Rect& r) {
    return std::abs(r.size.width);
}
inline double rectGetHeight(const Rect& r) {
    return std::abs(r.size.height);
}

inline bool rectIsEmpty(const Rect& r) {
    return !(r.size.width != 0 && r.size.height != 0);
}

inline bool rectContainsPoint(const Rect& r, const Point& p) {
    if (rectIsEmpty(r)) {
        return false;
    }
    const Rect s = rectStandardize(r);
    return s.origin.x <= p.x && p.x < s.origin.x + s.size.width && s.origin.y <= p.y &&
           p.y < s.origin.y + s.size.height;
}

inline bool rectEqualToRect(const Rect& a, const Rect& b) {
    return rectStandardize(a) == rectStandardize(b);
}

} // namespace tarnwick
