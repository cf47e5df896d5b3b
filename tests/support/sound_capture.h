// Sound for tests: OpenAL Soft configurations, tone files to play, and the reader of the WAV file
// that OpenAL Soft's wave output writes in real time.
//
// OpenAL Soft reads its configuration once per process, at the first OpenAL call, so a test
// chooses it (UseOpenAlConfig) before anything opens a device.
#pragma once

#include <string>
#include <vector>

// Points OpenAL Soft (and child processes) at a configuration file.
void UseOpenAlConfig(const std::string& path);
// Checked-in configurations: "silent" (a device that hears nothing), "nodevice" (no backend).
std::string OpenAlConfig(const std::string& name);
// Writes a configuration that sends everything mixed to `wavPath`, with at most `sources` OpenAL
// sources when it is not 0, and returns its path.
std::string WriteWaveConfig(const std::string& folder, const std::string& wavPath, int sources = 0);

// A 440 Hz PCM sine tone at half volume; 8 bits are unsigned, more are signed, as WAV stores them.
void WriteTone(const std::string& path, double seconds, int channels = 1, int rate = 22050, int bits = 16);

struct Recording {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved, -1 to 1

    double Seconds() const;
    // Root mean square of one channel between two times in seconds (clipped to the recording).
    double Rms(int channel, double from, double to) const;
};

// Reads what has been written so far: the sizes in the header may not be filled in yet, so the
// data runs to the end of the file. 32-bit float or 16-bit PCM; empty when unreadable.
Recording ReadRecording(const std::string& path);
