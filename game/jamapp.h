// The game's application: the camera, the score, the three game states (title, skiing, wiped
// out), the order in which every update and every frame visits the game's objects, and the best
// score kept in the state text.
#pragma once

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "game/virtualdevice.h"
#include "runtime/array.h"

class c_JamApp : public c_App {
public:
    static constexpr const char* debug_name = "JamApp";

    static constexpr int seaRed = 32;
    static constexpr int seaGreen = 96;
    static constexpr int seaBlue = 128;

    static constexpr int StateTitle = 0;
    static constexpr int StateSkiing = 1;
    static constexpr int StateWipedOut = 2;

    c_VirtualDevice* vDevice = nullptr;
    float camX = 320;
    float camY = 240;
    int wakeCount = 0;
    int gameState = 0;
    int goCount = 0;
    float titleAlpha = 0;
    int titleOffset = 0;
    int score = 0;
    int lastScore = 0;
    int bestScore = 0;
    bool playerSkiing = false;
    float playerAng = 0;
    float playerDif = 0;
    c_Sound* sndEngine = nullptr;
    Array<c_Image*> imgCreature;
    c_Image* imgBoat = nullptr;
    c_Image* imgRopeDown = nullptr;
    c_Image* imgRope = nullptr;
    c_Image* imgSkier = nullptr;
    c_Image* imgWasted = nullptr;
    c_Image* imgTitle = nullptr;
    // The text font (font) joins here with the bitmap fonts.

    void mark_children() override;
    String debug_dump() override;

    c_JamApp();

    int OnCreate() override;
    int OnUpdate() override;
    int OnRender() override;
    int SetupGame();
    int EndGame();

    // The point on the rope `distance` pixels from the stern: the skier at 400, the collision
    // point at 416, the slack rope's wake at 200.
    float RopeX(float distance);
    float RopeY(float distance);

    // The player's steps (game/player.cpp), in the places OnUpdate and OnRender call them.
    int SteerPlayer();
    int MoveRope();
    int EmitWakes();
    int RenderPlayer();

private:
    int LoadAssets();
};

extern c_JamApp* jamApp;

void jamapp_init_globals();
void jamapp_queue_roots();

int Main();
