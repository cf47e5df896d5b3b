#include "game/cloud.h"

#include "game/each.h"
#include "game/jamapp.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

c_Image* c_Cloud::img;
c_List<c_Cloud*>* c_Cloud::list;

void cloud_init_globals() {
    c_Cloud::img = nullptr;
    c_Cloud::list = nullptr;
}

void cloud_queue_roots() {
    gc_grey(c_Cloud::img);
    gc_grey(c_Cloud::list);
}

String c_Cloud::debug_dump() {
    String t = dbg_dump_header("Cloud");
    dbg_dump_field(t, "img", img);
    dbg_dump_field(t, "list", list);
    dbg_dump_field(t, "x", x);
    dbg_dump_field(t, "y", y);
    dbg_dump_field(t, "ang", ang);
    return t;
}

// Starts outside the view, up and to the right.
c_Cloud::c_Cloud() {
    ZV_FUNC("Cloud.new");
    ZV_SELF;
    ZV_AT x = Rnd(jamApp->camX + 640, jamApp->camX + 1120);
    ZV_AT y = Rnd(jamApp->camY - 480, jamApp->camY - 1120);
    ZV_AT ang = Rnd(0, 360);
    ZV_AT list->AddLast(this);
}

int c_Cloud::UpdateAll() {
    ZV_FUNC("Cloud.UpdateAll");
    ZV_AT if (int(Floor(Rnd(0, 200))) == 0) new c_Cloud();
    ZV_AT CallEach(list, &c_Cloud::Update);
    return 0;
}

int c_Cloud::RenderAll() {
    ZV_FUNC("Cloud.RenderAll");
    ZV_AT CallEach(list, &c_Cloud::Render);
    return 0;
}

// Against the view, which moves the other way, a cloud crosses at twice the sea's speed.
int c_Cloud::Update() {
    ZV_FUNC("Cloud.Update");
    ZV_SELF;
    ZV_AT x -= 2;
    ZV_AT y += 2;
    ZV_AT if (x < jamApp->camX - 640 || y > jamApp->camY + 480) list->RemoveEach(this);
    return 0;
}

int c_Cloud::Render() {
    ZV_FUNC("Cloud.Render");
    ZV_SELF;
    ZV_AT DrawImage(img, x, y, ang, 3, 3, 0);
    return 0;
}
