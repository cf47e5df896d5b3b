#include "framework/audio.h"

#include "framework/data.h"

gxtkAudio* audioDevice;

void audio_init_globals() { audioDevice = nullptr; }

void audio_queue_roots() { gc_grey(audioDevice); }

// ---- Sound ----

c_Sound::c_Sound() {
    ZV_FUNC("Sound.new");
    ZV_SELF;
}

c_Sound::c_Sound(gxtkSample* sample) {
    ZV_FUNC("Sound.new");
    ZV_SELF;
    ZV_LOCAL(sample);
    ZV_AT gc_store(this->sample, sample);
}

void c_Sound::mark_children() {
    Object::mark_children();
    gc_grey(sample);
}

String c_Sound::debug_dump() {
    String t = dbg_dump_header("Sound");
    dbg_dump_field(t, "sample", sample);
    return t;
}

// ---- Module functions ----

void SetAudioDevice(gxtkAudio* dev) {
    ZV_FUNC("SetAudioDevice");
    ZV_LOCAL(dev);
    ZV_AT gc_store(audioDevice, dev);
}

c_Sound* LoadSound(const String& path) {
    ZV_FUNC("LoadSound");
    ZV_LOCAL(path);
    ZV_AT gxtkSample* sample = audioDevice->LoadSample(FixDataPath(path));
    ZV_LOCAL(sample);
    ZV_AT if (!sample) return nullptr;
    ZV_AT return new c_Sound(sample);
}

int PlaySound(c_Sound* sound, int channel, int flags) {
    ZV_FUNC("PlaySound");
    ZV_LOCAL(sound);
    ZV_LOCAL(channel);
    ZV_LOCAL(flags);
    // Channel 32 is the music's; the engine's result is not the game's concern.
    ZV_AT if (sound && sound->sample && channel >= 0 && channel < gxtkAudio::MUSIC_CHANNEL) {
        ZV_BLOCK;
        ZV_AT audioDevice->PlaySample(sound->sample, channel, flags);
    }
    ZV_AT return 0;
}

int PlayMusic(const String& path, int flags) {
    ZV_FUNC("PlayMusic");
    ZV_LOCAL(path);
    ZV_LOCAL(flags);
    ZV_AT return audioDevice->PlayMusic(FixDataPath(path), flags);
}
