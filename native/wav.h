// A reader for PCM WAV files.
//
// Accepts "RIFF" .. "WAVE", then a "fmt " chunk at once (integer PCM, at least 8 bits per sample,
// at least one channel), then any chunks up to "data". Chunk sizes are used as stored, with no
// padding byte after odd sizes. A chunk that claims more bytes than the file has left is rejected,
// so the reader never allocates more than the file holds.
#pragma once

#include <cstdio>

// Reads the samples from the file's current position to a malloc'd buffer, interleaved as
// stored (8-bit unsigned, 16-bit signed little-endian), and sets the length in sample frames,
// the channels, the bytes per sample and the sample rate. Null, with the outputs untouched, when
// the file is not such a WAV.
unsigned char* ZVReadWav(std::FILE* file, int& length, int& channels, int& format, int& hertz);
