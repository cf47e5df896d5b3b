// Text decoding, as the state file and text files are read: any bytes decode without a fault,
// never to more characters than bytes, and the decoded text survives a round trip through UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/gc.h"
#include "runtime/string.h"

void gc_queue_roots() {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    String text = String::FromBytes(data, size);
    if (size_t(text.Length()) > size) std::abort();

    // A leading U+FEFF would come back as the UTF-8 signature, which decoding skips.
    if (text.Length() > 0 && text.Data()[0] == 0xfeff) return 0;
    std::string utf8 = text.ToUtf8();
    String again = String::FromBytes(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size());
    if (again != text) std::abort();
    return 0;
}
