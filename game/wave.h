// Wave crests that swell and fade all over the sea and drift with a slowly turning tide.
#pragma once

#include "framework/graphics.h"
#include "runtime/std/list.h"

class c_Wave : public Object {
public:
    static constexpr const char* debug_name = "Wave";

    static c_Image* imgWave;
    static float tideAng;
    static float tideSpeed;
    static c_List<c_Wave*>* list;

    float x = 0;
    float y = 0;
    float scl = 0;
    float ang = 0;
    float alpha = 0;  // how far the tint moves from the sea colour towards white
    int frame = 0;
    int count = 0;    // age in updates

    String debug_dump() override;

    c_Wave();

    static int UpdateAll();
    static int RenderAll();
    int Update();
    int Render();
};

void wave_init_globals();
void wave_queue_roots();
