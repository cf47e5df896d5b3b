// The image and Ogg decoders compiled into the fuzz targets instead of taken from the system's
// library, so that they are instrumented too and the fuzzer sees its way through them.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_vorbis.h>
