// A program of the Wine session whose standard input and output are pipes to
// the harness: the driver, and the helpers the tests start beside it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

class WineSession;

class PipedProgram {
public:
    PipedProgram() = default;
    PipedProgram(const PipedProgram&) = delete;
    PipedProgram& operator=(const PipedProgram&) = delete;
    ~PipedProgram() { Stop(0); }

    // Starts `argv` as WineSession::Spawn does, with its error output going
    // to `log`; false (and `why`) when the pipes cannot be made.
    bool Start(WineSession& session, const std::vector<std::string>& argv, const std::string& log,
               std::string& why);
    bool running() const { return pid_ > 0; }

    // Writes all of `text` to the program's input.
    bool Write(const std::string& text);
    // The next line of its output, without the '\n'. False when none comes
    // within `timeout_ms` or the output ends; `line` then holds what came of
    // a line so far.
    bool ReadLine(std::string& line, int timeout_ms);

    // Kills the program's process group at once and closes its input.
    void Kill();
    // Closes its input, gives it `wait_ms` to end, else kills it; then
    // closes its output.
    void Stop(int wait_ms);

private:
    pid_t pid_ = -1;
    int to_program_ = -1;
    int from_program_ = -1;
    std::string pending_;  // output read past the last line taken
};

}  // namespace e2e
