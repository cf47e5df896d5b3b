// The game's fixed 640 x 480 virtual screen on a window of any size, and its camera: the virtual
// screen is scaled uniformly to the largest size that fits, centred, and the world is shifted so
// that a chosen point lands on the focus. It only sets the transform; it clips nothing.
#pragma once

#include "runtime/object.h"

class c_VirtualDevice : public Object {
public:
    static constexpr const char* debug_name = "VirtualDevice";

    float width = 0;
    float height = 0;
    float xFocus = 0;
    float yFocus = 0;
    float xOrigin = 0;
    float yOrigin = 0;
    float xOffset = 0;
    float yOffset = 0;
    float zoom = 0;
    float deviceScale = 0;

    String debug_dump() override;

    c_VirtualDevice();

    int Init(float w, float h);
    int SetFocus(float x, float y);
    int SetOrigin(float x, float y);
    int SetupRender();
    // Where a window pixel lies on the virtual screen; a pixel in the bars lies beyond its edges.
    float VirtualX(float deviceX);
    float VirtualY(float deviceY);

private:
    int UpdateOffsets();
};
