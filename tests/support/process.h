// Runs a program as a child process with pipes, for tests of exit statuses and stream output.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    int exit_status = -1;  // 0-255, or -1 when the child was killed by a signal
    std::string out;       // standard output
    std::string err;       // standard error
    long peak_memory_kib = 0;  // the child's largest resident size
};

// Runs `program` with `args`, feeding `input` on standard input and then closing it.
ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::string& input = "", const std::string& working_dir = "");

// The path of a test program built from a tests/<folder>/programs/ file.
std::string test_program_path(const std::string& folder, const std::string& name);
