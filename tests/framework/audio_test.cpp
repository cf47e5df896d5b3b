// The sound API over the real engine on a silent device, and the delegate's sound steps.
#include "tests/framework/framework_fixture.h"

namespace {

// Logs the host's focus changes as the app and the engine see them.
class c_FocusApp : public c_App {
public:
    int OnSuspend() override { return Log("OnSuspend"); }
    int OnResume() override { return Log("OnResume"); }
    static int Log(const std::string& call) {
        calls.push_back(call);
        return 0;
    }
};

class FocusLoggingAudio : public gxtkAudio {
public:
    int Suspend() override { return c_FocusApp::Log("audio Suspend"); }
    int Resume() override { return c_FocusApp::Log("audio Resume"); }
};

using Calls = std::vector<std::string>;

class SoundApi : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        host.sounds = {"zorvex://data/engine.wav", "zorvex://data/sea.ogg"};
        SetAudioDevice(new gxtkAudio());
    }
};

TEST_F(SoundApi, FilesComeFromTheDataFolderAndWhatCannotLoadGivesNullOrMinusOne) {
    c_Sound* engine = LoadSound(String("engine.wav"));
    ASSERT_NE(engine, nullptr);
    EXPECT_NE(engine->sample, nullptr);
    EXPECT_EQ(LoadSound(String("missing.wav")), nullptr);

    EXPECT_EQ(PlayMusic(String("sea.ogg"), 1), 0);
    EXPECT_EQ(audioDevice->MusicState(), 1);
    EXPECT_EQ(PlayMusic(String("missing.ogg"), 1), -1);
    EXPECT_EQ(audioDevice->MusicState(), 0) << "the old music stops all the same";
    EXPECT_EQ(host.decodedSounds, (std::vector<std::string>{"zorvex://data/engine.wav", "zorvex://data/missing.wav",
                                                           "zorvex://data/sea.ogg", "zorvex://data/missing.ogg"}));
}

TEST_F(SoundApi, PlaySoundPlaysOnlyRealSoundsOnSoundChannels) {
    c_Sound* engine = LoadSound(String("engine.wav"));
    ASSERT_NE(engine, nullptr);
    ASSERT_EQ(PlayMusic(String("sea.ogg"), 1), 0);
    gxtkSample* music = audioDevice->channels[gxtkAudio::MUSIC_CHANNEL].sample;

    EXPECT_EQ(PlaySound(nullptr, 1, 1), 0);
    EXPECT_EQ(PlaySound(new c_Sound(), 1, 1), 0);
    EXPECT_EQ(audioDevice->ChannelState(1), 0);
    for (int channel : {-1, gxtkAudio::MUSIC_CHANNEL, 33}) EXPECT_EQ(PlaySound(engine, channel, 1), 0);
    EXPECT_EQ(audioDevice->channels[gxtkAudio::MUSIC_CHANNEL].sample, music) << "the music channel is not a sound's";

    EXPECT_EQ(PlaySound(engine, 1, 1), 0);
    EXPECT_EQ(audioDevice->ChannelState(1), 1);
    EXPECT_EQ(audioDevice->channels[1].flags, 1);
}

TEST_F(SoundApi, TheDelegateMakesTheEngineAndPausesItOnlyWhileTheAppIsSuspended) {
    new c_FocusApp();
    host.StartGame();
    ASSERT_NE(currentDelegate->_audio, nullptr);
    EXPECT_EQ(audioDevice, currentDelegate->_audio);

    gc_store(currentDelegate->_audio, static_cast<gxtkAudio*>(new FocusLoggingAudio()));
    calls.clear();
    host.SuspendGame();
    host.ResumeGame();
    EXPECT_EQ(calls, (Calls{"OnSuspend", "audio Suspend", "audio Resume", "OnResume"}));
}

}  // namespace
