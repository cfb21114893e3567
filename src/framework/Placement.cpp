#include "framework/Placement.h"

namespace hr {

namespace {
int Clamp(int pos, int size, int lo, int hi) {
    if (pos + size > hi) pos = hi - size;
    if (pos < lo) pos = lo;
    return pos;
}
}  // namespace

PlacePoint CentreWindowIn(int width, int height, const PlaceRect& centreOn, const PlaceRect& area) {
    // Halve before adding so huge coordinates cannot overflow.
    int x = centreOn.left + (centreOn.right - centreOn.left) / 2 - width / 2;
    int y = centreOn.top + (centreOn.bottom - centreOn.top) / 2 - height / 2;
    return PlacePoint{Clamp(x, width, area.left, area.right), Clamp(y, height, area.top, area.bottom)};
}

}  // namespace hr
