// Foam streaks spreading behind the boat, the skier, the slack rope and surfacing creatures.
#pragma once

#include "framework/graphics.h"
#include "runtime/std/list.h"

class c_Wake : public Object {
public:
    static constexpr const char* debug_name = "Wake";

    static c_Image* imgWake;
    static c_List<c_Wake*>* list;

    float x = 0;
    float y = 0;
    float ang = 0;  // direction of motion, degrees
    float vel = 0;
    float sclX = 0;
    float sclY = 0;
    float exp = 0;    // growth per update
    float col = 0;    // whiteness
    float alpha = 0;  // opacity

    String debug_dump() override;

    c_Wake(float posX, float posY, float angle, float scale, float velocity);

    static int UpdateAll();
    static int RenderAll();
    int Update();
    int Render();
};

void wake_init_globals();
void wake_queue_roots();
