// Files on disk as kv::ByteSource / kv::ByteSink. The format core copies
// bodies through these in fixed-size chunks, so no body is ever held whole.
// None of them throws: the core calls them from code built without exceptions.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "byte_source.h"

namespace kvpack {

// An open file read at any offset. Its length is taken once, when opened.
class FileSource final : public kv::ByteSource {
public:
    FileSource() = default;
    ~FileSource() override { Close(); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool Open(const std::string& path);  // false: see error()
    void Close();
    const std::string& error() const { return error_; }

    int64_t size() override { return size_; }
    bool read(int64_t offset, void* out, size_t n) override;

private:
    std::FILE* file_ = nullptr;
    int64_t size_ = -1;
    int64_t position_ = -1;  // where the next fread starts; -1 when unknown
    std::string error_;
};

// An input of the package whose length was checked beforehand. It is opened
// only when its body is copied and closed after its last byte, so a package
// of thousands of fonts never holds thousands of files open. A file whose
// length changed since the check is refused rather than packaged half.
class InputFile final : public kv::ByteSource {
public:
    InputFile(std::string path, int64_t checked_size)
        : path_(std::move(path)), checked_size_(checked_size) {}

    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

    int64_t size() override { return checked_size_; }
    bool read(int64_t offset, void* out, size_t n) override;

private:
    std::string path_;
    int64_t checked_size_;
    FileSource file_;
    bool opened_ = false;
    std::string error_;
};

// A file written from the start, sequentially, with one write call per body
// chunk.
class FileSink final : public kv::ByteSink {
public:
    FileSink() = default;
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    bool Create(const std::string& path);  // replaces an existing file
    bool Close();                          // flushes; false when anything failed
    const std::string& error() const { return error_; }

    bool write(const void* data, size_t n) override;

private:
    static constexpr size_t kSmallWrite = 4096;
    static constexpr size_t kPendingLimit = 64 * 1024;
    bool Flush();
    bool WriteThrough(const void* data, size_t n);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string pending_;
    std::string error_;
};

// "No such file or directory" and the like, for the last failed call.
std::string LastSystemError();

}  // namespace kvpack
