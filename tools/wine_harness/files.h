// File helpers for the end-to-end tests: the tests look at the prefix's
// folders directly from Linux.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace e2e {

bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content);
bool WriteWholeFile(const std::string& path, const std::string& content);
// Names of the entries of a folder (not "." and ".."), sorted; empty when the
// folder is missing.
std::vector<std::string> ListFolder(const std::string& path);
void MakeFolders(const std::string& path);
void RemoveTree(const std::string& path);
int64_t FileSize(const std::string& path);  // -1 when missing

// Puts a folder back the way it was when the guard was made: files added
// since are deleted, files changed or deleted are written back, and a folder
// that did not exist is removed again. Subfolders are left alone.
class FolderGuard {
public:
    explicit FolderGuard(std::string path);
    ~FolderGuard();
    FolderGuard(const FolderGuard&) = delete;
    FolderGuard& operator=(const FolderGuard&) = delete;

    const std::string& path() const { return path_; }
    // Regular files that were added since the guard was made.
    std::vector<std::string> AddedFiles() const;

private:
    std::string path_;
    bool existed_;
    std::map<std::string, std::string> files_;  // name -> content
};

}  // namespace e2e
