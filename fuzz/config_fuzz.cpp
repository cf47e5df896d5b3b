// The markup parser, as font descriptions are read: any bytes parse without a fault or a hang; a
// failure names a position inside the text, and a success gives a tree whose links agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fonts/config.h"
#include "runtime/gc.h"

void gc_queue_roots() {}

namespace {

// The length of every line of a text, without its newline.
std::vector<int> LineLengths(const String& text) {
    std::vector<int> lengths(1, 0);
    for (int i = 0; i < text.Length(); ++i) {
        if (text.Data()[i] == '\n') {
            lengths.push_back(0);
        } else {
            ++lengths.back();
        }
    }
    return lengths;
}

// A character's column runs to one past the line's last character (its newline); the end of the
// text has the column of the last character, 0 after a newline.
bool InsideText(const std::vector<int>& lineLengths, int line, int column) {
    if (line < 1 || line > int(lineLengths.size())) return false;
    return column >= 0 && column <= lineLengths[size_t(line - 1)] + 1;
}

// Iterative: a fuzzed tree may be thousands of levels deep.
void CheckTree(c_Config* config, const std::vector<int>& lineLengths) {
    std::vector<c_ConfigNode*> pending{config};
    while (!pending.empty()) {
        c_ConfigNode* node = pending.back();
        pending.pop_back();
        if (!node->children) continue;
        Array<c_ConfigNode*> children = node->children->ToArray();
        for (int i = 0; i < children.Length(); ++i) {
            c_ConfigNode* child = children[i];
            if (child->parent != node) std::abort();
            if (child->column < 1 || !InsideText(lineLengths, child->line, child->column)) std::abort();
            pending.push_back(child);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool started = [] {
        gc_init();
        return true;
    }();
    (void)started;

    c_Config* config = LoadConfig(String::FromBytes(data, size));
    std::vector<int> lineLengths = LineLengths(config->script);
    if (config->error) {
        if (!InsideText(lineLengths, config->error->line, config->error->column)) std::abort();
        if ((config->children && !config->children->IsEmpty()) || config->attributes) std::abort();
    } else {
        CheckTree(config, lineLengths);
    }
    // As the host does after each call; nothing is rooted, so every tree becomes garbage.
    gc_step();
    return 0;
}
