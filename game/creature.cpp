#include "game/creature.h"

#include "game/collision.h"
#include "game/each.h"
#include "game/jamapp.h"
#include "game/wake.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

c_CreatureList* c_Creature::list;
int c_Creature::wakeCount;

void creature_init_globals() {
    c_Creature::list = nullptr;
    c_Creature::wakeCount = 0;
}

void creature_queue_roots() { gc_grey(c_Creature::list); }

String c_CreatureList::debug_dump() { return dbg_dump_header("CreatureList") + c_List<c_Creature*>::debug_dump(); }

int c_CreatureList::Compare(c_Creature* lhs, c_Creature* rhs) {
    ZV_FUNC("CreatureList.Compare");
    ZV_SELF;
    ZV_LOCAL(lhs);
    ZV_LOCAL(rhs);
    ZV_AT return int(Sgn(rhs->depth - lhs->depth));
}

void c_Creature::mark_children() {
    Object::mark_children();
    gc_grey(img);
}

String c_Creature::debug_dump() {
    String t = dbg_dump_header("Creature");
    dbg_dump_field(t, "list", list);
    dbg_dump_field(t, "wakeCount", wakeCount);
    dbg_dump_field(t, "type", type);
    dbg_dump_field(t, "x", x);
    dbg_dump_field(t, "y", y);
    dbg_dump_field(t, "ang", ang);
    dbg_dump_field(t, "depth", depth);
    dbg_dump_field(t, "dVel", dVel);
    dbg_dump_field(t, "vel", vel);
    dbg_dump_field(t, "img", img);
    dbg_dump_field(t, "wakeSize", wakeSize);
    dbg_dump_field(t, "colLength", colLength);
    return t;
}

// Rare giants first, the common shoals of fish last: out of 1280, a squid, a sea monster and a
// submarine 1 each, whales 27, jellyfish 40, hammerheads 80, dolphins 160, mantas 320, fish 650.
int c_Creature::ChooseKind() {
    ZV_FUNC("Creature.ChooseKind");
    ZV_SELF;
    ZV_AT int t = int(Floor(Rnd(0, 1280)));
    ZV_LOCAL(t);
    struct Kind {
        int lastT;
        int type;
        float wakeSize;
        int colLength;
    };
    static const Kind kinds[] = {
        {0, 4, 0.15f, 75},    {1, 7, 0.175f, 110}, {2, 8, 0.1f, 100},    {29, 0, 0.1f, 55},     {69, 5, 0.025f, 5},
        {149, 6, 0.05f, 20}, {309, 2, 0.075f, 25}, {629, 1, 0.05f, 15}, {1279, 3, 0.025f, 10},
    };
    ZV_AT for (const Kind& kind : kinds) {
        ZV_BLOCK;
        ZV_AT if (t <= kind.lastT) {
            ZV_BLOCK;
            ZV_AT type = kind.type;
            ZV_AT wakeSize = kind.wakeSize;
            ZV_AT colLength = kind.colLength;
            ZV_AT return 0;
        }
    }
    return 0;
}

// Inside the view moved up and right by a random offset: ahead of the boat.
c_Creature::c_Creature() {
    ZV_FUNC("Creature.new");
    ZV_SELF;
    ZV_AT ChooseKind();
    ZV_AT float offset = Rnd(0, 240);
    ZV_LOCAL(offset);
    ZV_AT x = Rnd(jamApp->camX - 320, jamApp->camX + 320) + offset;
    ZV_AT y = Rnd(jamApp->camY - 240, jamApp->camY + 240) - offset;
    ZV_AT ang = Rnd(0, 360);
    ZV_AT depth = 1;
    ZV_AT dVel = Rnd(-0.004f, -0.006f);
    ZV_AT vel = Rnd(0.2f, 0.5f);
    ZV_AT if (type == 5) vel *= 0.5f;  // jellyfish drift at half speed
    ZV_AT gc_store(img, jamApp->imgCreature[type]);
    ZV_AT list->AddLast(this);
}

// The spawn chance is 10 % per update, rising by a point per 20 points of score during a run.
int c_Creature::UpdateAll() {
    ZV_FUNC("Creature.UpdateAll");
    ZV_AT int test = jamApp->gameState == c_JamApp::StateSkiing ? int(float(jamApp->score) * 0.05f + 10) : 10;
    ZV_LOCAL(test);
    ZV_AT if (Rnd(100) < float(test)) new c_Creature();
    ZV_AT wakeCount += 1;
    ZV_AT list->Sort(true);
    ZV_AT CallEach<c_Creature>(list, &c_Creature::Update);
    return 0;
}

int c_Creature::RenderAll() {
    ZV_FUNC("Creature.RenderAll");
    ZV_AT CallEach<c_Creature>(list, &c_Creature::Render);
    return 0;
}

int c_Creature::Update() {
    ZV_FUNC("Creature.Update");
    ZV_SELF;
    ZV_AT x += Cos(ang) * vel;
    ZV_AT y += Sin(ang) * vel;
    ZV_AT depth += dVel;
    // Dangerous near the surface only, along a segment running back from the head.
    ZV_AT if (jamApp->gameState == c_JamApp::StateSkiing && depth < 0.6f) {
        ZV_BLOCK;
        ZV_AT if (LineToCircle(x, y, x + Cos(ang + 180) * float(colLength), y + Sin(ang + 180) * float(colLength),
                               jamApp->RopeX(416), jamApp->RopeY(416), 8)) {
            ZV_BLOCK;
            ZV_AT jamApp->EndGame();
        }
    }
    ZV_AT if (depth < 0.5f && wakeCount % 10 == 0) new c_Wake(x, y, ang, wakeSize, vel * 0.25f);
    ZV_AT if (depth < 0) {
        ZV_BLOCK;
        ZV_AT depth = 0;
        ZV_AT dVel = Rnd(0.009f, 0.011f);  // turn to dive
    } else if (depth > 1) {
        ZV_BLOCK;
        ZV_AT list->RemoveEach(this);
    }
    return 0;
}

// Tinted with the sea colour: all of it at depth 1, 65 % of it at the surface.
int c_Creature::Render() {
    ZV_FUNC("Creature.Render");
    ZV_SELF;
    ZV_AT float k = depth * 0.35f + 0.65f;
    ZV_LOCAL(k);
    ZV_AT SetColor(c_JamApp::seaRed * k, c_JamApp::seaGreen * k, c_JamApp::seaBlue * k);
    ZV_AT DrawImage(img, x, y, -ang, 1, 1, 0);
    ZV_AT SetColor(255, 255, 255);
    return 0;
}
