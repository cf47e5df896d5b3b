#include "game/buoy.h"

#include "game/collision.h"
#include "game/each.h"
#include "game/jamapp.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

c_Image* c_Buoy::img1;
c_Image* c_Buoy::img2;
c_List<c_Buoy*>* c_Buoy::list;
int c_Buoy::count;

void buoy_init_globals() {
    c_Buoy::img1 = nullptr;
    c_Buoy::img2 = nullptr;
    c_Buoy::list = nullptr;
    c_Buoy::count = 0;
}

void buoy_queue_roots() {
    gc_grey(c_Buoy::img1);
    gc_grey(c_Buoy::img2);
    gc_grey(c_Buoy::list);
}

String c_Buoy::debug_dump() {
    String t = dbg_dump_header("Buoy");
    dbg_dump_field(t, "img1", img1);
    dbg_dump_field(t, "img2", img2);
    dbg_dump_field(t, "list", list);
    dbg_dump_field(t, "count", count);
    dbg_dump_field(t, "x", x);
    dbg_dump_field(t, "y", y);
    dbg_dump_field(t, "ang", ang);
    return t;
}

// 355 pixels above the boat, or 355 to its right, give or take 20.
c_Buoy::c_Buoy() {
    ZV_FUNC("Buoy.new");
    ZV_SELF;
    ZV_AT if (Rnd() < 0.5f) {
        ZV_BLOCK;
        ZV_AT x = jamApp->camX + 320 + Rnd(-20, 20);
        ZV_AT y = jamApp->camY - 240 - 355 + Rnd(-20, 20);
    } else {
        ZV_BLOCK;
        ZV_AT x = jamApp->camX + 320 + 355 + Rnd(-20, 20);
        ZV_AT y = jamApp->camY - 240 + Rnd(-20, 20);
    }
    ZV_AT ang = Rnd(0, 360);
    ZV_AT list->AddLast(this);
}

int c_Buoy::UpdateAll() {
    ZV_FUNC("Buoy.UpdateAll");
    ZV_AT count += 1;
    ZV_AT if (count % 120 == 0) new c_Buoy();
    ZV_AT CallEach(list, &c_Buoy::Update);
    return 0;
}

int c_Buoy::RenderAll() {
    ZV_FUNC("Buoy.RenderAll");
    ZV_AT CallEach(list, &c_Buoy::Render);
    return 0;
}

int c_Buoy::Update() {
    ZV_FUNC("Buoy.Update");
    ZV_SELF;
    ZV_AT if (PointToPointDist(x, y, jamApp->RopeX(416), jamApp->RopeY(416)) < 16) jamApp->EndGame();
    ZV_AT if (x < jamApp->camX - 640 || y > jamApp->camY + 480) list->RemoveEach(this);
    return 0;
}

// The top bobs along the buoy's direction by up to 2 pixels, all buoys in step.
int c_Buoy::Render() {
    ZV_FUNC("Buoy.Render");
    ZV_SELF;
    ZV_AT DrawImage(img1, x, y, ang, 0.5f, 0.5f, 0);
    ZV_AT float b = 2 * Cos(float(count * 2));
    ZV_LOCAL(b);
    ZV_AT DrawImage(img2, x + Cos(ang) * b, y + Sin(ang) * b, ang, 0.5f, 0.5f, 0);
    return 0;
}
