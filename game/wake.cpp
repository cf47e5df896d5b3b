#include "game/wake.h"

#include "game/each.h"
#include "game/jamapp.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

c_Image* c_Wake::imgWake;
c_List<c_Wake*>* c_Wake::list;

void wake_init_globals() {
    c_Wake::imgWake = nullptr;
    c_Wake::list = nullptr;
}

void wake_queue_roots() {
    gc_grey(c_Wake::imgWake);
    gc_grey(c_Wake::list);
}

String c_Wake::debug_dump() {
    String t = dbg_dump_header("Wake");
    dbg_dump_field(t, "imgWake", imgWake);
    dbg_dump_field(t, "list", list);
    dbg_dump_field(t, "x", x);
    dbg_dump_field(t, "y", y);
    dbg_dump_field(t, "ang", ang);
    dbg_dump_field(t, "vel", vel);
    dbg_dump_field(t, "sclX", sclX);
    dbg_dump_field(t, "sclY", sclY);
    dbg_dump_field(t, "exp", exp);
    dbg_dump_field(t, "col", col);
    dbg_dump_field(t, "alpha", alpha);
    return t;
}

c_Wake::c_Wake(float posX, float posY, float angle, float scale, float velocity) {
    ZV_FUNC("Wake.new");
    ZV_SELF;
    ZV_LOCAL(posX);
    ZV_LOCAL(posY);
    ZV_LOCAL(angle);
    ZV_LOCAL(scale);
    ZV_LOCAL(velocity);
    ZV_AT x = posX;
    ZV_AT y = posY;
    ZV_AT ang = angle;
    ZV_AT sclY = scale;
    ZV_AT sclX = scale;
    ZV_AT exp = scale * 0.1f;
    ZV_AT vel = velocity;
    ZV_AT col = Rnd(0.33f, 1);
    ZV_AT alpha = 1;
    ZV_AT list->AddLast(this);
}

int c_Wake::UpdateAll() {
    ZV_FUNC("Wake.UpdateAll");
    ZV_AT CallEach(list, &c_Wake::Update);
    return 0;
}

int c_Wake::RenderAll() {
    ZV_FUNC("Wake.RenderAll");
    ZV_AT CallEach(list, &c_Wake::Render);
    ZV_AT SetColor(255, 255, 255);
    ZV_AT SetAlpha(1);
    return 0;
}

// Spreads twice as fast across its motion as along it, and fades out over 100 updates.
int c_Wake::Update() {
    ZV_FUNC("Wake.Update");
    ZV_SELF;
    ZV_AT x += Cos(ang) * vel;
    ZV_AT y += Sin(ang) * vel;
    ZV_AT sclX += exp;
    ZV_AT sclY += 2 * exp;
    ZV_AT alpha -= 0.01f;
    ZV_AT if (alpha < 0) list->RemoveEach(this);
    return 0;
}

int c_Wake::Render() {
    ZV_FUNC("Wake.Render");
    ZV_SELF;
    ZV_AT SetColor(c_JamApp::seaRed + (255 - c_JamApp::seaRed) * col,
                   c_JamApp::seaGreen + (255 - c_JamApp::seaGreen) * col,
                   c_JamApp::seaBlue + (255 - c_JamApp::seaBlue) * col);
    ZV_AT SetAlpha(alpha);
    ZV_AT DrawImage(imgWake, x, y, -ang, sclX, sclY, 0);
    return 0;
}
