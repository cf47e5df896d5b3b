// The same inputs on the same schedule give the same sea: scripted runs of the real game, in a
// real window, compared with each other and with recorded runs. To record anew after a
// deliberate change of the rules, run with ZV_RECORD=1 and review the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/process.h"
#include "tests/support/sound_capture.h"
#include "tests/support/temp_folder.h"

namespace {

const std::vector<std::string> kIdle = {"600", "1:tap:32", "100:report", "200:report", "300:report", "400:report",
                                        "500:report"};
const std::vector<std::string> kSteering = {"600",        "1:tap:32",   "20:down:37", "70:up:37",   "75:down:39",
                                            "160:up:39",  "100:report", "200:report", "300:report", "400:report",
                                            "500:report"};

struct ScriptedRun {
    std::string report;
    std::string state_file;
};

// Runs the script in a fresh folder that links to the game's data.
ScriptedRun RunScript(const std::vector<std::string>& script) {
    TempFolder dir("spraywick-run");
    dir.LinkGameData();
    UseOpenAlConfig(OpenAlConfig("silent"));  // the sounds play, unheard, and the report is the game's alone
    ProcessResult result = run_process(test_program_path("game", "scripted_run"), script, "", dir.path());
    EXPECT_EQ(result.exit_status, 0) << result.out << result.err;
    return {result.out, dir.Read(".zorvexstate")};
}

std::string Recorded(const std::string& name, const std::string& fresh) {
    std::string path = std::string(ZV_SOURCE_DIR) + "/tests/game/recorded/" + name + ".txt";
    if (std::getenv("ZV_RECORD")) std::ofstream(path) << fresh;
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(Determinism, SameScriptSameSea) {
    ScriptedRun first = RunScript(kIdle);
    ScriptedRun second = RunScript(kIdle);
    EXPECT_EQ(first.report, second.report);
    EXPECT_EQ(first.report, Recorded("idle", first.report));

    // Left alone, the skier meets a creature; the score is saved as the new best.
    std::string last = first.report.substr(first.report.rfind("update="));
    EXPECT_NE(last.find(" state=0 "), std::string::npos) << "back on the title screen:\n" << first.report;
    size_t best = last.find("best=");
    ASSERT_NE(best, std::string::npos);
    std::string best_score = last.substr(best + 5, last.find(' ', best) - best - 5);
    EXPECT_NE(best_score, "0");
    EXPECT_EQ(first.state_file, best_score);
}

TEST(Determinism, SteeringChangesTheRun) {
    ScriptedRun steered = RunScript(kSteering);
    EXPECT_EQ(steered.report, Recorded("steering", steered.report));
    EXPECT_NE(steered.report, RunScript(kIdle).report);
}

}  // namespace
