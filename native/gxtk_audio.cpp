#include "native/gxtk_audio.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "native/game.h"

gxtkAudio* audioInstance;

namespace {

// Buffers of destroyed samples, waiting until no source holds them.
std::vector<ALuint> discardedBuffers;

bool ValidChannel(int channel) { return channel >= 0 && channel < gxtkAudio::CHANNEL_COUNT; }

// A source OpenAL cannot answer for (none, or no context) counts as stopped.
ALint SourceState(ALuint source) {
    ALint state = AL_STOPPED;
    if (source) alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

bool SourceStopped(ALuint source) { return SourceState(source) == AL_STOPPED; }

// The OpenAL format of decoded samples, or 0 for data OpenAL cannot take as it is.
ALenum FormatOf(int channels, int bytesPerSample) {
    if (bytesPerSample == 1 && channels == 1) return AL_FORMAT_MONO8;
    if (bytesPerSample == 1 && channels == 2) return AL_FORMAT_STEREO8;
    if (bytesPerSample == 2 && channels == 1) return AL_FORMAT_MONO16;
    if (bytesPerSample == 2 && channels == 2) return AL_FORMAT_STEREO16;
    return 0;
}

void RequireSample(gxtkSample* sample) {
    if (!sample) raise_runtime_error("Null sample");
}

// The last engine's device and context, for ZVCloseAudioDevice: the engine object itself may be
// garbage by the time the process ends.
ALCdevice* deviceToClose = nullptr;
ALCcontext* contextToDestroy = nullptr;

}  // namespace

// ---- gxtkSample ----

gxtkSample::~gxtkSample() {
    std::puts("Discarding sample");
    std::fflush(stdout);
    Discard();
}

int gxtkSample::Discard() {
    if (buffer) {
        discardedBuffers.push_back(buffer);
        buffer = 0;
    }
    return 0;
}

// ---- gxtkAudio ----

void ZVCloseAudioDevice() {
    if (!deviceToClose) return;
    alcMakeContextCurrent(nullptr);
    if (contextToDestroy) alcDestroyContext(contextToDestroy);
    alcCloseDevice(deviceToClose);
    deviceToClose = nullptr;
    contextToDestroy = nullptr;
}

gxtkAudio::gxtkAudio() {
    audioInstance = this;
    // Names queued under an earlier engine's context would name this one's buffers.
    discardedBuffers.clear();
    device = alcOpenDevice(nullptr);
    if (!device) {
        print_line(String("OpenAl error: alcOpenDevice failed"));
    } else if (!(context = alcCreateContext(device, nullptr))) {
        print_line(String("OpenAl error: alcCreateContext failed"));
    } else if (!alcMakeContextCurrent(context)) {
        print_line(String("OpenAl error: alcMakeContextCurrent failed"));
    }
    [[maybe_unused]] static const int closedAtExit = std::atexit(ZVCloseAudioDevice);
    deviceToClose = device;
    contextToDestroy = context;
    alDistanceModel(AL_NONE);
    AcquireSource(MUSIC_CHANNEL);
}

void gxtkAudio::mark_children() {
    Object::mark_children();
    for (Channel& channel : channels) {
        if (channel.state != 0 && !SourceStopped(channel.source)) gc_blacken(channel.sample);
    }
}

ALuint gxtkAudio::AcquireSource(int channel) {
    Channel& target = channels[channel];
    if (target.source) return target.source;
    ALuint source = 0;
    alGetError();
    alGenSources(1, &source);
    if (alGetError() == AL_NO_ERROR && source) return target.source = source;
    for (int i = 0; i < MUSIC_CHANNEL; ++i) {
        if (!channels[i].source || ChannelState(i) != 0) continue;
        source = channels[i].source;
        channels[i].source = 0;
        // A taken source starts afresh, not with the other channel's volume, pan and rate.
        alSourcef(source, AL_GAIN, 1);
        alSourcef(source, AL_PITCH, 1);
        alSource3f(source, AL_POSITION, 0, 0, 0);
        return target.source = source;
    }
    return 0;
}

void gxtkAudio::FlushDiscardedBuffers() {
    if (discardedBuffers.empty()) return;
    // Every stopped source lets go of its buffer, including those of channels already known to
    // be stopped: otherwise a buffer left on a stopped channel could never be deleted.
    for (Channel& channel : channels) {
        if (!channel.source || !SourceStopped(channel.source)) continue;
        alSourcei(channel.source, AL_BUFFER, 0);
        channel.state = 0;
    }
    std::vector<ALuint> kept;
    for (ALuint buffer : discardedBuffers) {
        alGetError();
        alDeleteBuffers(1, &buffer);
        if (alGetError() != AL_NO_ERROR) kept.push_back(buffer);  // still held by a source
    }
    discardedBuffers.swap(kept);
}

gxtkSample* gxtkAudio::LoadSample(const String& path) {
    FlushDiscardedBuffers();
    gxtkSample* sample = new gxtkSample();
    return LoadSampleInto(sample, path) ? sample : nullptr;
}

bool gxtkAudio::LoadSampleInto(gxtkSample* sample, const String& path) {
    RequireSample(sample);
    int length = 0, channelCount = 0, bytesPerSample = 0, hertz = 0;
    unsigned char* data = gameInstance->DecodeAudioFile(path, length, channelCount, bytesPerSample, hertz);
    if (!data) return false;
    ALenum format = FormatOf(channelCount, bytesPerSample);
    int64_t bytes = int64_t(length) * channelCount * bytesPerSample;
    bool accepted = format && hertz > 0 && bytes <= INT32_MAX;
    ALuint buffer = 0;
    if (accepted) {
        // Without a device no buffer can be made: the sample loads but holds no sound.
        alGetError();
        alGenBuffers(1, &buffer);
        if (alGetError() != AL_NO_ERROR) buffer = 0;
    }
    if (buffer) {
        alBufferData(buffer, format, data, ALsizei(bytes), hertz);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &buffer);
            accepted = false;
        }
    }
    std::free(data);
    if (!accepted) return false;
    sample->Discard();  // a sample loaded again lets go of its old sound
    sample->buffer = buffer;
    return true;
}

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
    RequireSample(sample);
    if (!ValidChannel(channel)) return -1;
    FlushDiscardedBuffers();
    ALuint source = AcquireSource(channel);
    if (!source) return -1;
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, ALint(sample->buffer));
    alSourcei(source, AL_LOOPING, flags ? AL_TRUE : AL_FALSE);
    alSourcePlay(source);
    Channel& played = channels[channel];
    gc_store(played.sample, sample);
    played.flags = flags;
    played.state = 1;
    return 0;
}

int gxtkAudio::StopChannel(int channel) {
    if (!ValidChannel(channel)) return 0;
    Channel& stopped = channels[channel];
    if (stopped.state != 0) {
        alSourceStop(stopped.source);
        stopped.state = 0;
    }
    return 0;
}

int gxtkAudio::PauseChannel(int channel) {
    if (!ValidChannel(channel)) return 0;
    Channel& paused = channels[channel];
    if (paused.state != 1) return 0;
    if (SourceStopped(paused.source)) {
        paused.state = 0;  // it had ended
    } else {
        alSourcePause(paused.source);
        paused.state = 2;
    }
    return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
    if (!ValidChannel(channel)) return 0;
    Channel& resumed = channels[channel];
    if (resumed.state == 2) {
        alSourcePlay(resumed.source);
        resumed.state = 1;
    }
    return 0;
}

int gxtkAudio::ChannelState(int channel) {
    if (!ValidChannel(channel)) return 0;
    Channel& queried = channels[channel];
    if (queried.state == 1 && SourceStopped(queried.source)) queried.state = 0;
    return queried.state;
}

int gxtkAudio::SetVolume(int channel, float volume) {
    if (!ValidChannel(channel)) return 0;
    if (ALuint source = AcquireSource(channel)) alSourcef(source, AL_GAIN, volume);
    return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
    if (!ValidChannel(channel)) return 0;
    // An angle on the horizontal circle around the listener: 0 ahead, positive to the right.
    if (ALuint source = AcquireSource(channel)) alSource3f(source, AL_POSITION, std::sin(pan), 0, -std::cos(pan));
    return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
    if (!ValidChannel(channel)) return 0;
    if (ALuint source = AcquireSource(channel)) alSourcef(source, AL_PITCH, rate);
    return 0;
}

int gxtkAudio::PlayMusic(const String& path, int flags) {
    StopMusic();
    gxtkSample* music = LoadSample(path);
    if (!music) return -1;
    PlaySample(music, MUSIC_CHANNEL, flags);
    return 0;
}

int gxtkAudio::StopMusic() { return StopChannel(MUSIC_CHANNEL); }
int gxtkAudio::PauseMusic() { return PauseChannel(MUSIC_CHANNEL); }
int gxtkAudio::ResumeMusic() { return ResumeChannel(MUSIC_CHANNEL); }
int gxtkAudio::MusicState() { return ChannelState(MUSIC_CHANNEL); }
int gxtkAudio::SetMusicVolume(float volume) { return SetVolume(MUSIC_CHANNEL, volume); }

// The listener's gain scales the whole mix, under every source's own.
void gxtkAudio::SetMuted(bool mute) {
    muted = mute;
    alListenerf(AL_GAIN, mute ? 0.0f : 1.0f);
}

// The host's focus changes pause and restart what is playing; channel states stay as they are,
// so a channel paused by PauseChannel stays paused.
int gxtkAudio::Suspend() {
    for (Channel& channel : channels) {
        if (channel.state == 1 && SourceState(channel.source) == AL_PLAYING) alSourcePause(channel.source);
    }
    return 0;
}

int gxtkAudio::Resume() {
    for (Channel& channel : channels) {
        if (channel.state == 1 && SourceState(channel.source) == AL_PAUSED) alSourcePlay(channel.source);
    }
    return 0;
}
