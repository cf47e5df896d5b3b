// The audio engine without any sound device: it says so once and then stays silent and harmless.
#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tests/support/sound_capture.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(AudioEngineProcess, WithoutADeviceEveryChannelStaysStopped) {
    TempFolder dir("spraywick-nodevice");
    UseOpenAlConfig(OpenAlConfig("nodevice"));
    ProcessResult result = run_process(test_program_path("native", "audio_probe"), {}, "", dir.path());
    EXPECT_EQ(result.exit_status, 0) << result.err;
    // The sample loads but holds no sound; nothing plays, and nothing says it does.
    EXPECT_EQ(result.out,
              "OpenAl error: alcOpenDevice failed\n"
              "load=sample buffer=0\n"
              "play=-1 music=0\n"
              "state=0 musicstate=0\n"
              "sources=0\n"
              "done\n");
}

}  // namespace
