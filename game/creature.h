// Sea creatures of nine kinds: they appear deep ahead of the boat, swim straight while they rise,
// then dive and vanish. Near the surface during a run, touching one ends the run.
#pragma once

#include "framework/graphics.h"
#include "runtime/std/list.h"

class c_Creature;

// Sorted ascending, the deepest creatures come first and are drawn first.
class c_CreatureList : public c_List<c_Creature*> {
public:
    static constexpr const char* debug_name = "CreatureList";

    String debug_dump() override;

    int Compare(c_Creature* lhs, c_Creature* rhs) override;
};

class c_Creature : public Object {
public:
    static constexpr const char* debug_name = "Creature";

    static c_CreatureList* list;
    static int wakeCount;  // counts UpdateAll calls; paces the creatures' wakes

    int type = 0;  // kind 0..8, the index into the application's creature images
    float x = 0;   // where the image's handle is drawn; the front of the collision segment
    float y = 0;
    float ang = 0;
    float depth = 0;  // 1 deep ... 0 at the surface
    float dVel = 0;   // negative while rising, positive while diving
    float vel = 0;
    c_Image* img = nullptr;
    float wakeSize = 0;
    int colLength = 0;

    void mark_children() override;
    String debug_dump() override;

    c_Creature();

    static int UpdateAll();
    static int RenderAll();
    int Update();
    int Render();

private:
    int ChooseKind();
};

void creature_init_globals();
void creature_queue_roots();
