#include "tests/support/sound_capture.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

uint32_t Le(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

std::string U32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string U16(unsigned v) { return {char(v), char(v >> 8)}; }

}  // namespace

void UseOpenAlConfig(const std::string& path) { setenv("ALSOFT_CONF", path.c_str(), 1); }

std::string OpenAlConfig(const std::string& name) {
    return std::string(ZV_SOURCE_DIR) + "/tests/support/openal/" + name + ".conf";
}

std::string WriteWaveConfig(const std::string& folder, const std::string& wavPath, int sources) {
    std::string path = folder + "/alsoft.conf";
    std::ofstream conf(path);
    conf << "[general]\ndrivers=wave\n";
    if (sources) conf << "sources=" << sources << "\n";
    conf << "[wave]\nfile=" << wavPath << "\n";
    return path;
}

void WriteTone(const std::string& path, double seconds, int channels, int rate, int bits) {
    // Samples of 12 or 20 bits sit left-justified in whole bytes, as WAV stores them.
    int frames = int(seconds * rate), bytes = (bits + 7) / 8;
    std::string data;
    for (int i = 0; i < frames; ++i) {
        double wave = 0.5 * std::sin(2 * M_PI * 440 * i / rate);
        uint32_t value = bytes == 1 ? uint32_t(128 + int(127 * wave)) : uint32_t(int32_t(wave * double(1u << (bits - 1)))) << (8 * bytes - bits);
        for (int c = 0; c < channels; ++c) data += U32(value).substr(0, size_t(bytes));
    }
    unsigned block = unsigned(channels * bytes);
    std::string fmt = U16(1) + U16(unsigned(channels)) + U32(uint32_t(rate)) + U32(uint32_t(rate) * block) +
                      U16(block) + U16(unsigned(bits));
    std::string chunks = "fmt " + U32(uint32_t(fmt.size())) + fmt + "data" + U32(uint32_t(data.size())) + data;
    std::ofstream(path, std::ios::binary) << "RIFF" + U32(uint32_t(4 + chunks.size())) + "WAVE" + chunks;
}

double Recording::Seconds() const { return channels ? double(samples.size()) / channels / rate : 0; }

double Recording::Rms(int channel, double from, double to) const {
    if (!channels) return 0;
    size_t frames = samples.size() / size_t(channels);
    size_t first = size_t(std::max(0.0, from * rate)), last = std::min(frames, size_t(std::max(0.0, to * rate)));
    if (last <= first) return 0;
    double sum = 0;
    for (size_t i = first; i < last; ++i) {
        double v = samples[i * size_t(channels) + size_t(channel)];
        sum += v * v;
    }
    return std::sqrt(sum / double(last - first));
}

Recording ReadRecording(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), {});
    Recording recording;
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return recording;
    int tag = 0, bits = 0, channels = 0, rate = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        std::string id = bytes.substr(at, 4);
        size_t size = Le(bytes, at + 4, 4), body = at + 8;
        if (id == "fmt " && body + 16 <= bytes.size()) {
            tag = int(Le(bytes, body, 2));
            channels = int(Le(bytes, body + 2, 2));
            rate = int(Le(bytes, body + 4, 4));
            bits = int(Le(bytes, body + 14, 2));
            if (tag == 0xfffe && body + 26 <= bytes.size()) tag = int(Le(bytes, body + 24, 2));  // extensible
        } else if (id == "data") {
            size_t end = std::min(bytes.size(), body + size);
            bool isFloat = tag == 3 && bits == 32, isShort = tag == 1 && bits == 16;
            if (!channels || !rate || !(isFloat || isShort)) return recording;
            for (size_t p = body; p + size_t(bits / 8) <= end; p += size_t(bits / 8)) {
                uint32_t raw = Le(bytes, p, bits / 8);
                float value;
                if (isFloat) {
                    std::memcpy(&value, &raw, 4);
                } else {
                    value = float(int16_t(raw)) / 32768;
                }
                recording.samples.push_back(value);
            }
            recording.rate = rate;
            recording.channels = channels;
            return recording;
        }
        at = body + size;
    }
    return recording;
}
