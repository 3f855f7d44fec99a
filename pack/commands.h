// kervale-pack's list, extract and verify (build: build_command.h), and the
// exit codes and messages all four share. Each prints its result on stdout
// and its problems, one line each, on stderr, and returns the exit code.
#pragma once

#include <string>

namespace kvpack {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // refused, damaged or unreadable
constexpr int kExitUsage = 2;   // a command line that does not parse

int RunList(const std::string& package);
// Refuses a package the installer would refuse, writing nothing, unless
// `force`: then it writes what can be read, warns, and still fails. A file
// already in the folder under a packaged name is replaced only with
// `overwrite`.
int RunExtract(const std::string& package, const std::string& directory, bool force,
               bool overwrite);
// A package whose stub is not Kervale's fails unless `any_stub`.
int RunVerify(const std::string& package, bool any_stub);

// Prints "kervale-pack: error: MESSAGE" on stderr; returns kExitFailed.
int Fail(const std::string& message);
void Warn(const std::string& message);

}  // namespace kvpack
