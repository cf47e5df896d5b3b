// Runtime errors, the stack trace and the debugger protocol, seen from outside the process.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>

#include "tests/support/process.h"

namespace {

const char* kSource = "tests/runtime/programs/debug_program.cpp";

// "path<line>" of the line carrying `marker` in the test program.
std::string position_of(const std::string& marker) {
    std::ifstream source(std::string(ZV_SOURCE_DIR) + "/" + kSource);
    std::string line;
    for (int number = 1; std::getline(source, line); ++number) {
        if (line.find("// " + marker) != std::string::npos) {
            return std::string(kSource) + "<" + std::to_string(number) + ">";
        }
    }
    ADD_FAILURE() << "no line marked " << marker;
    return "";
}

ProcessResult run(const std::string& scenario, const std::string& input = "") {
    return run_process(test_program_path("runtime", "debug_program"), {scenario}, input);
}

// Runs the program with address randomisation off, so that an object has the same address in
// every run and a debugger command can name it.
ProcessResult run_fixed_addresses(const std::string& scenario, const std::string& input) {
    return run_process("/usr/bin/setarch",
                       {"x86_64", "-R", test_program_path("runtime", "debug_program"), scenario}, input);
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The position of the first line at or after the line carrying `after` that carries `what`.
std::string position_in(const std::string& file, const std::string& after, const std::string& what) {
    std::ifstream source(std::string(ZV_SOURCE_DIR) + "/" + file);
    std::string line;
    bool seen = false;
    for (int number = 1; std::getline(source, line); ++number) {
        seen = seen || line.find(after) != std::string::npos;
        if (seen && line.find(what) != std::string::npos) return file + "<" + std::to_string(number) + ">";
    }
    ADD_FAILURE() << "no " << what << " after " << after << " in " << file;
    return "";
}

// The debugger's dump at each stop, by the stop's position.
std::multimap<std::string, std::string> stops_of(const std::string& err) {
    std::multimap<std::string, std::string> stops;
    for (size_t at = err.find("{{~~"); at != std::string::npos; at = err.find("{{~~", at + 1)) {
        size_t end = err.find("~~}}\n", at);
        stops.emplace(err.substr(at + 4, end - at - 4), err.substr(end + 5, err.find("\n\n", end) - end - 4));
    }
    return stops;
}

size_t count_of(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

}  // namespace

TEST(RuntimeErrorProcess, ReportsMessageAndTraceThenExitsAtEndOfInput) {
    ProcessResult main_error = run("error-in-main");
    EXPECT_EQ(main_error.exit_status, 255);
    // An error in Main itself: the trace is the current position alone.
    EXPECT_EQ(main_error.out, "Zorvex Runtime Error : main failed\n" + position_of("@main-error") + "\n\n");
    EXPECT_EQ(main_error.err, "{{~~" + position_of("@main-error") + "~~}}\n+Main;" + position_of("@main-error") + "\n\n");

    ProcessResult nested = run("nested");
    EXPECT_EQ(nested.exit_status, 255);
    EXPECT_EQ(nested.out, "Zorvex Runtime Error : boom\n" + position_of("@fail") + "\n" + position_of("@call-fail") + "\n\n");
    EXPECT_EQ(nested.err, "{{~~" + position_of("@fail") + "~~}}\n+Main;" + position_of("@call-fail") + "\n+Fail;" +
                              position_of("@fail") + "\ndepth:Int=1\n\n");
}

TEST(RuntimeErrorProcess, DebuggerShowsLocalsByTypeAndDropsLeftBlocks) {
    ProcessResult r = run("locals");
    EXPECT_EQ(r.exit_status, 255);
    std::string quoted = "quote:String=\"" + std::string(100, 'x') + "...\"\n";
    EXPECT_NE(r.err.find("flag:Bool=True\ncount:Int=-5\none:Float=1.0\ntenth:Float=0.10000000149011612\n" + quoted +
                         "escaped:String=\"say ~qhi~q~tnow~r~n\"\nnothing:Probe=@0\n"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(std::regex_search(r.err, std::regex("\nprobe:Probe=@[0-9a-f]+\nnumbers:Int\\[\\]=\\[1,2,3\\]\n\n$")))
        << r.err;
    EXPECT_EQ(r.err.find("inner:"), std::string::npos) << "a local of a block already left is still shown";
}

TEST(RuntimeErrorProcess, DebuggerCommands) {
    // "r" lets the error report again; end of input then ends the process with -1.
    ProcessResult run_on = run("nested", "r\n");
    EXPECT_EQ(run_on.exit_status, 255);
    EXPECT_EQ(count_of(run_on.out, "Zorvex Runtime Error : boom"), 2u);

    EXPECT_EQ(run("nested", "q\n").exit_status, 0);

    // "@0" and "?" keep reading; unknown input is echoed on standard output and ends the process.
    ProcessResult unknown = run("nested", "@0\n?\nxyz\n");
    EXPECT_EQ(unknown.exit_status, 255);
    EXPECT_TRUE(ends_with(unknown.out, "????? xyz ?????")) << unknown.out;
    EXPECT_NE(unknown.err.find("depth:Int=1\n\n\n"), std::string::npos) << "@0 answers with an empty line";

    ProcessResult empty_line = run("nested", "\n");
    EXPECT_EQ(empty_line.exit_status, 255);
    EXPECT_NE(empty_line.out.find("?????  ?????"), std::string::npos);

    EXPECT_EQ(run("nested", "r").exit_status, 255) << "a line without a line feed ends the process";
}

TEST(RuntimeErrorProcess, DebuggerDumpsOnlyLiveObjects) {
    ProcessResult first = run_fixed_addresses("address", "q\n");
    std::string address = first.out.substr(1, first.out.find('\n') - 1);
    ASSERT_FALSE(address.empty()) << first.out << first.err;

    // The live object, an address inside it, and a wild address.
    ProcessResult r = run_fixed_addresses("address", "@" + address + "\n@" + address + "8\n@12345678\nq\n");
    ASSERT_EQ(r.out.substr(1, r.out.find('\n') - 1), address) << "addresses are still randomised";
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_NE(r.err.find("\n(Probe)\ncount:Int=7\nlabel:String=\"probe\"\nnext:Probe=@0\n\n\n\n"), std::string::npos)
        << "a live object is dumped, a wild or inner address gets an empty line:\n"
        << r.err;
}

TEST(RuntimeErrorProcess, SteppingStopsWhereAsked) {
    // e: the next statement; e again: into the call; l: out of it; s: over the next call.
    ProcessResult r = run("step", "e\ne\nl\ns\nr\n");
    EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
    std::string stops;
    for (size_t at = r.err.find("{{~~"); at != std::string::npos; at = r.err.find("{{~~", at + 1)) {
        stops += r.err.substr(at + 4, r.err.find("~~}}", at) - at - 4) + "\n";
    }
    EXPECT_EQ(stops, position_of("@step-start") + "\n" + position_of("@step-call") + "\n" +
                         position_of("@inner-first") + "\n" + position_of("@step-after") + "\n" +
                         position_of("@step-last") + "\n");
}

TEST(RuntimeErrorProcess, SteppingThroughMapHelpersShowsOnlyLiveLocals) {
    std::string steps;
    for (int i = 0; i < 1000; ++i) steps += "e\n";
    ProcessResult r = run("map-insert", steps);
    ASSERT_EQ(r.exit_status, 0) << r.out;
    std::multimap<std::string, std::string> stops = stops_of(r.err);

    // Inside the rotation its helper's local is shown; back in the caller it is gone.
    std::string rotation = position_in("runtime/std/map.h", "void Rotate(", "gc_store(node->parent, child)");
    ASSERT_EQ(stops.count(rotation), 1u) << "inserting 1, 2, 3 rotates once";
    EXPECT_NE(stops.find(rotation)->second.find("\nchild:Node=@"), std::string::npos) << stops.find(rotation)->second;
    std::string rotate_return = position_in("runtime/std/map.h", "ZV_FUNC(\"Map.RotateLeft\")", "return 0;");
    ASSERT_EQ(stops.count(rotate_return), 1u);
    EXPECT_TRUE(std::regex_search(stops.find(rotate_return)->second,
                                  std::regex("\n\\+Map\\.RotateLeft;[^\n]+\nSelf:Map=@[0-9a-f]+\nnode:Node=@[0-9a-f]+\n$")))
        << stops.find(rotate_return)->second;

    ASSERT_EQ(stops.count(position_of("@insert-return")), 1u);
    EXPECT_TRUE(std::regex_search(stops.find(position_of("@insert-return"))->second,
                                  std::regex("\n\\+InsertThree;[^\n]+\nmap:IntMap=@[0-9a-f]+\n$")))
        << stops.find(position_of("@insert-return"))->second;
}

TEST(RuntimeErrorProcess, FatalConditionsEndWithStatusMinusOne) {
    ProcessResult overflow = run("recurse");
    EXPECT_EQ(overflow.exit_status, 255);
    EXPECT_EQ(overflow.out.rfind("Zorvex Runtime Error : Stack overflow\n", 0), 0u);

    ProcessResult segv = run("signal");
    EXPECT_EQ(segv.exit_status, 255);
    EXPECT_EQ(segv.out.rfind("Zorvex Runtime Error : Memory access violation\n", 0), 0u);

    ProcessResult thrown = run("throw");
    EXPECT_EQ(thrown.exit_status, 255);
    EXPECT_EQ(thrown.out, "Zorvex Runtime Error : Uncaught Zorvex Exception\nit got away\n");

    ProcessResult bounds = run("array-bounds");
    EXPECT_EQ(bounds.exit_status, 255);
    EXPECT_EQ(bounds.out.rfind("Zorvex Runtime Error : Array index out of range\n", 0), 0u);

#if !defined(__SANITIZE_ADDRESS__)
    ProcessResult memory = run("out-of-memory");
    EXPECT_EQ(memory.exit_status, 255);
    EXPECT_EQ(memory.out, "Out of memory\n");
#endif
}

TEST(RuntimeErrorProcess, ErrorStatementAndPrinting) {
    ProcessResult quit = run("error-empty");
    EXPECT_EQ(quit.exit_status, 0);
    EXPECT_EQ(quit.out, "");

    // The message goes through 8-bit text, then out as UTF-8.
    ProcessResult message = run("error-message");
    EXPECT_EQ(message.exit_status, 255);
    EXPECT_EQ(message.out.rfind("Zorvex Runtime Error : caf\xc3\xa9 closed\n", 0), 0u);

    // A printed String stops at a NUL character, line feed included.
    ProcessResult printed = run("print-nul");
    EXPECT_EQ(printed.exit_status, 0);
    EXPECT_EQ(printed.out, "abcaf\xc3\xa9\n");
}
