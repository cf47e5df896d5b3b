#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

std::string test_program_path(const std::string& folder, const std::string& name) {
    return std::string(ZV_PROGRAM_DIR) + "/" + folder + "_prog_" + name;
}

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::string& input, const std::string& working_dir) {
    int in[2], out[2], err[2];
    if (pipe(in) || pipe(out) || pipe(err)) return {};
    std::signal(SIGPIPE, SIG_IGN);

    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        if (!working_dir.empty() && chdir(working_dir.c_str()) != 0) _exit(127);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);

    ProcessResult result;
    size_t written = 0;
    int stdin_fd = in[1];
    if (input.empty()) {
        close(stdin_fd);
        stdin_fd = -1;
    }
    bool out_open = true, err_open = true;
    while (out_open || err_open) {
        pollfd fds[3];
        int n = 0;
        if (out_open) fds[n++] = {out[0], POLLIN, 0};
        if (err_open) fds[n++] = {err[0], POLLIN, 0};
        if (stdin_fd >= 0) fds[n++] = {stdin_fd, POLLOUT, 0};
        if (poll(fds, nfds_t(n), -1) < 0 && errno != EINTR) break;
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            if (fds[i].fd == stdin_fd) {
                ssize_t w = write(stdin_fd, input.data() + written, input.size() - written);
                if (w > 0) written += size_t(w);
                if (w < 0 || written == input.size()) {
                    close(stdin_fd);
                    stdin_fd = -1;
                }
                continue;
            }
            char buffer[4096];
            ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
            bool is_out = fds[i].fd == out[0];
            if (r <= 0) {
                (is_out ? out_open : err_open) = false;
            } else {
                (is_out ? result.out : result.err).append(buffer, size_t(r));
            }
        }
    }
    if (stdin_fd >= 0) close(stdin_fd);
    close(out[0]);
    close(err[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peak_memory_kib = usage.ru_maxrss;
    return result;
}
