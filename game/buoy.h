// Buoys laid ahead of the boat every two seconds, above its course or to the right of it. Coming
// within 16 pixels of one ends the run, in every game state.
#pragma once

#include "framework/graphics.h"
#include "runtime/std/list.h"

class c_Buoy : public Object {
public:
    static constexpr const char* debug_name = "Buoy";

    static c_Image* img1;
    static c_Image* img2;
    static c_List<c_Buoy*>* list;
    static int count;  // counts UpdateAll calls

    float x = 0;
    float y = 0;
    float ang = 0;

    String debug_dump() override;

    c_Buoy();

    static int UpdateAll();
    static int RenderAll();
    int Update();
    int Render();
};

void buoy_init_globals();
void buoy_queue_roots();
