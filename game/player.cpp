// The player: a boat fixed in the top-right corner of the view, a 400-pixel tow rope from its
// stern, and the skier the player swings around the boat. Directions are degrees clockwise from
// the right; a rope angle of 0 points the rope at 135 degrees, down and to the left.
#include "game/controls.h"
#include "game/jamapp.h"
#include "game/wake.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

float c_JamApp::RopeX(float distance) {
    ZV_FUNC("JamApp.RopeX");
    ZV_SELF;
    ZV_LOCAL(distance);
    ZV_AT return camX + 310 + Cos(playerAng + 135) * distance;
}

float c_JamApp::RopeY(float distance) {
    ZV_FUNC("JamApp.RopeY");
    ZV_SELF;
    ZV_LOCAL(distance);
    ZV_AT return camY - 230 + Sin(playerAng + 135) * distance;
}

// Both directions held count as clockwise. A swing against the current direction first loses a
// tenth of the old rate, so reversing is quicker than starting.
int c_JamApp::SteerPlayer() {
    ZV_FUNC("JamApp.SteerPlayer");
    ZV_SELF;
    ZV_AT if (SwingClockwise()) {
        ZV_BLOCK;
        ZV_AT if (playerDif < 0) playerDif *= 0.9f;
        ZV_AT playerDif += 0.01f;
    } else if (SwingAnticlockwise()) {
        ZV_BLOCK;
        ZV_AT if (playerDif > 0) playerDif *= 0.9f;
        ZV_AT playerDif -= 0.01f;
    } else {
        ZV_BLOCK;
        ZV_AT playerDif *= 0.9f;
    }
    return 0;
}

// Every update, in every state: the rope swings at its rate and relaxes towards straight behind.
int c_JamApp::MoveRope() {
    ZV_FUNC("JamApp.MoveRope");
    ZV_SELF;
    ZV_AT playerDif = Clamp(playerDif, -0.3f, 0.3f);
    ZV_AT playerAng += playerDif;
    ZV_AT playerAng *= 0.993f;
    return 0;
}

// Bow and stern wakes every fifth update; the skier's every fifth, or the slack rope's every tenth.
int c_JamApp::EmitWakes() {
    ZV_FUNC("JamApp.EmitWakes");
    ZV_SELF;
    ZV_AT wakeCount += 1;
    ZV_AT if (wakeCount % 5 == 0) {
        ZV_BLOCK;
        ZV_AT new c_Wake(camX + 350, camY - 270, -45, 0.35f, 2);
        ZV_AT new c_Wake(camX + 310, camY - 230, -45, 0.25f, 2);
    }
    ZV_AT if (playerSkiing) {
        ZV_BLOCK;
        ZV_AT if (wakeCount % 5 == 0) new c_Wake(RopeX(400), RopeY(400), playerAng - 45 - 100 * playerDif, 0.25f, 2);
    } else {
        ZV_BLOCK;
        ZV_AT if (wakeCount % 10 == 0) new c_Wake(RopeX(200), RopeY(200), -45, 0.05f, 2);
    }
    return 0;
}

// A direction θ is drawn with rotation −θ: drawing rotations turn anticlockwise on screen.
int c_JamApp::RenderPlayer() {
    ZV_FUNC("JamApp.RenderPlayer");
    ZV_SELF;
    ZV_AT DrawImage(imgBoat, camX + 320, camY - 240, 45, 1, 1, 0);
    ZV_AT if (playerSkiing) {
        ZV_BLOCK;
        ZV_AT DrawImage(imgRope, camX + 310, camY - 230, -(playerAng + 135), 4, 1, 0);
        ZV_AT DrawImage(imgSkier, RopeX(400), RopeY(400), 50 * playerDif + 45, 0.375f, 0.375f, 0);
    } else {
        ZV_BLOCK;
        // The slack rope jitters by a fresh random angle every frame.
        ZV_AT DrawImage(imgRopeDown, camX + 310, camY - 230, Rnd(-0.25f, 0.25f) - (playerAng + 135), 4, 1, 0);
    }
    return 0;
}
