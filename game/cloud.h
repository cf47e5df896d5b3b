// Large clouds sweeping over the scene, faster than the sea.
#pragma once

#include "framework/graphics.h"
#include "runtime/std/list.h"

class c_Cloud : public Object {
public:
    static constexpr const char* debug_name = "Cloud";

    static c_Image* img;
    static c_List<c_Cloud*>* list;

    float x = 0;
    float y = 0;
    float ang = 0;

    String debug_dump() override;

    c_Cloud();

    static int UpdateAll();
    static int RenderAll();
    int Update();
    int Render();
};

void cloud_init_globals();
void cloud_queue_roots();
