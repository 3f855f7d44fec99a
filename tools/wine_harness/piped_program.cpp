#include "wine_harness/piped_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>

#include "wine_harness/wine_session.h"

namespace e2e {

bool PipedProgram::Start(WineSession& session, const std::vector<std::string>& argv,
                         const std::string& log, std::string& why) {
    Stop(0);
    int in_pipe[2], out_pipe[2];
    if (::pipe2(in_pipe, O_CLOEXEC) != 0) {
        why = "pipe failed";
        return false;
    }
    if (::pipe2(out_pipe, O_CLOEXEC) != 0) {
        ::close(in_pipe[0]);
        ::close(in_pipe[1]);
        why = "pipe failed";
        return false;
    }
    pid_ = session.Spawn(argv, log, in_pipe[0], out_pipe[1]);
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    to_program_ = in_pipe[1];
    from_program_ = out_pipe[0];
    // A program that died must not take the harness with it.
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool PipedProgram::Write(const std::string& text) {
    return to_program_ >= 0 &&
           ::write(to_program_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

bool PipedProgram::ReadLine(std::string& line, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return true;
        }
        line = pending_;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || from_program_ < 0) return false;
        pollfd pfd{from_program_, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left < 1000 ? left : 1000)) <= 0) continue;
        char buf[65536];
        const ssize_t n = ::read(from_program_, buf, sizeof buf);
        if (n <= 0) return false;  // the program ended
        pending_.append(buf, static_cast<size_t>(n));
    }
}

void PipedProgram::Kill() {
    if (pid_ > 0) KillChildGroup(pid_);
    pid_ = -1;
    if (to_program_ >= 0) ::close(to_program_);
    to_program_ = -1;
}

void PipedProgram::Stop(int wait_ms) {
    if (to_program_ >= 0) ::close(to_program_);
    to_program_ = -1;
    if (pid_ > 0 && !WaitChild(pid_, wait_ms)) KillChildGroup(pid_);
    pid_ = -1;
    if (from_program_ >= 0) ::close(from_program_);
    from_program_ = -1;
    pending_.clear();
}

}  // namespace e2e
