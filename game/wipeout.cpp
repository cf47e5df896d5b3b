#include "game/wipeout.h"

#include "runtime/std/random.h"

c_Image* c_Wipeout::img;
c_Image* c_Floater::img;
c_Image* c_Floater::imgSplash;
c_Wipeout* activeWipeout;
c_Floater* activeFloater;

void wipeout_init_globals() {
    c_Wipeout::img = nullptr;
    c_Floater::img = nullptr;
    c_Floater::imgSplash = nullptr;
    activeWipeout = nullptr;
    activeFloater = nullptr;
}

void wipeout_queue_roots() {
    gc_grey(c_Wipeout::img);
    gc_grey(c_Floater::img);
    gc_grey(c_Floater::imgSplash);
    gc_grey(activeWipeout);
    gc_grey(activeFloater);
}

String c_Wipeout::debug_dump() {
    String t = dbg_dump_header("Wipeout");
    dbg_dump_field(t, "img", img);
    dbg_dump_field(t, "x", x);
    dbg_dump_field(t, "y", y);
    dbg_dump_field(t, "ang", ang);
    dbg_dump_field(t, "aDir", aDir);
    dbg_dump_field(t, "count", count);
    return t;
}

// Replaces any wipeout still playing.
c_Wipeout::c_Wipeout(float posX, float posY, int dir) {
    ZV_FUNC("Wipeout.new");
    ZV_SELF;
    ZV_LOCAL(posX);
    ZV_LOCAL(posY);
    ZV_LOCAL(dir);
    ZV_AT x = posX;
    ZV_AT y = posY;
    ZV_AT ang = Rnd(0, 360);
    ZV_AT aDir = dir;
    ZV_AT gc_store(activeWipeout, this);
}

// Drifts along the boat's course at a quarter of its speed and spins; after 30 updates the
// skier comes to rest as a floater.
int c_Wipeout::Update() {
    ZV_FUNC("Wipeout.Update");
    ZV_AT if (activeWipeout) {
        ZV_BLOCK;
        c_Wipeout* w = activeWipeout;
        ZV_LOCAL(w);
        ZV_AT w->count += 1;
        ZV_AT w->x += 0.5f;
        ZV_AT w->y -= 0.5f;
        ZV_AT w->ang += float(w->aDir * 10);
        ZV_AT if (w->count > 30) {
            ZV_BLOCK;
            ZV_AT new c_Floater(w->x, w->y, w->ang);
            ZV_AT activeWipeout = nullptr;
        }
    }
    return 0;
}

int c_Wipeout::Render() {
    ZV_FUNC("Wipeout.Render");
    ZV_AT if (activeWipeout) {
        ZV_BLOCK;
        c_Wipeout* w = activeWipeout;
        ZV_LOCAL(w);
        ZV_AT DrawImage(img, w->x, w->y, w->ang, 0.375f, 0.375f, 0);
    }
    return 0;
}

String c_Floater::debug_dump() {
    String t = dbg_dump_header("Floater");
    dbg_dump_field(t, "img", img);
    dbg_dump_field(t, "imgSplash", imgSplash);
    dbg_dump_field(t, "x", x);
    dbg_dump_field(t, "y", y);
    dbg_dump_field(t, "ang", ang);
    dbg_dump_field(t, "count", count);
    return t;
}

c_Floater::c_Floater(float posX, float posY, float a) {
    ZV_FUNC("Floater.new");
    ZV_SELF;
    ZV_LOCAL(posX);
    ZV_LOCAL(posY);
    ZV_LOCAL(a);
    ZV_AT x = posX;
    ZV_AT y = posY;
    ZV_AT ang = a;
    ZV_AT gc_store(activeFloater, this);
}

int c_Floater::Update() {
    ZV_FUNC("Floater.Update");
    ZV_AT if (activeFloater) {
        ZV_BLOCK;
        ZV_AT activeFloater->count += 1;
        ZV_AT if (activeFloater->count > 100) activeFloater->count -= 100;
    }
    return 0;
}

// Two rings half a cycle apart, each growing to half the splash image's size while fading out.
int c_Floater::Render() {
    ZV_FUNC("Floater.Render");
    ZV_AT if (activeFloater) {
        ZV_BLOCK;
        c_Floater* f = activeFloater;
        ZV_LOCAL(f);
        ZV_AT SetAlpha(float(100 - f->count) * 0.01f);
        ZV_AT DrawImage(imgSplash, f->x, f->y, f->ang, float(f->count) * 0.005f, float(f->count) * 0.005f, 0);
        ZV_AT int c = SecondRingPhase(f->count);
        ZV_LOCAL(c);
        ZV_AT SetAlpha(float(100 - c) * 0.01f);
        ZV_AT DrawImage(imgSplash, f->x, f->y, f->ang, float(c) * 0.005f, float(c) * 0.005f, 0);
        ZV_AT SetAlpha(1);
        ZV_AT DrawImage(img, f->x, f->y, f->ang, 0.375f, 0.375f, 0);
    }
    return 0;
}

int c_Floater::SecondRingPhase(int count) {
    ZV_FUNC("Floater.SecondRingPhase");
    ZV_LOCAL(count);
    ZV_AT int c = count + 50;
    ZV_LOCAL(c);
    ZV_AT if (c > 100) c -= 100;
    ZV_AT return c;
}
