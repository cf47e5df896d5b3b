// The two geometric tests that decide a crash. All arithmetic is single precision.
#pragma once

// Whether (px, py) is closer than r to the segment from (x1, y1) to (x2, y2).
bool LineToCircle(float x1, float y1, float x2, float y2, float px, float py, float r);
float PointToPointDist(float x1, float y1, float x2, float y2);
