// A reader for Ogg Vorbis files, decoded in full to 16-bit samples.
//
// The decoder trusts the sizes in a file's headers: a comment header may claim gigabytes and it
// would allocate and fill them, and its codebooks may ask for many megabytes. So the comment
// header is checked against the bytes the file holds before decoding, and the decoder works in a
// fixed arena (OGG_DECODER_ARENA bytes, about twenty times what our own files need) that a
// broken setup cannot grow. A stream of many tiny packets decodes to far more than its size, so
// decoding stops with a failure once the samples would pass OGG_MAX_DECODED_BYTES.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr int OGG_DECODER_ARENA = 4 << 20;
// 25 minutes of stereo at 44.1 kHz, held whole in memory; well within the collector's Int count.
constexpr size_t OGG_MAX_DECODED_BYTES = size_t(256) << 20;

// Reads the file from its current position and decodes it to a malloc'd buffer of interleaved
// signed 16-bit samples, setting the length in sample frames, the channels, the bytes per sample
// (2) and the sample rate. Null, with the outputs untouched, when the file is not such an Ogg or
// decodes to more than `maxBytes`.
unsigned char* ZVReadOgg(std::FILE* file, int& length, int& channels, int& format, int& hertz,
                         size_t maxBytes = OGG_MAX_DECODED_BYTES);

// Whether the comment header (the file's second packet) is complete and every length in it fits
// inside it.
bool ZVOggCommentsFit(const uint8_t* bytes, size_t size);
