#include "wine_harness/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace e2e {

bool PathExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

static bool IsRegularFile(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
    return !in.bad();
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return static_cast<bool>(out.flush());
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return names;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0755);
        if (slash == std::string::npos) break;
    }
}

void RemoveTree(const std::string& path) {
    if (IsDirectory(path) && !IsRegularFile(path)) {
        for (const std::string& name : ListFolder(path)) RemoveTree(path + "/" + name);
        ::rmdir(path.c_str());
    } else {
        ::unlink(path.c_str());
    }
}

int64_t FileSize(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

FolderGuard::FolderGuard(std::string path) : path_(std::move(path)), existed_(IsDirectory(path_)) {
    for (const std::string& name : ListFolder(path_)) {
        std::string full = path_ + "/" + name;
        if (!IsRegularFile(full)) continue;
        ReadWholeFile(full, files_[name]);
    }
}

FolderGuard::~FolderGuard() {
    if (!existed_) {
        RemoveTree(path_);
        return;
    }
    for (const std::string& name : ListFolder(path_)) {
        std::string full = path_ + "/" + name;
        if (IsRegularFile(full) && !files_.count(name)) ::unlink(full.c_str());
    }
    for (const auto& [name, content] : files_) {
        std::string full = path_ + "/" + name;
        std::string now;
        if (!ReadWholeFile(full, now) || now != content) {
            ::unlink(full.c_str());  // also clears a read-only copy
            WriteWholeFile(full, content);
        }
    }
}

std::vector<std::string> FolderGuard::AddedFiles() const {
    std::vector<std::string> added;
    for (const std::string& name : ListFolder(path_))
        if (IsRegularFile(path_ + "/" + name) && !files_.count(name)) added.push_back(name);
    return added;
}

}  // namespace e2e
