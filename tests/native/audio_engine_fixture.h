// A fresh runtime with one audio engine as a collector root, in a temporary working folder,
// on the OpenAL configuration the test names.
#pragma once

#include "native/glfwgame.h"
#include "native/gxtk_audio.h"
#include "tests/native/native_test_folder.h"
#include "tests/support/sound_capture.h"
#include "tests/support/test_program.h"

class AudioEngineTest : public NativeTestFolder {
protected:
    void StartEngine(const std::string& config) {
        reset_runtime();
        UseOpenAlConfig(config);
        audio = new gxtkAudio();
        ASSERT_NE(audio->context, nullptr) << "no OpenAL device with " << config;
        test_roots.push_back(audio);
        gc_queue_roots();
    }

    // Destroys what the last collection found unreachable; garbage goes as later allocations pay.
    static void DestroyGarbage() {
        while (gc_list_count(gc_list_id::garbage) > 0) new Object();
    }

    ZVGlfwGame host;  // decodes the sound files
    gxtkAudio* audio = nullptr;
};
