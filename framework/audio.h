// The game's sounds and music, played by the one audio engine the delegate installs.
//
// Paths are data paths: "engine.wav" is read from the data folder. A file that cannot be loaded
// gives a null Sound, or -1 from PlayMusic; nothing is raised, and the game runs without it.
#pragma once

#include "native/gxtk_audio.h"
#include "runtime/object.h"

class c_Sound : public Object {
public:
    static constexpr const char* debug_name = "Sound";

    gxtkSample* sample = nullptr;

    void mark_children() override;
    String debug_dump() override;

    c_Sound();
    explicit c_Sound(gxtkSample* sample);
};

extern gxtkAudio* audioDevice;

void audio_init_globals();
void audio_queue_roots();

void SetAudioDevice(gxtkAudio* dev);
// Null when the file is missing or cannot be decoded.
c_Sound* LoadSound(const String& path);
// Plays on sound channel 0 to 31, looping when flags is non-zero; a null sound, a sound without
// sample or another channel does nothing. Always 0: a sound that finds no free source is silent.
int PlaySound(c_Sound* sound, int channel, int flags);
// Stops the music and plays the whole file on the music channel: 0, or -1 when it cannot be loaded.
int PlayMusic(const String& path, int flags);
