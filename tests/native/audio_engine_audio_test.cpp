// The audio engine heard through OpenAL Soft's wave output, which writes what it mixes to a WAV
// file in real time. OpenAL may make only four sources; the music channel takes one at once.
// Times are places in the recording: an event is heard from about where the recording had got to
// when it happened (the mixer may lag the clock on a busy machine, but then catches up with the
// event already in effect), and it is measured in windows kept clear of every event.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/native/audio_engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr float kRight = 1.5707964f;
constexpr float kLeft = -1.5707964f;
constexpr double kLoud = 0.05;   // a half-volume tone gives an RMS of about 0.35, less when panned
constexpr double kQuiet = 0.01;
// Kept clear of every event: the file trails the mixer by its write buffer, and the mixer works
// in steps of ~23 ms.
constexpr double kMargin = 0.1;

// OpenAL reads its configuration once per process, so every test of a process records to the
// same file: each closes its device, and the next device starts the file afresh.
const TempFolder& WaveFolder() {
    static TempFolder folder("zv-wave");
    return folder;
}

class AudioEngineHeard : public AudioEngineTest {
protected:
    void SetUp() override {
        AudioEngineTest::SetUp();
        StartEngine(WriteWaveConfig(WaveFolder().path(), wav, 4));
    }

    // How far the recording has got: where what happens now will be heard.
    double Now() const { return ReadRecording(wav).Seconds(); }
    // Waits until the recording has grown by `seconds`, or for ten seconds at most.
    void Wait(double seconds) const {
        double until = Now() + seconds;
        for (int i = 0; i < 500 && Now() < until; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    // Closes the device, which completes the file, and reads it.
    Recording Finish() {
        ZVCloseAudioDevice();
        Recording recording = ReadRecording(wav);
        EXPECT_EQ(recording.channels, 2);
        return recording;
    }

    // RMS of one output channel (0 left, 1 right) between two events, clear of both.
    static double Level(const Recording& r, int side, double from, double to) {
        return r.Rms(side, from + kMargin, to - kMargin);
    }

    const std::string wav = WaveFolder().path() + "/out.wav";
};

TEST_F(AudioEngineHeard, PlaysOnceLoopsPausesAndStops) {
    WriteTone("once.wav", 0.3);
    WriteTone("loop.wav", 0.2);
    gxtkSample* once = audio->LoadSample(String("once.wav"));
    gxtkSample* loop = audio->LoadSample(String("loop.wav"));
    ASSERT_TRUE(once && loop);
    // Each on its own side, so each can be heard alone.
    audio->SetPan(3, kLeft);
    audio->SetPan(1, kRight);

    double played = Now();
    ASSERT_EQ(audio->PlaySample(once, 3, 0), 0);
    ASSERT_EQ(audio->PlaySample(loop, 1, 1), 0);
    EXPECT_EQ(audio->ChannelState(3), 1);
    Wait(0.6);
    EXPECT_EQ(audio->ChannelState(3), 0) << "the 0.3 s sound has ended";
    EXPECT_EQ(audio->ChannelState(1), 1) << "the 0.2 s sound loops";
    double paused = Now();
    audio->PauseChannel(1);
    EXPECT_EQ(audio->ChannelState(1), 2);
    Wait(0.5);
    double resumed = Now();
    audio->ResumeChannel(1);
    EXPECT_EQ(audio->ChannelState(1), 1);
    Wait(0.4);
    double stopped = Now();
    audio->StopChannel(1);
    EXPECT_EQ(audio->ChannelState(1), 0);
    Wait(0.4);
    Recording r = Finish();

    EXPECT_GT(Level(r, 0, played, played + 0.3), kLoud) << "the single sound plays";
    double right = Level(r, 1, played + 0.3, paused);
    EXPECT_GT(right, kLoud) << "the loop goes on past its length";
    EXPECT_LT(Level(r, 0, played + 0.3, paused), right / 4) << "panned fully right, and the single sound ended";
    for (int side : {0, 1}) {
        EXPECT_LT(Level(r, side, paused, resumed), kQuiet) << "silence while paused, side " << side;
        EXPECT_LT(Level(r, side, stopped, r.Seconds()), kQuiet) << "silence once stopped, side " << side;
    }
    EXPECT_GT(Level(r, 1, resumed, stopped), kLoud) << "the loop resumes";
}

TEST_F(AudioEngineHeard, SuspendSilencesAndResumeRestoresAllButPausedChannels) {
    WriteTone("loop.wav", 0.25);
    gxtkSample* loop = audio->LoadSample(String("loop.wav"));
    ASSERT_NE(loop, nullptr);
    audio->SetPan(1, 0);  // straight ahead: both sides alike
    audio->SetPan(2, kLeft);
    double played = Now();
    ASSERT_EQ(audio->PlaySample(loop, 1, 1), 0);
    ASSERT_EQ(audio->PlaySample(loop, 2, 1), 0);
    ASSERT_EQ(audio->PlayMusic(String("loop.wav"), 1), 0);
    Wait(0.3);
    double paused = Now();
    audio->PauseChannel(2);
    Wait(0.3);
    double suspended = Now();
    audio->Suspend();
    EXPECT_EQ(audio->ChannelState(1), 1) << "suspending leaves the states";
    EXPECT_EQ(audio->ChannelState(2), 2);
    EXPECT_EQ(audio->MusicState(), 1);
    Wait(0.5);
    double resumed = Now();
    audio->Resume();
    EXPECT_EQ(audio->ChannelState(2), 2);
    Wait(0.3);
    Recording r = Finish();

    EXPECT_GT(Level(r, 0, played, paused), 1.5 * Level(r, 1, played, paused)) << "channel 2 adds to the left";
    for (double from : {paused, resumed}) {
        double left = Level(r, 0, from, from + 0.3), right = Level(r, 1, from, from + 0.3);
        EXPECT_GT(right, kLoud) << "channel 1 and the music play, from " << from;
        EXPECT_NEAR(left / right, 1, 0.2) << "straight ahead, and channel 2 stays paused, from " << from;
    }
    for (int side : {0, 1}) EXPECT_LT(Level(r, side, suspended, resumed), kQuiet) << "suspended, side " << side;
}

TEST_F(AudioEngineHeard, AChannelWithoutASourceTakesOneFromTheFirstStoppedChannel) {
    WriteTone("short.wav", 0.15);
    WriteTone("loop.wav", 0.2);
    gxtkSample* once = audio->LoadSample(String("short.wav"));
    gxtkSample* loop = audio->LoadSample(String("loop.wav"));
    ASSERT_TRUE(once && loop);
    ALuint music = audio->channels[gxtkAudio::MUSIC_CHANNEL].source;
    EXPECT_NE(music, 0u) << "the music channel has its source from the start";

    // The music and channels 0 to 2 hold all four sources.
    ASSERT_EQ(audio->PlaySample(once, 0, 0), 0);
    ASSERT_EQ(audio->PlaySample(loop, 1, 1), 0);
    ASSERT_EQ(audio->PlaySample(loop, 2, 1), 0);
    audio->PauseChannel(2);
    EXPECT_EQ(audio->PlaySample(loop, 3, 1), -1) << "every source is playing or paused";
    Wait(0.3);
    ALuint first = audio->channels[0].source;
    EXPECT_EQ(audio->PlaySample(loop, 3, 1), 0) << "channel 0 has ended";
    EXPECT_EQ(audio->channels[3].source, first);
    EXPECT_EQ(audio->channels[0].source, 0u);
    EXPECT_EQ(audio->channels[gxtkAudio::MUSIC_CHANNEL].source, music);

    // Channel 1 stopped: channel 0 now takes its source. Channel 3 alone is heard meanwhile.
    double alone = Now();
    audio->StopChannel(1);
    Wait(0.3);
    double replayed = Now();
    ALuint second = audio->channels[1].source;
    EXPECT_EQ(audio->PlaySample(once, 0, 0), 0);
    EXPECT_EQ(audio->channels[0].source, second);
    Recording r = Finish();
    EXPECT_GT(Level(r, 0, alone, replayed), kLoud) << "the recycled source plays channel 3";
}

TEST_F(AudioEngineHeard, ADroppedSamplePlaysToItsEndAndIsThenDiscarded) {
    WriteTone("dropped.wav", 0.4);
    WriteTone("next.wav", 0.1);
    // Loaded first: OpenAL reuses the names of deleted buffers.
    gxtkSample* next = audio->LoadSample(String("next.wav"));
    gxtkSample* dropped = audio->LoadSample(String("dropped.wav"));
    ASSERT_TRUE(next && dropped);
    test_roots.push_back(next);  // a root from now on, as a module global would be
    gc_grey(next);
    ALuint buffer = dropped->buffer;
    double played = Now();
    ASSERT_EQ(audio->PlaySample(dropped, 0, 0), 0);
    dropped = nullptr;  // only the engine knows it now

    testing::internal::CaptureStdout();
    gc_full_collection();
    Wait(0.2);
    gc_full_collection();
    DestroyGarbage();
    std::string whilePlaying = testing::internal::GetCapturedStdout();
    // Asked of OpenAL, not of the engine, which is to notice the end by itself.
    ALint state = AL_PLAYING;
    for (int i = 0; i < 100 && state != AL_STOPPED; ++i) {
        Wait(0.05);
        alGetSourcei(audio->channels[0].source, AL_SOURCE_STATE, &state);
    }
    testing::internal::CaptureStdout();
    gc_full_collection();
    DestroyGarbage();
    std::string afterTheEnd = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(alIsBuffer(buffer)) << "no load or play since";
    EXPECT_EQ(audio->PlaySample(next, 1, 0), 0);
    EXPECT_FALSE(alIsBuffer(buffer));
    Recording r = Finish();

    EXPECT_EQ(whilePlaying, "");
    EXPECT_EQ(afterTheEnd, "Discarding sample\n");
    EXPECT_GT(Level(r, 0, played, played + 0.4), kLoud) << "it played on through the collections";
}

}  // namespace
