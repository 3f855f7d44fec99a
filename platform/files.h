// Files and system paths on the Win32 API: handles own themselves, and the
// package reader sees files through kv::ByteSource / kv::ByteSink.
#pragma once

#include <windows.h>

#include "byte_source.h"
#include "small_string.h"

namespace kv::platform {

// Owns a file handle; closes it when it goes.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(other.h_) { other.h_ = INVALID_HANDLE_VALUE; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Close();
            h_ = other.h_;
            other.h_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    ~Handle() { Close(); }

    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }
    void Close() {
        if (valid()) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Opens an existing file for reading. Never creates a file.
Handle OpenForReading(const char* path);

// The running program's own file, by its wide name, held with read sharing
// only; invalid unless it is the very file the running image was mapped
// from (a file that took the program's name since is refused).
Handle OpenOwnImage();

// Creates the file, or empties one that exists.
Handle CreateForWriting(const char* path);

// Creates the file anew in a folder others can write to: a file of that name
// is deleted first, then the name is created with CREATE_NEW, so a file that
// someone else put there (with an access list or links of their choosing) is
// never opened. Administrators and SYSTEM may write the new file, Users may
// only read it. Invalid when the old file cannot be deleted or the new one
// not created.
Handle CreateFresh(const char* path);

class FileSource final : public ByteSource {
public:
    explicit FileSource(Handle file) : file_(static_cast<Handle&&>(file)) {}
    bool valid() const { return file_.valid(); }
    int64_t size() override;
    bool read(int64_t offset, void* out, size_t n) override;

private:
    Handle file_;
};

class FileSink final : public ByteSink {
public:
    explicit FileSink(Handle file) : file_(static_cast<Handle&&>(file)) {}
    bool valid() const { return file_.valid(); }
    bool write(const void* data, size_t n) override;

private:
    Handle file_;
};

// Reads a text file, at most its first kMaxTextBytes, into `out`; false
// when it cannot be opened or read.
bool ReadTextFile(const char* path, String& out);

// Deletes a file; false when it is missing or cannot be deleted.
bool DeleteOneFile(const char* path);

// Copies a file, replacing the target.
bool CopyOneFile(const char* from, const char* to);

// A function of a DLL the program has loaded (kernel32, ntdll) that older
// Windows may lack; null there.
void* SystemFunction(const char* module, const char* name);

// GetSystemWindowsDirectoryA's text; empty when the call fails.
String WindowsDirectory();

// Opens an address with the program registered for it; the outcome is not
// examined.
void ShellOpen(const char* address);

}  // namespace kv::platform
