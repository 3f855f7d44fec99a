// The few file-system services the packaging tool needs beyond <cstdio>.
// Everything platform-specific about files lives in platform_fs.cpp.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace kvpack {

struct FileStatus {
    bool exists = false;
    bool is_directory = false;
    bool is_regular = false;
    int64_t size = 0;
};

FileStatus StatPath(const std::string& path);

// 64-bit positioning on an open stdio file.
bool SeekFile(std::FILE* file, int64_t offset);
int64_t TellFile(std::FILE* file);

// True when both paths exist and name the same file (hard links included).
bool SameFile(const std::string& a, const std::string& b);

// Creates one folder level; true when it exists afterwards.
bool MakeDirectory(const std::string& path);

// Moves `from` over `to`, replacing an existing `to`.
bool MoveReplacing(const std::string& from, const std::string& to);

// The full path of the running program, or "" when it cannot be told.
std::string SelfExecutablePath();

int ProcessId();

// Path syntax of the platform the tool runs on.
bool IsPathSeparator(char c);
constexpr char kPreferredSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif

}  // namespace kvpack
