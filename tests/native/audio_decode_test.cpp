// Sound-file decoding: the WAV reader on well-formed, unusual and malformed files the test
// writes, the choice of reader by extension, and Ogg Vorbis through the desktop host.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "native/glfwgame.h"
#include "native/ogg.h"
#include "tests/native/native_test_folder.h"
#include "tests/support/test_program.h"

namespace {

std::string U32(uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}
std::string U16(unsigned v) { return std::string{char(v), char(v >> 8)}; }

std::string Chunk(const std::string& tag, const std::string& body) { return tag + U32(uint32_t(body.size())) + body; }

std::string Fmt(unsigned channels, uint32_t hertz, unsigned bits, unsigned audioFormat = 1,
                const std::string& extra = "") {
    unsigned block = channels * bits / 8;
    return Chunk("fmt ", U16(audioFormat) + U16(channels) + U32(hertz) + U32(hertz * block) + U16(block) +
                             U16(bits) + extra);
}

std::string Riff(const std::string& chunks) { return "RIFF" + U32(uint32_t(4 + chunks.size())) + "WAVE" + chunks; }

std::string Samples(size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) s += char(i * 31 + 5);
    return s;
}

struct Decoded {
    unsigned char* samples = nullptr;
    int length = -1, channels = -1, format = -1, hertz = -1;
    ~Decoded() { std::free(samples); }
};

class AudioDecode : public NativeTestFolder {
protected:
    void SetUp() override {
        NativeTestFolder::SetUp();
        reset_runtime();
    }

    void Decode(const std::string& name, Decoded& out) {
        out.samples = host.DecodeAudioFile(String(name.c_str()), out.length, out.channels, out.format, out.hertz);
    }
    // True when a file with these bytes decodes to anything.
    bool Accepted(const std::string& bytes) {
        WriteFile("case.wav", bytes);
        Decoded d;
        Decode("case.wav", d);
        if (!d.samples) {
            EXPECT_EQ(d.length, -1) << "outputs are untouched on failure";
        }
        return d.samples != nullptr;
    }

    ZVGlfwGame host;
};

TEST_F(AudioDecode, WavSamplesAndNumbersComeOutAsStored) {
    std::string data = Samples(1000);
    WriteFile("mono16.wav", Riff(Fmt(1, 22050, 16) + Chunk("data", data)));
    int before = gc.native_bytes;
    Decoded mono;
    Decode("mono16.wav", mono);
    ASSERT_NE(mono.samples, nullptr);
    EXPECT_EQ(mono.length, 500);
    EXPECT_EQ(mono.channels, 1);
    EXPECT_EQ(mono.format, 2);
    EXPECT_EQ(mono.hertz, 22050);
    EXPECT_EQ(std::memcmp(mono.samples, data.data(), data.size()), 0);
    EXPECT_EQ(gc.native_bytes - before, 1000);

    // Stereo 8-bit with an odd byte left over: whole frames only.
    WriteFile("stereo8.wav", Riff(Fmt(2, 8000, 8) + Chunk("data", Samples(301))));
    Decoded stereo;
    Decode("stereo8.wav", stereo);
    ASSERT_NE(stereo.samples, nullptr);
    EXPECT_EQ(stereo.length, 150);
    EXPECT_EQ(stereo.channels, 2);
    EXPECT_EQ(stereo.format, 1);
    EXPECT_EQ(stereo.hertz, 8000);
}

TEST_F(AudioDecode, WavChunkLayoutsThatAreRead) {
    std::string data = Samples(64);
    // An extended fmt chunk (18 bytes, 2 skipped), a LIST chunk before the data, and an odd-sized
    // chunk followed directly by the next tag (no padding byte).
    for (const std::string& file :
         {Riff(Fmt(1, 11025, 16, 1, U16(0)) + Chunk("data", data)),
          Riff(Fmt(1, 11025, 16) + Chunk("LIST", "INFOISFT" + U32(4) + "test") + Chunk("data", data)),
          Riff(Fmt(1, 11025, 16) + Chunk("odd ", "abc") + Chunk("data", data))}) {
        WriteFile("layout.wav", file);
        Decoded d;
        Decode("layout.wav", d);
        ASSERT_NE(d.samples, nullptr);
        EXPECT_EQ(d.length, 32);
        EXPECT_EQ(d.hertz, 11025);
        EXPECT_EQ(std::memcmp(d.samples, data.data(), data.size()), 0);
    }
}

TEST_F(AudioDecode, TheExtensionAloneChoosesTheReader) {
    std::string wav = Riff(Fmt(1, 22050, 16) + Chunk("data", Samples(10)));
    for (const char* name : {"SOUND.WAV", "sound.mp3", "sound.wav.bak", "wav.ogg"}) WriteFile(name, wav);
    Decoded upper, mp3, bak, misnamed;
    Decode("SOUND.WAV", upper);
    Decode("sound.mp3", mp3);
    Decode("sound.wav.bak", bak);
    Decode("wav.ogg", misnamed);  // the Ogg reader refuses a WAV
    EXPECT_NE(upper.samples, nullptr);
    EXPECT_EQ(mp3.samples, nullptr);
    EXPECT_EQ(bak.samples, nullptr);
    EXPECT_EQ(misnamed.samples, nullptr);
}

TEST_F(AudioDecode, MalformedWavFilesAreRefused) {
    std::string fmt = Fmt(1, 22050, 16);
    std::string data = Chunk("data", Samples(100));
    ASSERT_TRUE(Accepted(Riff(fmt + data)));

    EXPECT_FALSE(Accepted(""));
    EXPECT_FALSE(Accepted("RIFX" + Riff(fmt + data).substr(4)));
    EXPECT_FALSE(Accepted("RIFF" + U32(100) + "AVI " + fmt + data));
    EXPECT_FALSE(Accepted(Riff(Chunk("LIST", "INFO") + fmt + data)));  // fmt must come first
    EXPECT_FALSE(Accepted(Riff(Fmt(1, 22050, 32, 3) + data)));        // float samples
    EXPECT_FALSE(Accepted(Riff(Fmt(0, 22050, 16) + data)));            // no channels
    EXPECT_FALSE(Accepted(Riff(Fmt(1, 22050, 4) + data)));             // under 8 bits
    EXPECT_FALSE(Accepted(Riff(Fmt(1, 22050, 0) + data)));
    EXPECT_FALSE(Accepted(Riff(Fmt(1, 0, 16) + data)));                // no sample rate
    EXPECT_FALSE(Accepted(Riff(fmt)));                                 // no data chunk
    EXPECT_FALSE(Accepted(Riff(fmt + Chunk("LIST", "abcd"))));

    // A short fmt chunk would have its fields read from the next chunk.
    EXPECT_FALSE(Accepted(Riff("fmt " + U32(14) + fmt.substr(8, 14) + data)));

    // Chunks that claim more than the file holds, by a little or by gigabytes.
    std::string body = Samples(100);
    EXPECT_FALSE(Accepted(Riff(fmt + "data" + U32(101) + body)));
    EXPECT_FALSE(Accepted(Riff(fmt + "data" + U32(0xfffffff0u) + body)));
    EXPECT_FALSE(Accepted(Riff(fmt + "data" + U32(0x7fffffffu) + body)));
    EXPECT_FALSE(Accepted(Riff(fmt + "LIST" + U32(0xffffff00u) + data)));
    EXPECT_FALSE(Accepted(Riff("fmt " + U32(0xfffffff0u) + fmt.substr(8) + data)));

    // Every truncation of a valid file is refused.
    std::string whole = Riff(Fmt(2, 44100, 16, 1, U16(0)) + Chunk("LIST", "xyz") + Chunk("data", Samples(40)));
    ASSERT_TRUE(Accepted(whole));
    for (size_t n = 0; n < whole.size(); ++n) EXPECT_FALSE(Accepted(whole.substr(0, n))) << "first " << n << " bytes";
}

// Writes a second of a 440 Hz tone as WAV and encodes it with the system's Ogg encoder.
bool MakeOgg(const std::string& name, int channels, int hertz, int frames) {
    std::string pcm;
    for (int i = 0; i < frames; ++i) {
        int v = int(12000 * std::sin(2 * M_PI * 440.0 * i / hertz));
        for (int c = 0; c < channels; ++c) pcm += U16(unsigned(v) & 0xffff);
    }
    std::ofstream("tone.wav", std::ios::binary) << Riff(Fmt(unsigned(channels), uint32_t(hertz), 16) + Chunk("data", pcm));
    return std::system(("oggenc -Q -o " + name + " tone.wav 2>/dev/null").c_str()) == 0;
}

TEST_F(AudioDecode, OggDecodesToSigned16BitSamples) {
    if (std::system("command -v oggenc >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "oggenc (package vorbis-tools) is not installed, so no Ogg file can be made";
    }
    ASSERT_TRUE(MakeOgg("tone.ogg", 2, 22050, 22050));
    int before = gc.native_bytes;
    Decoded ogg;
    Decode("tone.ogg", ogg);
    ASSERT_NE(ogg.samples, nullptr);
    EXPECT_EQ(ogg.channels, 2);
    EXPECT_EQ(ogg.format, 2);
    EXPECT_EQ(ogg.hertz, 22050);
    // The encoder keeps the exact length; allow a block of slack for its end trimming.
    EXPECT_NEAR(ogg.length, 22050, 64);
    EXPECT_EQ(gc.native_bytes - before, ogg.length * 4);

    // The tone survives the round trip at its level.
    const int16_t* s = reinterpret_cast<const int16_t*>(ogg.samples);
    double sum = 0;
    for (int i = 0; i < 2 * ogg.length; ++i) sum += double(s[i]) * s[i];
    EXPECT_NEAR(std::sqrt(sum / (2 * ogg.length)), 12000 / std::sqrt(2.0), 600);

    // Damaged Ogg files give null.
    std::string bytes = ReadFile("tone.ogg");
    WriteFile("cut.ogg", bytes.substr(0, 40));
    WriteFile("junk.ogg", "OggS but not really an Ogg stream at all");
    std::string fast = bytes;
    fast.replace(40, 4, "\xff\xff\xff\xff");  // the sample rate, in the identification header
    WriteFile("fast.ogg", fast);
    Decoded cut, junk, tooFast;
    Decode("cut.ogg", cut);
    Decode("junk.ogg", junk);
    Decode("fast.ogg", tooFast);
    EXPECT_EQ(cut.samples, nullptr);
    EXPECT_EQ(junk.samples, nullptr);
    EXPECT_EQ(tooFast.samples, nullptr) << "a rate beyond Int";

    // A stream that decodes to more than the limit is refused once its samples reach it.
    for (size_t limit : {size_t(60000), size_t(200000)}) {
        std::FILE* file = std::fopen("tone.ogg", "rb");
        int length = -1, channels, format, hertz;
        unsigned char* samples = ZVReadOgg(file, length, channels, format, hertz, limit);
        std::fclose(file);
        EXPECT_EQ(samples != nullptr, limit > size_t(ogg.length) * 4 + 4096 * 4) << limit;
        std::free(samples);
    }
}

// An Ogg page holding `segments` (their sizes) of `body`.
std::string OggPage(const std::vector<size_t>& segments, const std::string& body) {
    std::string page = "OggS" + std::string(1, '\0') + std::string(1, '\0') + std::string(8, '\0') + U32(7) + U32(0) + U32(0);
    page += char(segments.size());
    for (size_t length : segments) page += char(length);
    return page + body;
}

bool CommentsFit(const std::string& file) {
    return ZVOggCommentsFit(reinterpret_cast<const uint8_t*>(file.data()), file.size());
}

// Found by fuzzing: a comment header that claims gigabytes made the decoder allocate and fill them.
TEST_F(AudioDecode, OggCommentHeadersMustFitTheirPacket) {
    std::string identification = OggPage({30}, std::string(30, 'i'));
    auto comments = [](uint32_t vendor, uint32_t count, uint32_t length) {
        return "\3vorbis" + U32(vendor) + "abc" + U32(count) + U32(length) + "hi" + "\1";
    };
    std::string fitting = comments(3, 1, 2);
    EXPECT_TRUE(CommentsFit(identification + OggPage({fitting.size()}, fitting)));
    EXPECT_FALSE(CommentsFit(identification + OggPage({fitting.size()}, comments(0x7ffffff0, 1, 2))));
    EXPECT_FALSE(CommentsFit(identification + OggPage({fitting.size()}, comments(3, 1, 4))));
    EXPECT_FALSE(CommentsFit(identification + OggPage({fitting.size()}, comments(3, 0x40000000, 2))));
    EXPECT_FALSE(CommentsFit(identification)) << "the file ends before the comment header";

    // A packet continues over pages while its segments are 255 bytes long.
    std::string longComment = "\3vorbis" + U32(3) + "abc" + U32(1) + U32(280) + std::string(280, 'c') + "\1";
    std::string split = identification + OggPage({255}, longComment.substr(0, 255)) +
                        OggPage({longComment.size() - 255}, longComment.substr(255));
    EXPECT_TRUE(CommentsFit(split));
    EXPECT_FALSE(CommentsFit(split.substr(0, split.size() - 1)));

    WriteFile("claims.ogg", identification + OggPage({fitting.size()}, comments(0x7ffffff0, 1, 2)));
    Decoded claims;
    Decode("claims.ogg", claims);
    EXPECT_EQ(claims.samples, nullptr);
}

}  // namespace
