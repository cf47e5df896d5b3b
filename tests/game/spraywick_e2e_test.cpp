// The real spraywick binary under X: real key presses through xdotool, screenshots of its window,
// the sound it makes and the state file it leaves behind.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>

#include "tests/game/running_game.h"
#include "tests/game/screen_text.h"
#include "tests/support/process.h"
#include "tests/support/sound_capture.h"
#include "tests/support/temp_folder.h"

namespace {

bool IsSea(Pixel p) { return std::abs(p.r - 32) < 12 && std::abs(p.g - 96) < 12 && std::abs(p.b - 128) < 12; }
bool IsRope(Pixel p) { return p.r > 140 && p.g > 90 && p.b < 110; }

// A fresh folder that links to the game's data, so the game's state file is the test's own.
// `alterData`, when given, may change a data folder of the game's own that links to each file.
struct GameFolder : TempFolder {
    explicit GameFolder(const std::function<void(const std::string& data)>& alterData = {})
        : TempFolder("spraywick-e2e") {
        if (alterData) {
            alterData(LinkGameDataFiles());
        } else {
            LinkGameData();
        }
    }
};


void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

TEST(SpraywickEndToEnd, PlaysAndKeepsTheBestScore) {
    GameFolder dir;
    RunningGame game(BuiltGame(), dir.path());
    Sleep(1.5);
    Screenshot title = game.Shoot("title");
    ASSERT_EQ(title.width, 640);
    ASSERT_EQ(title.height, 480);

    // The sea fills the view; the corners away from the boat are mostly sea colour.
    int sea = 0;
    for (int y = 380; y < 480; y += 4)
        for (int x = 0; x < 100; x += 4) sea += IsSea(title.At(x, y));
    EXPECT_GT(sea, 400) << "of 625 samples in the bottom-left corner";

    // The boat sits in the top-right corner, where the sea colour gives way.
    int boat = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 620; x < 640; ++x) boat += !IsSea(title.At(x, y));
    EXPECT_GT(boat, 100) << "of 400 pixels at the boat";

    // The rope runs 400 pixels from the stern (630, 10) down and to the left, at 135 degrees.
    int rope = 0;
    for (int d = 40; d < 380; d += 10) {
        int x = int(630 - d * 0.7071), y = int(10 + d * 0.7071);
        bool found = false;
        for (int dy = -3; dy <= 3 && !found; ++dy)
            for (int dx = -3; dx <= 3 && !found; ++dx) found = IsRope(title.At(x + dx, y + dy));
        rope += found;
    }
    EXPECT_GT(rope, 28) << "of 34 points along the rope";

    // Space starts a run with the skier up at the rope's end, straight behind the boat; holding
    // left swings the skier clockwise on screen, to the left and up. A creature may end a run first: then the
    // title comes back and the next attempt starts another run.
    int swings = 0;
    for (int attempt = 0; attempt < 4 && swings == 0; ++attempt) {
        game.Key("key", "space");
        Sleep(0.3);
        Skier skier = FindSkier(game.Shoot("run"));
        game.Key("keydown", "Left");
        Sleep(0.8);
        Skier swung = FindSkier(game.Shoot("swung"));
        game.Key("keyup", "Left");
        if (skier.crashed || swung.crashed || skier.red < 3 || swung.red < 3) {
            Sleep(3);  // the wipeout and the return of the title
            continue;
        }
        ++swings;
        EXPECT_NEAR(skier.angle, 135, 5);
        EXPECT_GT(swung.angle, skier.angle + 2) << "the skier did not swing clockwise";
    }
    EXPECT_EQ(swings, 1) << "every attempt crashed before the swing could be seen";

    // Sooner or later the skier crashes, and the score is kept.
    std::string state;
    for (int i = 0; i < 120 && state.empty(); ++i) {
        Sleep(0.5);
        state = dir.Read(".zorvexstate", "");
    }
    ASSERT_FALSE(state.empty()) << "no crash wrote a best score within a minute";
    EXPECT_GT(std::atoi(state.c_str()), 0);
    EXPECT_EQ(state, std::to_string(std::atoi(state.c_str()))) << "the state is the decimal score alone";
}

// Where the game's text starts on a 640 x 480 window: 20 pixels in from the left.
constexpr int kTextX = 20, kPromptY = 20, kScoreY = 400, kLastY = 420, kBestY = 440;

TEST(SpraywickEndToEnd, ShowsThePromptAndTheScoresInEveryState) {
    ScreenText text;
    GameFolder dir;
    RunningGame game(BuiltGame(), dir.path());
    Sleep(1.5);
    Screenshot title = game.Shoot("text-title");
    EXPECT_TRUE(text.Shows(title, kTextX, kPromptY, "Hit 'space' to play"));
    EXPECT_EQ(text.NumberAfter(title, kTextX, kScoreY, "Score: "), "0");
    EXPECT_EQ(text.NumberAfter(title, kTextX, kLastY, "Last score: "), "0");
    EXPECT_EQ(text.NumberAfter(title, kTextX, kBestY, "Best score: "), "0") << "no state file yet";

    // Skiing: the prompt has slid away, the score counts.
    game.Key("key", "space");
    Sleep(0.5);
    Screenshot run = game.Shoot("text-run");
    EXPECT_FALSE(text.Shows(run, kTextX, kPromptY, "Hit 'space' to play"));
    EXPECT_GT(std::atoi(text.NumberAfter(run, kTextX, kScoreY, "Score: ").c_str()), 0);
    EXPECT_TRUE(text.Shows(run, kTextX, kLastY, "Last score: "));
    EXPECT_EQ(text.NumberAfter(run, kTextX, kBestY, "Best score: "), "0");

    // Wiped out: the run's score is the new best, on screen and in the state file.
    std::string state;
    for (int i = 0; i < 300 && state.empty(); ++i) {
        Sleep(0.2);
        state = dir.Read(".zorvexstate", "");
    }
    ASSERT_FALSE(state.empty()) << "no crash within a minute";
    Screenshot wiped = game.Shoot("text-wipeout");
    EXPECT_EQ(text.NumberAfter(wiped, kTextX, kBestY, "Best score: "), state);
    EXPECT_EQ(text.NumberAfter(wiped, kTextX, kScoreY, "Score: "), state);
    EXPECT_EQ(text.NumberAfter(wiped, kTextX, kLastY, "Last score: "), "0");

    // The title again, with the prompt back; then the next run shows the last score.
    Sleep(2.8);
    Screenshot back = game.Shoot("text-title-again");
    EXPECT_TRUE(text.Shows(back, kTextX, kPromptY, "Hit 'space' to play"));
    EXPECT_EQ(text.NumberAfter(back, kTextX, kBestY, "Best score: "), state);
    game.Key("key", "space");
    Sleep(0.3);
    Screenshot next = game.Shoot("text-next-run");
    EXPECT_EQ(text.NumberAfter(next, kTextX, kLastY, "Last score: "), state);
    EXPECT_EQ(text.NumberAfter(next, kTextX, kBestY, "Best score: "), state);
}

TEST(SpraywickEndToEnd, AMissingImageIsReportedByName) {
    TempFolder dir("spraywick-missing");
    std::remove((dir.LinkGameDataFiles() + "/whale.png").c_str());
    UseOpenAlConfig(OpenAlConfig("silent"));  // a sound device, so the report is the first output
    ProcessResult result = run_process(BuiltGame(), {}, "", dir.path());
    EXPECT_EQ(result.exit_status, 255);
    EXPECT_EQ(result.out.rfind("Zorvex Runtime Error : Unable to load image \"whale.png\"\n", 0), 0u) << result.out;
}

// Everything the game mixes, written to a WAV file in real time by OpenAL's wave output, so the
// file's length is how long the game has been making sound. Made before the game starts.
class GameSound {
public:
    GameSound() { UseOpenAlConfig(WriteWaveConfig(folder.path(), wav)); }

    Recording Heard() const { return ReadRecording(wav); }
    double Now() const { return Heard().Seconds(); }
    // Waits until the recording is `seconds` long; false after twenty seconds without.
    bool WaitUntil(double seconds) const {
        for (int i = 0; i < 400 && Now() < seconds; ++i) Sleep(0.05);
        return Now() >= seconds;
    }

private:
    TempFolder folder{"spraywick-sound"};
    std::string wav = folder.path() + "/out.wav";
};

// How the two sounds are told apart in the mix. The engine is mono, the same on both sides, and
// fires at 47 Hz, so it rings strongly at 94 and 188 Hz (tools/assets/src/soundgen.cpp), where
// the sea's noise is weak. The sea is stereo: what differs between the sides is the sea's alone.
struct Mix {
    double level = 0;  // RMS of both sides
    double side = 0;   // RMS of (left - right) / 2: the sea
    double hum = 0;    // amplitude of the shared signal at 94 Hz plus at 188 Hz: the engine
};

// The amplitude of one frequency in a signal (Goertzel's single-bin transform).
double Amplitude(const std::vector<double>& signal, double hertz, int rate) {
    double coefficient = 2 * std::cos(2 * M_PI * hertz / rate), s1 = 0, s2 = 0;
    for (double v : signal) {
        double s0 = v + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return signal.empty() ? 0 : 2 * std::sqrt(std::max(power, 0.0)) / double(signal.size());
}

Mix MixOf(const Recording& r, double from, double to) {
    Mix mix;
    std::vector<double> mid;
    size_t first = size_t(from * r.rate), last = std::min(size_t(to * r.rate), r.samples.size() / 2);
    for (size_t i = first; i < last; ++i) {
        double left = r.samples[2 * i], right = r.samples[2 * i + 1];
        mid.push_back((left + right) / 2);
        mix.level += (left * left + right * right) / 2;
        mix.side += (left - right) * (left - right) / 4;
    }
    if (mid.empty()) return mix;
    mix.level = std::sqrt(mix.level / double(mid.size()));
    mix.side = std::sqrt(mix.side / double(mid.size()));
    mix.hum = Amplitude(mid, 94, r.rate) + Amplitude(mid, 188, r.rate);
    return mix;
}

// Levels measured here: the sea's side near 0.06, the engine's hum near 0.08 and the sea's own
// noise at those two frequencies near 0.01.
constexpr double kSeaHeard = 0.02;
constexpr double kEngineHeard = 0.04;
constexpr double kNoEngine = 0.025;
constexpr double kSilent = 0.002;

void ExpectBothHeard(const Mix& mix, const std::string& when) {
    EXPECT_GT(mix.hum, kEngineHeard) << "the engine, " << when;
    EXPECT_GT(mix.side, kSeaHeard) << "the sea, " << when;
}

// The game's opening second: the recording starts with the audio engine, and the sea follows once
// the images are loaded and the sea is decoded, up to half a second later on a busy machine.
Mix Opening(const GameSound& sound) {
    EXPECT_TRUE(sound.WaitUntil(1.6)) << "the game made no sound";
    return MixOf(sound.Heard(), 0.5, 1.5);
}

TEST(SpraywickEndToEnd, TheEngineAndTheSeaPlayFromTheStartButNotWhileTheWindowIsUnfocused) {
    GameSound sound;
    GameFolder dir;
    RunningGame game(BuiltGame(), dir.path());
    ExpectBothHeard(Opening(sound), "at the start");

    WindowManager windows;
    double lost = sound.Now();
    windows.FocusElsewhere();
    Sleep(1);
    double regained = sound.Now();
    windows.Focus(std::stoul(game.window));
    ASSERT_TRUE(sound.WaitUntil(regained + 1));
    Recording heard = sound.Heard();
    EXPECT_LT(MixOf(heard, lost + 0.3, regained).level, kSilent) << "unfocused";
    ExpectBothHeard(MixOf(heard, regained + 0.3, regained + 1), "with the focus back");
    EXPECT_TRUE(game.Running());
}

// The engine's own data relabelled as 12-bit samples, which the game cannot play as stored.
void RelabelEngineAsTwelveBits(const std::string& data) {
    std::ifstream in(data + "/engine.wav", std::ios::binary);
    std::string wav((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    wav[34] = 12;  // bits per sample, in the fmt chunk that follows the RIFF header
    std::remove((data + "/engine.wav").c_str());
    std::ofstream(data + "/engine.wav", std::ios::binary) << wav;
}

// M is a mute, not a pause: the sounds go on unheard and come back where they would be now.
TEST(SpraywickEndToEnd, MMutesEverySoundAndMAgainBringsThemBack) {
    GameSound sound;
    GameFolder dir;
    RunningGame game(BuiltGame(), dir.path());
    ExpectBothHeard(Opening(sound), "at the start");

    double muted = sound.Now();
    game.Key("key", "m");
    Sleep(1);
    double unmuted = sound.Now();
    game.Key("key", "m");
    ASSERT_TRUE(sound.WaitUntil(unmuted + 1));
    Recording heard = sound.Heard();
    EXPECT_LT(MixOf(heard, muted + 0.3, unmuted).level, kSilent) << "muted";
    ExpectBothHeard(MixOf(heard, unmuted + 0.3, unmuted + 1), "unmuted");
    EXPECT_TRUE(game.Running());
}

TEST(SpraywickEndToEnd, AMissingOrCorruptSoundLeavesTheGameRunningWithoutThatSound) {
    const std::pair<const char*, std::function<void(const std::string&)>> engines[] = {
        {"without engine.wav", [](const std::string& data) { std::remove((data + "/engine.wav").c_str()); }},
        {"with a 12-bit engine.wav", RelabelEngineAsTwelveBits},
    };
    for (const auto& [engine, alter] : engines) {
        GameSound sound;
        GameFolder dir(alter);
        RunningGame game(BuiltGame(), dir.path());
        Mix seaAlone = Opening(sound);
        EXPECT_LT(seaAlone.hum, kNoEngine) << engine;
        EXPECT_GT(seaAlone.side, kSeaHeard) << engine;
        EXPECT_TRUE(game.Running()) << engine;
    }
    {
        GameSound sound;
        GameFolder dir([](const std::string& data) {
            std::remove((data + "/sea.ogg").c_str());
            std::ofstream(data + "/sea.ogg") << "OggS and then nothing a decoder can use";
        });
        RunningGame game(BuiltGame(), dir.path());
        Mix engineAlone = Opening(sound);
        EXPECT_GT(engineAlone.hum, kEngineHeard);
        EXPECT_LT(engineAlone.side, kSilent);
        EXPECT_TRUE(game.Running()) << "with a corrupt sea.ogg";
    }
}

// With or without a sound device the game plays, and the close button ends it with nothing
// printed but the game's own lines: the sound device is closed before OpenAL could complain.
TEST(SpraywickEndToEnd, WithOrWithoutASoundDeviceTheCloseButtonEndsTheGameQuietly) {
    const std::pair<const char*, const char*> devices[] = {
        {"silent", ""},
        {"nodevice", "OpenAl error: alcOpenDevice failed\n"},
    };
    for (auto [device, printed] : devices) {
        SCOPED_TRACE(device);
        UseOpenAlConfig(OpenAlConfig(device));
        GameFolder dir;
        RunningGame game(BuiltGame(), dir.path());
        Sleep(1);
        game.Key("key", "space");
        Sleep(0.5);
        Screenshot shot = game.Shoot("silent");
        ASSERT_EQ(shot.width, 640);
        int sea = 0;
        for (int y = 380; y < 480; y += 4)
            for (int x = 0; x < 100; x += 4) sea += IsSea(shot.At(x, y));
        EXPECT_GT(sea, 400) << "of 625 samples in the bottom-left corner";
        EXPECT_TRUE(game.Running());
        EXPECT_EQ(game.Close(), 0);
        EXPECT_EQ(game.Output(), printed);
    }
}

}  // namespace
