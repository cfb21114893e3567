#pragma once
// Where a dialog goes when the framework centres it. Portable arithmetic:
// the Win32 side only gathers the rectangles.

namespace hr {

struct PlaceRect {
    int left;
    int top;
    int right;
    int bottom;
};

struct PlacePoint {
    int x;
    int y;
};

// Top-left corner of a width x height window centred on `centreOn`, then
// pulled back inside `area` so that it is not placed off the work area. When
// the window is larger than the area its top-left edge wins, so the caption
// and the first controls stay reachable.
PlacePoint CentreWindowIn(int width, int height, const PlaceRect& centreOn, const PlaceRect& area);

}  // namespace hr
