// The game's rules, driven through the real host and delegate without a window.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/app.h"
#include "framework/input.h"
#include "game/buoy.h"
#include "game/collision.h"
#include "game/creature.h"
#include "game/wake.h"
#include "game/wave.h"
#include "game/wipeout.h"
#include "runtime/std/random.h"
#include "tests/game/harness.h"

namespace {

// Lays a buoy right at the skier's collision point as it will be in the next update.
void BuoyAtNextSkierPoint(c_JamApp* app) {
    auto* buoy = new c_Buoy();
    buoy->x = app->RopeX(416) + 2;
    buoy->y = app->RopeY(416) - 2;
}

TEST(GameRules, TitleFadesInAndSpaceStartsOneRun) {
    GameHarness game;
    EXPECT_NEAR(c_Wave::tideAng, 257.15, 0.01) << "the tide is the game's first random draw";
    game.Update(19);
    EXPECT_LT(game.app()->titleAlpha, 1.0f);
    game.Update();
    EXPECT_EQ(game.app()->titleAlpha, 1.0f);
    EXPECT_EQ(game.app()->camX, 320 + 2 * 20);
    EXPECT_EQ(game.app()->camY, 240 - 2 * 20);

    game.StartRun();
    EXPECT_TRUE(game.app()->playerSkiing);
    EXPECT_EQ(game.app()->score, 0) << "the update that starts a run does not count";
    game.Update();
    EXPECT_EQ(game.app()->score, 1);
    // Space does nothing while skiing.
    game.Tap(32);
    game.Update();
    EXPECT_EQ(game.app()->score, 2);
    EXPECT_EQ(game.app()->lastScore, 0);
}

TEST(GameRules, CrashInTheFirstUpdateScoresOneAndSavesIt) {
    GameHarness game;
    game.StartRun();
    BuoyAtNextSkierPoint(game.app());
    game.Update();
    EXPECT_EQ(game.app()->gameState, c_JamApp::StateWipedOut);
    EXPECT_EQ(game.app()->score, 1);
    EXPECT_EQ(game.app()->bestScore, 1);
    EXPECT_EQ(game.SavedState(), "1");
    ASSERT_NE(activeWipeout, nullptr);
    EXPECT_EQ(activeWipeout->aDir, 0) << "a rope angle of exactly 0 does not spin";
}

TEST(GameRules, BestScoreIsSavedOnlyWhenBeaten) {
    GameHarness game(640, 480, "500");
    EXPECT_EQ(game.app()->bestScore, 500);
    game.app()->score = 500;
    game.app()->EndGame();
    EXPECT_EQ(game.SavedState(), "500") << "an equal score leaves the file alone";
    game.app()->score = 501;
    game.app()->EndGame();
    EXPECT_EQ(game.SavedState(), "501");
    EXPECT_EQ(game.app()->bestScore, 501);

    // A second copy of the game saved a higher best meanwhile: this copy's new best keeps it.
    game.WriteState("100000");
    game.app()->score = 600;
    game.app()->EndGame();
    EXPECT_EQ(game.SavedState(), "100000");
    EXPECT_EQ(game.app()->bestScore, 100000);

    GameHarness garbled(640, 480, "  42 points");
    EXPECT_EQ(garbled.app()->bestScore, 42);
    GameHarness nonsense(640, 480, "best");
    EXPECT_EQ(nonsense.app()->bestScore, 0);
}

TEST(GameRules, WipedOutStateReturnsToTitleOnThe121stUpdate) {
    GameHarness game;
    game.StartRun();
    game.Update(5);
    game.app()->EndGame();
    int score = game.app()->score;
    game.Tap(32);  // ignored while wiped out
    game.Update(120);
    EXPECT_EQ(game.app()->gameState, c_JamApp::StateWipedOut);
    EXPECT_EQ(game.app()->goCount, 120);
    EXPECT_EQ(game.app()->titleOffset, 10 * (5 + 120));
    EXPECT_EQ(activeWipeout, nullptr) << "the tumble is over long before the title returns";
    EXPECT_NE(activeFloater, nullptr);
    game.Update();
    EXPECT_EQ(game.app()->gameState, c_JamApp::StateTitle);
    EXPECT_EQ(game.app()->goCount, 0);
    EXPECT_EQ(game.app()->titleAlpha, 0.0f) << "the fade starts again with the next update";
    EXPECT_EQ(game.app()->titleOffset, 0);
    EXPECT_EQ(game.app()->score, score) << "the ended run's score stays on show";

    game.StartRun();
    EXPECT_EQ(game.app()->lastScore, score);
    EXPECT_EQ(activeFloater, nullptr);
}

TEST(GameRules, BuoysEndTheRunInEveryState) {
    GameHarness game;
    BuoyAtNextSkierPoint(game.app());
    game.Update();
    EXPECT_EQ(game.app()->gameState, c_JamApp::StateWipedOut) << "even on the title screen";
    EXPECT_EQ(game.SavedState(), "<none>") << "a score of 0 beats nothing";
}

TEST(GameRules, SteeringRates) {
    GameHarness game;
    game.StartRun();
    c_JamApp* app = game.app();
    game.Press(37);  // left
    for (int i = 0; i < 40; ++i) {
        app->SteerPlayer();
        app->MoveRope();
    }
    EXPECT_FLOAT_EQ(app->playerDif, 0.3f);
    game.Release(37);
    game.Press(39);  // right: reversing loses 10 % first
    app->SteerPlayer();
    app->MoveRope();
    EXPECT_FLOAT_EQ(app->playerDif, 0.26f);

    // Both groups held count as the first; none held damps the rate.
    game.Press(65);
    app->playerDif = 0.1f;
    app->SteerPlayer();
    EXPECT_FLOAT_EQ(app->playerDif, 0.11f);
    game.Release(65);
    game.Release(39);
    app->SteerPlayer();
    EXPECT_FLOAT_EQ(app->playerDif, 0.099f);

    // The rope relaxes by 0.7 % per update.
    app->playerDif = 0;
    app->playerAng = 10;
    app->MoveRope();
    EXPECT_FLOAT_EQ(app->playerAng, 9.93f);
}

// A pad's A or start starts a run like space; its d-pad and left stick steer like the keys,
// beyond a dead zone, and the keys' clockwise group still wins over any other direction.
TEST(GameRules, APadStartsRunsAndSteersLikeTheKeys) {
    for (int button : {GLFW_GAMEPAD_BUTTON_A, GLFW_GAMEPAD_BUTTON_START, GLFW_GAMEPAD_BUTTON_B}) {
        GameHarness game;
        game.host().padConnected = true;
        game.host().pad.buttons[button] = 1;
        game.Update();
        EXPECT_EQ(game.app()->gameState, button == GLFW_GAMEPAD_BUTTON_B ? c_JamApp::StateTitle : c_JamApp::StateSkiing)
            << "GLFW button " << button;
    }

    struct Row {
        int button;  // -1 for none
        float stickX, stickY;
        int key;  // 0 for none
        float dif;  // after one steering step from 0.1
    };
    const Row rows[] = {
        {-1, 0, 0, 0, 0.09f},
        {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, 0, 0, 0, 0.11f},
        {GLFW_GAMEPAD_BUTTON_DPAD_UP, 0, 0, 0, 0.11f},
        {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, 0, 0, 0, 0.08f},
        {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, 0, 0, 0, 0.08f},
        {-1, -0.8f, 0, 0, 0.11f},
        {-1, 0, -0.5f, 0, 0.11f},
        {-1, 0.8f, 0, 0, 0.08f},
        {-1, 0, 0.5f, 0, 0.08f},
        {-1, 0.12f, -0.1f, 0, 0.09f},  // a stick resting off centre
        {-1, -0.29f, 0.29f, 0, 0.09f},
        {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, 0, 0, 39, 0.11f},  // right arrow, but the pad swings clockwise
        {-1, 0.8f, 0, 37, 0.11f},
    };
    GameHarness game;
    game.StartRun();
    game.host().padConnected = true;
    for (const Row& row : rows) {
        GLFWgamepadstate& pad = game.host().pad;
        pad = GLFWgamepadstate{};
        if (row.button >= 0) pad.buttons[row.button] = 1;
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = row.stickX;
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = row.stickY;
        if (row.key) game.Press(row.key);
        inputDevice->BeginUpdate();
        game.app()->playerDif = 0.1f;
        game.app()->SteerPlayer();
        EXPECT_FLOAT_EQ(game.app()->playerDif, row.dif)
            << "button " << row.button << ", stick " << row.stickX << ", " << row.stickY << ", key " << row.key;
        if (row.key) game.Release(row.key);
        inputDevice->EndUpdate();
    }
}

// The pointer held during a run swings the rope towards itself, seen from the stern; a few
// degrees either side of the rope, and the stern itself, swing nothing. Window pixels reach
// the virtual screen through the scale and the bars of the window.
TEST(GameRules, APointerHeldSwingsTheRopeTowardsIt) {
    struct Row {
        int width, height;
        float x, y;  // window pixels
        bool held;
        float dif;  // after one steering step from 0.1
    };
    const float along = 200 / std::sqrt(2.0f);  // 200 pixels down the rope, straight behind the boat
    const Row rows[] = {
        {640, 480, 50, 50, true, 0.11f},      // upper left: clockwise
        {640, 480, 600, 470, true, 0.08f},    // lower right: anticlockwise
        {640, 480, 600, 470, false, 0.09f},   // not held
        {640, 480, 630 - along, 10 + along, true, 0.09f},
        {640, 480, 630 - along - 6, 10 + along - 6, true, 0.09f},    // 2 degrees clockwise of the rope
        {640, 480, 630 - along - 12, 10 + along - 12, true, 0.11f},  // 4 degrees
        {640, 480, 630, 10, true, 0.09f},     // the stern: no direction
        {1280, 960, 1260, 20, true, 0.09f},   // the stern, at twice the size
        {1280, 960, 100, 100, true, 0.11f},
        {1280, 480, 950, 10, true, 0.09f},    // the stern, with bars of 320 either side
        {1280, 480, 1200, 470, true, 0.08f},  // in the right bar, below the stern
        {1280, 480, 100, 240, true, 0.11f},   // in the left bar
    };
    for (const Row& row : rows) {
        GameHarness game(row.width, row.height);
        game.StartRun();
        game.host().MouseEvent(c_ZVGameEvent::MouseMove, -1, row.x, row.y);
        if (row.held) game.host().MouseEvent(c_ZVGameEvent::MouseDown, 0, row.x, row.y);
        game.app()->playerDif = 0.1f;
        game.app()->SteerPlayer();
        EXPECT_FLOAT_EQ(game.app()->playerDif, row.dif)
            << row.width << " x " << row.height << " at " << row.x << ", " << row.y << (row.held ? "" : " not held");
    }

    // A click on the title starts a run.
    GameHarness game;
    game.host().MouseEvent(c_ZVGameEvent::MouseDown, 0, 300, 200);
    game.host().MouseEvent(c_ZVGameEvent::MouseUp, 0, 300, 200);
    game.Update();
    EXPECT_EQ(game.app()->gameState, c_JamApp::StateSkiing);
}

TEST(GameRules, RopeGeometry) {
    GameHarness game;
    c_JamApp* app = game.app();
    EXPECT_NEAR(app->RopeX(400) - app->camX, 310 - 282.84, 0.01);
    EXPECT_NEAR(app->RopeY(400) - app->camY, -230 + 282.84, 0.01);
}

TEST(GameRules, WakePacingAndSizes) {
    GameHarness game;
    c_JamApp* app = game.app();
    app->wakeCount = 9;  // the next emission is on a multiple of 10, with the skier down
    int before = c_Wake::list->Count();
    app->EmitWakes();
    ASSERT_EQ(c_Wake::list->Count(), before + 3);
    Array<c_Wake*> wakes = c_Wake::list->ToArray();
    c_Wake* bow = wakes[before];
    c_Wake* stern = wakes[before + 1];
    c_Wake* rope = wakes[before + 2];
    EXPECT_EQ(bow->sclX, 0.35f);
    EXPECT_EQ(bow->x, app->camX + 350);
    EXPECT_EQ(stern->sclX, 0.25f);
    EXPECT_EQ(rope->sclX, 0.05f);
    EXPECT_EQ(rope->ang, -45);

    // Every fifth update only the boat's; a skier's joins while skiing.
    app->EmitWakes();
    app->wakeCount = 4;
    app->EmitWakes();
    EXPECT_EQ(c_Wake::list->Count(), before + 5);
    app->playerSkiing = true;
    app->wakeCount = 4;
    app->EmitWakes();
    EXPECT_EQ(c_Wake::list->Count(), before + 8);

    // A wake of scale 0.05 is 0.55 by 1.05 after 100 updates and gone in its 101st.
    c_Wake* small = new c_Wake(0, 0, 0, 0.05f, 2);
    for (int i = 0; i < 100; ++i) small->Update();
    EXPECT_NEAR(small->sclX, 0.55f, 1e-5);
    EXPECT_NEAR(small->sclY, 1.05f, 1e-5);
    EXPECT_NE(c_Wake::list->Find(small), nullptr);
    small->Update();
    EXPECT_EQ(c_Wake::list->Find(small), nullptr);
}

TEST(GameRules, WavesAndCloudsComeAndGo) {
    GameHarness game;
    game.Update();
    EXPECT_EQ(c_Wave::list->Count(), 4);
    Array<c_Wave*> waves = c_Wave::list->ToArray();
    EXPECT_EQ(waves[0]->count, 1) << "new waves are updated in the update that made them";
    game.Update(181);
    EXPECT_EQ(c_Wave::list->Count(), 720) << "each lives 180 updates, four are born per update";
}

// The generator state just before a draw of Rnd(0, 1280) that gives `t`.
int SeedGiving(int t) {
    unsigned next = unsigned(std::ceil(double(t) * 16777216.0 / 1280.0)) << 8;
    return int((next - 1013904223u) * 4276115653u);
}

TEST(GameRules, CreatureKindsFollowTheDraw) {
    GameHarness game;
    struct Case {
        int t, type, colLength;
        float wakeSize;
    };
    const Case cases[] = {{0, 4, 75, 0.15f},   {1, 7, 110, 0.175f}, {2, 8, 100, 0.1f},  {3, 0, 55, 0.1f},
                          {29, 0, 55, 0.1f},   {30, 5, 5, 0.025f},  {69, 5, 5, 0.025f}, {70, 6, 20, 0.05f},
                          {149, 6, 20, 0.05f}, {150, 2, 25, 0.075f}, {309, 2, 25, 0.075f}, {310, 1, 15, 0.05f},
                          {629, 1, 15, 0.05f}, {630, 3, 10, 0.025f}, {1279, 3, 10, 0.025f}};
    for (const Case& c : cases) {
        rndSeed = SeedGiving(c.t);
        auto* creature = new c_Creature();
        EXPECT_EQ(creature->type, c.type) << "t = " << c.t;
        EXPECT_EQ(creature->colLength, c.colLength) << "t = " << c.t;
        EXPECT_EQ(creature->wakeSize, c.wakeSize) << "t = " << c.t;
        EXPECT_EQ(creature->img, game.app()->imgCreature[c.type]);
        EXPECT_EQ(creature->depth, 1.0f);
        EXPECT_TRUE(creature->dVel > -0.006f && creature->dVel <= -0.004f);
        float slowest = c.type == 5 ? 0.1f : 0.2f;
        EXPECT_TRUE(creature->vel >= slowest && creature->vel < slowest * 2.5f) << creature->vel;
    }
}

TEST(GameRules, CreaturesSortDeepestFirstAndStable) {
    GameHarness game;
    auto* list = c_Creature::list;
    float depths[] = {0.5f, 0.9f, 0.5f, 0.1f, 0.9f};
    c_Creature* made[5];
    for (int i = 0; i < 5; ++i) {
        made[i] = new c_Creature();
        made[i]->depth = depths[i];
    }
    list->Sort(true);
    Array<c_Creature*> order = list->ToArray();
    c_Creature* expected[] = {made[1], made[4], made[0], made[2], made[3]};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(order[i], expected[i]) << "position " << i;
}

TEST(GameRules, CollisionGeometry) {
    // The segment runs from (0, 0) back to (-100, 0).
    EXPECT_TRUE(LineToCircle(0, 0, -100, 0, -50, 7.9f, 8));
    EXPECT_FALSE(LineToCircle(0, 0, -100, 0, -50, 8, 8)) << "strictly closer than r";
    // Beyond either end, the distance is to that end.
    EXPECT_TRUE(LineToCircle(0, 0, -100, 0, 7, 0, 8));
    EXPECT_FALSE(LineToCircle(0, 0, -100, 0, 9, 0, 8));
    EXPECT_TRUE(LineToCircle(0, 0, -100, 0, -107, 0, 8));
    EXPECT_FALSE(LineToCircle(0, 0, -100, 0, -106, 6, 8));
    EXPECT_FLOAT_EQ(PointToPointDist(0, 0, 3, 4), 5);
}

TEST(GameRules, CreaturesCollideOnlyNearTheSurfaceDuringARun) {
    GameHarness game;
    game.StartRun();
    c_JamApp* app = game.app();
    auto* creature = new c_Creature();
    creature->ang = 0;
    creature->vel = 0;
    creature->colLength = 50;
    creature->x = app->RopeX(416) + 20;  // its tail segment covers the skier point
    creature->y = app->RopeY(416);
    creature->depth = 0.7f;
    creature->dVel = -0.05f;
    creature->Update();
    EXPECT_EQ(app->gameState, c_JamApp::StateSkiing) << "depth 0.65 is still too deep";
    creature->Update();
    EXPECT_EQ(app->gameState, c_JamApp::StateWipedOut);
}

TEST(GameRules, FloaterRingPhases) {
    EXPECT_EQ(c_Floater::SecondRingPhase(100), 50);
    EXPECT_EQ(c_Floater::SecondRingPhase(50), 100);
    EXPECT_EQ(c_Floater::SecondRingPhase(51), 1);
    GameHarness game;
    new c_Floater(0, 0, 0);
    for (int i = 0; i < 100; ++i) c_Floater::Update();
    EXPECT_EQ(activeFloater->count, 100);
    c_Floater::Update();
    EXPECT_EQ(activeFloater->count, 1);
}

TEST(GameRules, VirtualDeviceScalesAndCentres) {
    struct Case {
        int width, height;
        float scale, xMargin, yMargin;
    };
    for (const Case& c : {Case{1280, 960, 2, 0, 0}, Case{1280, 480, 1, 320, 0}, Case{640, 960, 1, 0, 240}}) {
        GameHarness game(c.width, c.height);
        game.Update();
        c_VirtualDevice* device = game.app()->vDevice;
        EXPECT_EQ(device->deviceScale, c.scale);
        // Before the camera origin is applied, the world origin sits on the focus (320, 240).
        EXPECT_EQ(device->xOffset, c.xMargin + 320 * c.scale) << c.width << "x" << c.height;
        EXPECT_EQ(device->yOffset, c.yMargin + 240 * c.scale) << c.width << "x" << c.height;
        // With the game's origin, the camera centre lands on the window's centre.
        device->SetOrigin(-game.app()->camX, -game.app()->camY);
        EXPECT_FLOAT_EQ(device->xOffset + game.app()->camX * c.scale, c.width / 2.0f);
        EXPECT_FLOAT_EQ(device->yOffset + game.app()->camY * c.scale, c.height / 2.0f);
    }
}

// A long scripted run without a window: runs, crashes and title screens, with a collector step
// after every call. In the torture build every step frees all garbage at once, so a missing
// barrier anywhere in the game shows up here as a use after free.
std::string LongRun() {
    GameHarness game;
    std::string trace;
    for (int update = 1; update <= 1500; ++update) {
        if (update % 400 == 1) game.Tap(32);
        if (update % 400 == 60) game.Press(37);
        if (update % 400 == 90) game.Release(37);
        game.Update();
        if (update % 100 == 0) {
            trace += std::to_string(game.app()->score) + "/" + std::to_string(game.app()->gameState) + "/" +
                     std::to_string(c_Creature::list->Count()) + "/" + std::to_string(c_Wake::list->Count()) + " ";
        }
    }
    EXPECT_EQ(game.SavedState(), std::to_string(game.app()->bestScore));
    EXPECT_EQ(c_Wave::list->Count(), 720);
    return trace + "seed " + std::to_string(unsigned(rndSeed));
}

TEST(GameRules, LongRunsRepeatExactly) { EXPECT_EQ(LongRun(), LongRun()); }

}  // namespace
