// The audio engine on a silent OpenAL device: what the collector keeps alive, when buffers are
// deleted, and the channel numbers and sound formats it refuses. What it sounds like is measured
// by audio_engine_audio_test.cpp.
#include <gtest/gtest.h>

#include <climits>

#include "tests/native/audio_engine_fixture.h"

namespace {

class AudioEngine : public AudioEngineTest {
protected:
    void SetUp() override {
        AudioEngineTest::SetUp();
        StartEngine(OpenAlConfig("silent"));
        WriteTone("tone.wav", 2);
    }
};

TEST_F(AudioEngine, AnAudibleSampleOutlivesItsLastReference) {
    gxtkSample* sound = audio->LoadSample(String("tone.wav"));
    ASSERT_NE(sound, nullptr);
    ALuint buffer = sound->buffer;
    ASSERT_TRUE(alIsBuffer(buffer));
    ASSERT_EQ(audio->PlaySample(sound, 3, 0), 0);
    ASSERT_EQ(audio->PlayMusic(String("tone.wav"), 1), 0);
    gxtkSample* music = audio->channels[gxtkAudio::MUSIC_CHANNEL].sample;

    // Nothing but the engine refers to either sample; playing or paused, they are kept.
    testing::internal::CaptureStdout();
    gc_full_collection();
    audio->PauseChannel(3);
    gc_full_collection();
    DestroyGarbage();
    EXPECT_TRUE(gc_is_live_object(sound));
    EXPECT_TRUE(gc_is_live_object(music));
    EXPECT_EQ(audio->ChannelState(3), 2);

    // Stopped, the sound is collected; its buffer waits for the next load, since a stopped source
    // may still hold it.
    audio->StopChannel(3);
    gc_full_collection();
    DestroyGarbage();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Discarding sample\n");
    EXPECT_TRUE(gc_is_live_object(music));
    EXPECT_TRUE(alIsBuffer(buffer));
    EXPECT_EQ(audio->LoadSample(String("missing.wav")), nullptr);
    EXPECT_FALSE(alIsBuffer(buffer)) << "the buffer of a stopped channel is never deleted";
    EXPECT_EQ(audio->MusicState(), 1);
}

TEST_F(AudioEngine, ChannelsOutsideTheTableDoNothing) {
    gxtkSample* sound = audio->LoadSample(String("tone.wav"));
    ASSERT_NE(sound, nullptr);
    for (int channel : {-1, 33, 1000, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(channel);
        EXPECT_EQ(audio->PlaySample(sound, channel, 1), -1);
        EXPECT_EQ(audio->ChannelState(channel), 0);
        EXPECT_EQ(audio->PauseChannel(channel), 0);
        EXPECT_EQ(audio->ResumeChannel(channel), 0);
        EXPECT_EQ(audio->SetVolume(channel, 0.5f), 0);
        EXPECT_EQ(audio->SetPan(channel, 1), 0);
        EXPECT_EQ(audio->SetRate(channel, 2), 0);
        EXPECT_EQ(audio->StopChannel(channel), 0);
    }
    // The edges of the table are real channels.
    EXPECT_EQ(audio->PlaySample(sound, 0, 1), 0);
    EXPECT_EQ(audio->PlaySample(sound, gxtkAudio::MUSIC_CHANNEL, 1), 0);
    EXPECT_EQ(audio->MusicState(), 1);
}

TEST_F(AudioEngine, OnlyEightOrSixteenBitMonoOrStereoIsLoaded) {
    WriteTone("mono8.wav", 0.1, 1, 22050, 8);
    WriteTone("stereo8.wav", 0.1, 2, 22050, 8);
    WriteTone("stereo16.wav", 0.1, 2, 44100, 16);
    WriteTone("mono12.wav", 0.1, 1, 22050, 12);
    WriteTone("mono20.wav", 0.1, 1, 22050, 20);
    WriteTone("mono24.wav", 0.1, 1, 22050, 24);
    WriteTone("mono32.wav", 0.1, 1, 22050, 32);
    WriteTone("three16.wav", 0.1, 3, 22050, 16);
    WriteTone("rate0.wav", 0.1, 1, 0, 16);
    for (const char* name : {"mono8.wav", "stereo8.wav", "stereo16.wav"}) {
        gxtkSample* sample = audio->LoadSample(String(name));
        ASSERT_NE(sample, nullptr) << name;
        EXPECT_TRUE(alIsBuffer(sample->buffer)) << name;
    }

    gxtkSample* sample = audio->LoadSample(String("tone.wav"));
    ASSERT_NE(sample, nullptr);
    ALuint buffer = sample->buffer;
    for (const char* name :
         {"mono12.wav", "mono20.wav", "mono24.wav", "mono32.wav", "three16.wav", "rate0.wav", "missing.wav"}) {
        EXPECT_EQ(audio->LoadSample(String(name)), nullptr) << name;
        EXPECT_FALSE(audio->LoadSampleInto(sample, String(name))) << name;
        EXPECT_EQ(sample->buffer, buffer) << "a refused file leaves the sample's sound as it was";
    }
    EXPECT_EQ(audio->PlayMusic(String("mono24.wav"), 1), -1);
}

}  // namespace
