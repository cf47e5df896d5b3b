#include "game/wave.h"

#include "game/each.h"
#include "game/jamapp.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

c_Image* c_Wave::imgWave;
float c_Wave::tideAng;
float c_Wave::tideSpeed;
c_List<c_Wave*>* c_Wave::list;

void wave_init_globals() {
    c_Wave::imgWave = nullptr;
    c_Wave::tideAng = 0;
    c_Wave::tideSpeed = 0;
    c_Wave::list = nullptr;
}

void wave_queue_roots() {
    gc_grey(c_Wave::imgWave);
    gc_grey(c_Wave::list);
}

String c_Wave::debug_dump() {
    String t = dbg_dump_header("Wave");
    dbg_dump_field(t, "imgWave", imgWave);
    dbg_dump_field(t, "tideAng", tideAng);
    dbg_dump_field(t, "tideSpeed", tideSpeed);
    dbg_dump_field(t, "list", list);
    dbg_dump_field(t, "x", x);
    dbg_dump_field(t, "y", y);
    dbg_dump_field(t, "scl", scl);
    dbg_dump_field(t, "ang", ang);
    dbg_dump_field(t, "alpha", alpha);
    dbg_dump_field(t, "frame", frame);
    dbg_dump_field(t, "count", count);
    return t;
}

// Somewhere in the view moved up and right by a random offset.
c_Wave::c_Wave() {
    ZV_FUNC("Wave.new");
    ZV_SELF;
    ZV_AT float offset = Rnd(0, 240);
    ZV_LOCAL(offset);
    ZV_AT x = Rnd(jamApp->camX - 320, jamApp->camX + 320) + offset;
    ZV_AT y = Rnd(jamApp->camY - 240, jamApp->camY + 240) - offset;
    ZV_AT scl = Rnd(0.1f, 0.25f);
    ZV_AT ang = Rnd(0, 360);
    ZV_AT alpha = Rnd(0, 1);
    ZV_AT if (alpha < 0.33f) alpha = 0;  // about a third of the waves are plain sea colour
    ZV_AT frame = int(Floor(Rnd(0, 10)));
    ZV_AT list->AddLast(this);
}

int c_Wave::UpdateAll() {
    ZV_FUNC("Wave.UpdateAll");
    ZV_AT for (int i = 0; i < 4; ++i) {
        ZV_BLOCK;
        ZV_AT new c_Wave();
    }
    ZV_AT tideAng += Rnd(-0.01f, 0.01f);
    ZV_AT CallEach(list, &c_Wave::Update);
    return 0;
}

int c_Wave::RenderAll() {
    ZV_FUNC("Wave.RenderAll");
    ZV_AT CallEach(list, &c_Wave::Render);
    ZV_AT SetColor(255, 255, 255);
    return 0;
}

int c_Wave::Update() {
    ZV_FUNC("Wave.Update");
    ZV_SELF;
    ZV_AT count += 1;
    ZV_AT x += Cos(tideAng) * tideSpeed;
    ZV_AT y += Sin(tideAng) * tideSpeed;
    ZV_AT if (count > 180) list->RemoveEach(this);
    return 0;
}

// Swells from nothing to `scl` at age 90 and back to nothing at 180.
int c_Wave::Render() {
    ZV_FUNC("Wave.Render");
    ZV_SELF;
    ZV_AT SetColor(c_JamApp::seaRed + (255 - c_JamApp::seaRed) * alpha,
                   c_JamApp::seaGreen + (255 - c_JamApp::seaGreen) * alpha,
                   c_JamApp::seaBlue + (255 - c_JamApp::seaBlue) * alpha);
    ZV_AT DrawImage(imgWave, x, y, ang, Sin(float(count)) * scl, Sin(float(count)) * scl, frame);
    return 0;
}
