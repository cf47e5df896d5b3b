// The image and Ogg decoders compiled into the browser build; the desktop links Debian's libstb.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_vorbis.h>
