// The game's sounds: the engine loop and the sea start with the game and play for as long as it runs.
#include <gtest/gtest.h>

#include "framework/audio.h"
#include "tests/game/harness.h"

namespace {

TEST(GameSound, TheEngineLoopsOnChannelOneAndTheSeaAsMusicThroughRunsAndCollections) {
    GameHarness game;
    ASSERT_NE(game.app()->sndEngine, nullptr);
    gxtkAudio::Channel& engine = audioDevice->channels[1];
    gxtkAudio::Channel& sea = audioDevice->channels[gxtkAudio::MUSIC_CHANNEL];
    gxtkSample* seaSample = sea.sample;
    EXPECT_EQ(engine.sample, game.app()->sndEngine->sample);
    EXPECT_NE(seaSample, nullptr);

    // A run, its crash and the title again: a few thousand collector steps, and nothing touches
    // the sound. Only the engine refers to the sea's sample.
    game.StartRun();
    for (int i = 0; i < 60 && game.app()->gameState != c_JamApp::StateTitle; ++i) game.Update(60);
    EXPECT_EQ(game.app()->gameState, c_JamApp::StateTitle) << "the run ends by itself within a minute";
    EXPECT_EQ(audioDevice->ChannelState(1), 1);
    EXPECT_EQ(engine.flags, 1);
    EXPECT_EQ(audioDevice->MusicState(), 1);
    EXPECT_EQ(sea.flags, 1);
    EXPECT_EQ(sea.sample, seaSample);
    EXPECT_TRUE(gc_is_live_object(seaSample));
}

}  // namespace
