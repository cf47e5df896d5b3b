#include "game/collision.h"

#include "runtime/debug.h"
#include "runtime/std/math.h"

bool LineToCircle(float x1, float y1, float x2, float y2, float px, float py, float r) {
    ZV_FUNC("LineToCircle");
    ZV_LOCAL(x1);
    ZV_LOCAL(y1);
    ZV_LOCAL(x2);
    ZV_LOCAL(y2);
    ZV_LOCAL(px);
    ZV_LOCAL(py);
    ZV_LOCAL(r);
    ZV_AT float sx = x2 - x1;
    ZV_LOCAL(sx);
    ZV_AT float sy = y2 - y1;
    ZV_LOCAL(sy);
    // The point's projection onto the segment, clamped to its ends.
    ZV_AT float q = ((px - x1) * (x2 - x1) + (py - y1) * (y2 - y1)) / (sx * sx + sy * sy);
    ZV_LOCAL(q);
    ZV_AT if (q < 0) q = 0;
    ZV_AT if (q > 1) q = 1;
    ZV_AT float cx = (1 - q) * x1 + q * x2;
    ZV_LOCAL(cx);
    ZV_AT float cy = (1 - q) * y1 + q * y2;
    ZV_LOCAL(cy);
    ZV_AT return PointToPointDist(px, py, cx, cy) < r;
}

float PointToPointDist(float x1, float y1, float x2, float y2) {
    ZV_FUNC("PointToPointDist");
    ZV_LOCAL(x1);
    ZV_LOCAL(y1);
    ZV_LOCAL(x2);
    ZV_LOCAL(y2);
    ZV_AT float dx = x1 - x2;
    ZV_LOCAL(dx);
    ZV_AT float dy = y1 - y2;
    ZV_LOCAL(dy);
    ZV_AT return Sqrt(dx * dx + dy * dy);
}
