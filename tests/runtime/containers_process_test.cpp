// Misuse of the standard containers, seen from outside the process: each raises its runtime
// error, with the container's own frame innermost, and ends the program with status -1.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"

namespace {

struct Misuse {
    const char* argument;
    const char* printed_before;  // what the program got done before the error
    const char* message;
    const char* frame;           // innermost frame, with the header it sits in
};

TEST(ContainerMisuseProcess, EachMisuseRaisesItsMessageAndEndsWithStatus255) {
    const Misuse misuses[] = {
        {"last-empty", "", "Illegal operation on empty list", "+List.Last;runtime/std/list.h<"},
        {"remove-first-empty", "", "Illegal operation on empty list", "+List.RemoveFirst;runtime/std/list.h<"},
        {"remove-last-empty", "", "Illegal operation on empty list", "+List.RemoveLast;runtime/std/list.h<"},
        {"remove-twice", "removed once\n", "Illegal operation on removed node", "+Node.Remove;runtime/std/list.h<"},
        {"sort-uncomparable", "one item sorted\n", "Unable to compare items", "+List.Compare;runtime/std/list.h<"},
        {"stack-range", "", "Array index out of range", "+Stack.Push;runtime/std/stack.h<"},
    };
    for (const Misuse& misuse : misuses) {
        SCOPED_TRACE(misuse.argument);
        ProcessResult result = run_process(test_program_path("runtime", "container_errors"), {misuse.argument});
        EXPECT_EQ(result.exit_status, 255);
        std::string report = std::string(misuse.printed_before) + "Zorvex Runtime Error : " + misuse.message + "\n";
        EXPECT_EQ(result.out.substr(0, report.size()), report);
        EXPECT_EQ(result.out.find("no error"), std::string::npos);
        // The debugger's frame dump: the innermost frame comes last and registers its receiver.
        size_t frame = result.err.rfind("\n+");
        ASSERT_NE(frame, std::string::npos);
        EXPECT_EQ(result.err.compare(frame + 1, std::string(misuse.frame).size(), misuse.frame), 0) << result.err;
        EXPECT_NE(result.err.find("\nSelf:", frame), std::string::npos);
    }

    // The range push stops at the first bad index, after pushing the two before it.
    ProcessResult range = run_process(test_program_path("runtime", "container_errors"), {"stack-range"});
    EXPECT_NE(range.out.find("\nstack length 2\n"), std::string::npos) << range.out;
}

}  // namespace
