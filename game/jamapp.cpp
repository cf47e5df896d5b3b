#include "game/jamapp.h"

#include "game/buoy.h"
#include "game/cloud.h"
#include "game/controls.h"
#include "game/creature.h"
#include "game/wake.h"
#include "game/wave.h"
#include "game/wipeout.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

c_JamApp* jamApp;

void jamapp_init_globals() { jamApp = nullptr; }

void jamapp_queue_roots() { gc_grey(jamApp); }

int Main() {
    ZV_FUNC("Main");
    ZV_AT gc_store(jamApp, new c_JamApp());
    return 0;
}

void c_JamApp::mark_children() {
    c_App::mark_children();
    gc_grey(vDevice);
    gc_grey(sndEngine);
    gc_grey(imgCreature.Storage());
    gc_grey(imgBoat);
    gc_grey(imgRopeDown);
    gc_grey(imgRope);
    gc_grey(imgSkier);
    gc_grey(imgWasted);
    gc_grey(imgTitle);
    gc_grey(font);
}

String c_JamApp::debug_dump() {
    String t = dbg_dump_header("JamApp") + c_App::debug_dump();
    int red = seaRed, green = seaGreen, blue = seaBlue;
    dbg_dump_field(t, "seaRed", red);
    dbg_dump_field(t, "seaGreen", green);
    dbg_dump_field(t, "seaBlue", blue);
    dbg_dump_field(t, "vDevice", vDevice);
    dbg_dump_field(t, "camX", camX);
    dbg_dump_field(t, "camY", camY);
    dbg_dump_field(t, "wakeCount", wakeCount);
    dbg_dump_field(t, "gameState", gameState);
    dbg_dump_field(t, "goCount", goCount);
    dbg_dump_field(t, "titleAlpha", titleAlpha);
    dbg_dump_field(t, "titleOffset", titleOffset);
    dbg_dump_field(t, "score", score);
    dbg_dump_field(t, "lastScore", lastScore);
    dbg_dump_field(t, "bestScore", bestScore);
    dbg_dump_field(t, "playerSkiing", playerSkiing);
    dbg_dump_field(t, "playerAng", playerAng);
    dbg_dump_field(t, "playerDif", playerDif);
    dbg_dump_field(t, "sndEngine", sndEngine);
    dbg_dump_field(t, "imgCreature", imgCreature);
    dbg_dump_field(t, "imgBoat", imgBoat);
    dbg_dump_field(t, "imgRopeDown", imgRopeDown);
    dbg_dump_field(t, "imgRope", imgRope);
    dbg_dump_field(t, "imgSkier", imgSkier);
    dbg_dump_field(t, "imgWasted", imgWasted);
    dbg_dump_field(t, "imgTitle", imgTitle);
    dbg_dump_field(t, "font", font);
    return t;
}

c_JamApp::c_JamApp() {
    ZV_FUNC("JamApp.new");
    ZV_SELF;
    ZV_AT gc_store_array(imgCreature, Array<c_Image*>(9));
}

namespace {

// A missing image ends the game at once with a report that names the file.
c_Image* Loaded(c_Image* image, const String& path) {
    ZV_FUNC("Loaded");
    ZV_LOCAL(image);
    ZV_LOCAL(path);
    ZV_AT if (!image) raise_runtime_error(String("Unable to load image \"") + path + String("\""));
    ZV_AT return image;
}

c_Image* LoadGameImage(const String& path, int flags) {
    ZV_FUNC("LoadGameImage");
    ZV_LOCAL(path);
    ZV_LOCAL(flags);
    ZV_AT return Loaded(LoadImage(path, 1, flags), path);
}

c_Image* LoadGameImage(const String& path, float handleX, float handleY) {
    ZV_FUNC("LoadGameImage");
    ZV_LOCAL(path);
    ZV_LOCAL(handleX);
    ZV_LOCAL(handleY);
    ZV_AT c_Image* image = LoadGameImage(path, c_Image::DefaultFlags);
    ZV_LOCAL(image);
    ZV_AT image->SetHandle(handleX, handleY);
    ZV_AT return image;
}

}  // namespace

int c_JamApp::OnCreate() {
    ZV_FUNC("JamApp.OnCreate");
    ZV_SELF;
    ZV_AT SetUpdateRate(60);
    ZV_AT gc_store(vDevice, new c_VirtualDevice());
    ZV_AT vDevice->SetFocus(320, 240);
    ZV_AT gc_store(c_Wave::list, new c_List<c_Wave*>());
    ZV_AT c_Wave::tideAng = Rnd(0, 360);
    ZV_AT c_Wave::tideSpeed = 0.1f;
    ZV_AT gc_store(c_Wake::list, new c_List<c_Wake*>());
    ZV_AT gc_store(c_Cloud::list, new c_List<c_Cloud*>());
    ZV_AT gc_store(c_Creature::list, new c_CreatureList());
    ZV_AT gc_store(c_Buoy::list, new c_List<c_Buoy*>());
    ZV_AT LoadAssets();
    ZV_AT gc_store(font, new c_AngelFont(String()));
    ZV_AT font->LoadFontXml(String("font"));
    ZV_AT bestScore = LoadState().ToInt();
    // A missing sound leaves the game silent rather than ending it.
    ZV_AT PlaySound(sndEngine, 1, 1);
    ZV_AT PlayMusic(String("sea.ogg"), 1);
    return 0;
}

int c_JamApp::LoadAssets() {
    ZV_FUNC("JamApp.LoadAssets");
    ZV_SELF;
    ZV_AT gc_store(sndEngine, LoadSound(String("engine.wav")));
    ZV_AT gc_store(c_Wave::imgWave, Loaded(LoadImage(String("waves.png"), 64, 64, 10, c_Image::HandleCentered),
                                           String("waves.png")));
    ZV_AT gc_store(c_Wake::imgWake, LoadGameImage(String("wake.png"), 60, 16));
    ZV_AT imgCreature.Set(0, LoadGameImage(String("whale.png"), 110, 32));
    ZV_AT imgCreature.Set(1, LoadGameImage(String("manta.png"), 38, 24));
    ZV_AT imgCreature.Set(2, LoadGameImage(String("dolfin.png"), 34, 9.5f));
    ZV_AT imgCreature.Set(3, LoadGameImage(String("fish.png"), 31, 15));
    ZV_AT imgCreature.Set(4, LoadGameImage(String("squid.png"), 220, 60));
    ZV_AT imgCreature.Set(5, LoadGameImage(String("jelly.png"), 23, 31));
    ZV_AT imgCreature.Set(6, LoadGameImage(String("hammer.png"), 34, 9.5f));
    ZV_AT imgCreature.Set(7, LoadGameImage(String("nessy.png"), 140, 55));
    ZV_AT imgCreature.Set(8, LoadGameImage(String("sub.png"), 120, 29.5f));
    ZV_AT gc_store(imgBoat, LoadGameImage(String("boat.png"), c_Image::HandleCentered));
    ZV_AT gc_store(imgRopeDown, LoadGameImage(String("ropedown.png"), 0, 2.5f));
    ZV_AT gc_store(imgRope, LoadGameImage(String("rope.png"), 0, 2.5f));
    ZV_AT gc_store(imgSkier, LoadGameImage(String("skier.png"), 34, 13));
    ZV_AT gc_store(c_Wipeout::img, LoadGameImage(String("wipeout.png"), 17, 14));
    ZV_AT gc_store(c_Floater::img, LoadGameImage(String("floater.png"), 16, 16));
    ZV_AT gc_store(c_Floater::imgSplash, LoadGameImage(String("splash.png"), c_Image::HandleCentered));
    ZV_AT gc_store(c_Buoy::img1, LoadGameImage(String("buoy1.png"), c_Image::HandleCentered));
    ZV_AT gc_store(c_Buoy::img2, LoadGameImage(String("buoy2.png"), c_Image::HandleCentered));
    ZV_AT gc_store(c_Cloud::img, LoadGameImage(String("cloud.png"), c_Image::HandleCentered));
    ZV_AT gc_store(imgWasted, LoadGameImage(String("wasted.png"), c_Image::HandleCentered));
    ZV_AT gc_store(imgTitle, LoadGameImage(String("title.png"), c_Image::HandleCentered));
    return 0;
}

int c_JamApp::OnUpdate() {
    ZV_FUNC("JamApp.OnUpdate");
    ZV_SELF;
    ZV_AT vDevice->Init(640, 480);  // every update, so a resized window takes effect
    ZV_AT camX += 2;
    ZV_AT camY -= 2;
    ZV_AT if (gameState == StateTitle) {
        ZV_BLOCK;
        ZV_AT playerDif *= 0.9f;
        ZV_AT titleAlpha += 0.05f;
        ZV_AT if (titleAlpha > 1) titleAlpha = 1;
        ZV_AT if (StartPressed()) SetupGame();
    } else if (gameState == StateSkiing) {
        ZV_BLOCK;
        ZV_AT if (playerSkiing) SteerPlayer();
        ZV_AT titleOffset += 10;
        ZV_AT score += 1;
    } else if (gameState == StateWipedOut) {
        ZV_BLOCK;
        ZV_AT playerDif *= 0.9f;
        ZV_AT goCount += 1;
        ZV_AT titleOffset += 10;
        ZV_AT if (goCount > 120) {
            ZV_BLOCK;
            ZV_AT gameState = StateTitle;
            ZV_AT goCount = 0;
            ZV_AT titleAlpha = 0;
            ZV_AT titleOffset = 0;
        }
    }
    ZV_AT MoveRope();
    ZV_AT c_Wipeout::Update();
    ZV_AT c_Floater::Update();
    ZV_AT c_Creature::UpdateAll();
    ZV_AT c_Buoy::UpdateAll();
    ZV_AT c_Wave::UpdateAll();
    ZV_AT c_Wake::UpdateAll();
    ZV_AT c_Cloud::UpdateAll();
    ZV_AT EmitWakes();
    return 0;
}

int c_JamApp::SetupGame() {
    ZV_FUNC("JamApp.SetupGame");
    ZV_SELF;
    ZV_AT activeFloater = nullptr;
    ZV_AT lastScore = score;
    ZV_AT score = 0;
    ZV_AT playerSkiing = true;
    ZV_AT gameState = StateSkiing;
    return 0;
}

int c_JamApp::EndGame() {
    ZV_FUNC("JamApp.EndGame");
    ZV_SELF;
    ZV_AT new c_Wipeout(RopeX(416), RopeY(416), int(Sgn(playerAng)));
    ZV_AT if (score > bestScore) {
        ZV_BLOCK;
        // Another copy of the game may have saved a higher best since this one started: read the
        // state again, and never write a lower one over it.
        ZV_AT int savedBest = LoadState().ToInt();
        ZV_LOCAL(savedBest);
        ZV_AT bestScore = score > savedBest ? score : savedBest;
        ZV_AT if (score > savedBest) SaveState(String::FromInt(bestScore));
    }
    ZV_AT playerSkiing = false;
    ZV_AT gameState = StateWipedOut;
    return 0;
}

namespace {

// The game's text: left-aligned at (x, y), the font's glyphs shrunk to about 20 pixels high.
void DrawGameText(c_AngelFont* font, const String& text, float x, float y) {
    ZV_FUNC("DrawGameText");
    ZV_LOCAL(font);
    ZV_LOCAL(text);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT font->DrawHTML(text, int(x), int(y), 0, 0, 0, 0.35f, 0.35f);
}

}  // namespace

int c_JamApp::OnRender() {
    ZV_FUNC("JamApp.OnRender");
    ZV_SELF;
    ZV_AT Cls(seaRed, seaGreen, seaBlue);
    ZV_AT PushMatrix();
    ZV_AT vDevice->SetupRender();
    ZV_AT vDevice->SetOrigin(-camX, -camY);
    ZV_AT c_Creature::RenderAll();  // under the water, below everything else
    ZV_AT c_Wave::RenderAll();
    ZV_AT c_Wake::RenderAll();
    ZV_AT RenderPlayer();
    ZV_AT c_Wipeout::Render();
    ZV_AT c_Floater::Render();
    ZV_AT c_Buoy::RenderAll();
    ZV_AT c_Cloud::RenderAll();  // above everything on the sea
    ZV_AT if (gameState == StateWipedOut) DrawImage(imgWasted, camX, camY, 0);
    ZV_AT SetAlpha(titleAlpha);
    ZV_AT DrawGameText(font, String(U"Hit 'space' to play"), camX - 300, camY - 220 - float(titleOffset));
    ZV_AT DrawImage(imgTitle, camX + 120 + float(titleOffset), camY + 145, 0);
    ZV_AT SetAlpha(1);
    ZV_AT DrawGameText(font, String("Score: ") + String::FromInt(score), camX - 300, camY + 160);
    ZV_AT DrawGameText(font, String("Last score: ") + String::FromInt(lastScore), camX - 300, camY + 180);
    ZV_AT DrawGameText(font, String("Best score: ") + String::FromInt(bestScore), camX - 300, camY + 200);
    ZV_AT PopMatrix();
    return 0;
}
