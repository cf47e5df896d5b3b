// What follows a crash: a tumbling skier for half a second, then the skier floating with two
// spreading rings of splash until the next run. At most one of each exists at a time.
#pragma once

#include "framework/graphics.h"

class c_Wipeout : public Object {
public:
    static constexpr const char* debug_name = "Wipeout";

    static c_Image* img;

    float x = 0;
    float y = 0;
    float ang = 0;
    int aDir = 0;  // spin direction: -1, 0 or 1
    int count = 0;

    String debug_dump() override;

    c_Wipeout(float posX, float posY, int dir);

    static int Update();
    static int Render();
};

class c_Floater : public Object {
public:
    static constexpr const char* debug_name = "Floater";

    static c_Image* img;
    static c_Image* imgSplash;

    float x = 0;
    float y = 0;
    float ang = 0;
    int count = 0;  // the ring phase, 1..100

    String debug_dump() override;

    c_Floater(float posX, float posY, float a);

    static int Update();
    static int Render();
    // The second ring runs half a cycle behind the first, whose phase is `count`.
    static int SecondRingPhase(int count);
};

extern c_Wipeout* activeWipeout;
extern c_Floater* activeFloater;

void wipeout_init_globals();
void wipeout_queue_roots();
