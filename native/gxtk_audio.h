// The audio engine: 32 sound channels and one music channel over OpenAL, each channel bound to
// an OpenAL source, and whole decoded sounds held in OpenAL buffers.
//
// Sources are made lazily, per channel, on first use. When OpenAL can make no more, a channel
// takes the source of the first stopped sound channel. The end of a sound is noticed lazily: a
// channel's state says "playing" until a query finds its source stopped.
//
// A buffer cannot be deleted while a source holds it, so a destroyed sample only queues its
// buffer; the queue is flushed at the next load or play, once stopped sources have let go.
// The engine keeps a sample alive while it is audible (mark_children), so music or a sound the
// game has dropped plays to its end.
//
// With no device or context the engine stays usable but silent: no channel ever gets a source,
// every query answers as for a stopped channel. Channels outside 0 to 32 are ignored.
// Main thread only.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include "runtime/object.h"

class gxtkSample : public Object {
public:
    ALuint buffer = 0;  // 0 while the sample holds no sound

    ~gxtkSample() override;

    // Queues the buffer for deletion and leaves the sample empty.
    virtual int Discard();
};

class gxtkAudio : public Object {
public:
    static constexpr int CHANNEL_COUNT = 33;
    static constexpr int MUSIC_CHANNEL = 32;

    struct Channel {
        ALuint source = 0;             // 0 while the channel has none
        gxtkSample* sample = nullptr;  // traced only while audible
        int flags = 0;                 // of the last play; non-zero loops
        int state = 0;                 // 0 stopped, 1 playing, 2 paused
    };

    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    Channel channels[CHANNEL_COUNT];
    bool muted = false;

    gxtkAudio();

    void mark_children() override;

    virtual int Suspend();
    virtual int Resume();
    virtual gxtkSample* LoadSample(const String& path);
    virtual bool LoadSampleInto(gxtkSample* sample, const String& path);
    virtual int PlaySample(gxtkSample* sample, int channel, int flags);
    virtual int StopChannel(int channel);
    virtual int PauseChannel(int channel);
    virtual int ResumeChannel(int channel);
    virtual int ChannelState(int channel);
    virtual int SetVolume(int channel, float volume);
    virtual int SetPan(int channel, float pan);
    virtual int SetRate(int channel, float rate);
    virtual int PlayMusic(const String& path, int flags);
    virtual int StopMusic();
    virtual int PauseMusic();
    virtual int ResumeMusic();
    virtual int MusicState();
    virtual int SetMusicVolume(float volume);
    // Silences every channel at once, or brings them all back as they would be now: muted
    // sounds play on unheard, and their own volumes are kept.
    void SetMuted(bool mute);

private:
    // The channel's source, made or taken from a stopped channel; 0 when there is none.
    ALuint AcquireSource(int channel);
    void FlushDiscardedBuffers();
};

// The one engine, set by its constructor.
extern gxtkAudio* audioInstance;

// Lets go of the last engine's context and device, with their sources and buffers; the engine is
// silent afterwards. Runs when the process ends, since OpenAL reports a device still open then
// as an error on standard error.
void ZVCloseAudioDevice();
