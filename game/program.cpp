// The composition root: every module's globals, initialised in order, and the collector's roots.
#include "framework/app.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "game/buoy.h"
#include "game/cloud.h"
#include "game/creature.h"
#include "game/jamapp.h"
#include "game/wake.h"
#include "game/wave.h"
#include "game/wipeout.h"
#include "runtime/gc.h"
#include "runtime/startup.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

void zv_init_globals() {
    random_init_globals();
    math_init_globals();
    app_init_globals();
    graphics_init_globals();
    input_init_globals();
    audio_init_globals();
    jamapp_init_globals();
    wave_init_globals();
    wake_init_globals();
    cloud_init_globals();
    creature_init_globals();
    buoy_init_globals();
    wipeout_init_globals();
}

void gc_queue_roots() {
    app_queue_roots();
    graphics_queue_roots();
    input_queue_roots();
    audio_queue_roots();
    jamapp_queue_roots();
    wave_queue_roots();
    wake_queue_roots();
    cloud_queue_roots();
    creature_queue_roots();
    buoy_queue_roots();
    wipeout_queue_roots();
}
