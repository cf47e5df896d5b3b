#include "game/virtualdevice.h"

#include "framework/app.h"
#include "framework/graphics.h"
#include "runtime/std/math.h"

String c_VirtualDevice::debug_dump() {
    String t = dbg_dump_header("VirtualDevice");
    dbg_dump_field(t, "width", width);
    dbg_dump_field(t, "height", height);
    dbg_dump_field(t, "xFocus", xFocus);
    dbg_dump_field(t, "yFocus", yFocus);
    dbg_dump_field(t, "xOrigin", xOrigin);
    dbg_dump_field(t, "yOrigin", yOrigin);
    dbg_dump_field(t, "xOffset", xOffset);
    dbg_dump_field(t, "yOffset", yOffset);
    dbg_dump_field(t, "zoom", zoom);
    dbg_dump_field(t, "deviceScale", deviceScale);
    return t;
}

c_VirtualDevice::c_VirtualDevice() { ZV_FUNC("VirtualDevice.new"); }

int c_VirtualDevice::Init(float w, float h) {
    ZV_FUNC("VirtualDevice.Init");
    ZV_SELF;
    ZV_LOCAL(w);
    ZV_LOCAL(h);
    ZV_AT width = w;
    ZV_AT height = h;
    ZV_AT float xScale = float(DeviceWidth()) / width;
    ZV_LOCAL(xScale);
    ZV_AT float yScale = float(DeviceHeight()) / height;
    ZV_LOCAL(yScale);
    ZV_AT deviceScale = Min(xScale, yScale);
    ZV_AT zoom = 1;
    ZV_AT UpdateOffsets();
    ZV_AT SetupRender();
    return 0;
}

int c_VirtualDevice::SetFocus(float x, float y) {
    ZV_FUNC("VirtualDevice.SetFocus");
    ZV_SELF;
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT xFocus = x;
    ZV_AT yFocus = y;
    ZV_AT UpdateOffsets();
    ZV_AT SetupRender();
    return 0;
}

int c_VirtualDevice::SetOrigin(float x, float y) {
    ZV_FUNC("VirtualDevice.SetOrigin");
    ZV_SELF;
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT xOrigin = x;
    ZV_AT yOrigin = y;
    ZV_AT UpdateOffsets();
    ZV_AT SetupRender();
    return 0;
}

int c_VirtualDevice::SetupRender() {
    ZV_FUNC("VirtualDevice.SetupRender");
    ZV_SELF;
    // Replaces the current transform rather than combining with it.
    ZV_AT SetMatrix(Array<float>{1, 0, 0, 1, 0, 0});
    ZV_AT Translate(xOffset, yOffset);
    ZV_AT Scale(deviceScale * zoom, deviceScale * zoom);
    return 0;
}

float c_VirtualDevice::VirtualX(float deviceX) {
    ZV_FUNC("VirtualDevice.VirtualX");
    ZV_SELF;
    ZV_LOCAL(deviceX);
    ZV_AT return (deviceX - (float(DeviceWidth()) - width * deviceScale) * 0.5f) / deviceScale;
}

float c_VirtualDevice::VirtualY(float deviceY) {
    ZV_FUNC("VirtualDevice.VirtualY");
    ZV_SELF;
    ZV_LOCAL(deviceY);
    ZV_AT return (deviceY - (float(DeviceHeight()) - height * deviceScale) * 0.5f) / deviceScale;
}

// The margins left by the scaled virtual screen, plus the focus and the shifted origin.
int c_VirtualDevice::UpdateOffsets() {
    ZV_FUNC("VirtualDevice.UpdateOffsets");
    ZV_SELF;
    ZV_AT xOffset = (float(DeviceWidth()) - width * deviceScale) * 0.5f + (xFocus + xOrigin * zoom) * deviceScale;
    ZV_AT yOffset = (float(DeviceHeight()) - height * deviceScale) * 0.5f + (yFocus + yOrigin * zoom) * deviceScale;
    return 0;
}
