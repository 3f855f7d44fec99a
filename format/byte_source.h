// Byte sources and sinks: the package reader and writer see files only through
// these, so one trailer walk serves a memory buffer, a file on disk and the
// installer's own executable alike. No Windows headers here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace kv {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Length in bytes, or -1 when it cannot be told.
    virtual int64_t size() = 0;
    // Reads exactly n bytes at a 0-based offset; false on any shortfall.
    virtual bool read(int64_t offset, void* out, size_t n) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(const void* data, size_t n) = 0;
};

// Little-endian numbers, as the package's and the PE headers' fields hold them.
inline uint32_t LoadLe16(const unsigned char* p) { return p[0] | (p[1] << 8); }
inline uint32_t LoadLe32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// A source over bytes someone else owns.
class MemorySource final : public ByteSource {
public:
    MemorySource(const void* data, size_t n)
        : data_(static_cast<const unsigned char*>(data)), size_(n) {}
    int64_t size() override { return static_cast<int64_t>(size_); }
    bool read(int64_t offset, void* out, size_t n) override {
        if (offset < 0 || static_cast<uint64_t>(offset) > size_ ||
            n > size_ - static_cast<size_t>(offset))
            return false;
        if (n) std::memcpy(out, data_ + offset, n);
        return true;
    }

private:
    const unsigned char* data_;
    size_t size_;
};

// Appends everything written to a string: packages built in memory.
class StringSink final : public ByteSink {
public:
    explicit StringSink(std::string& out) : out_(out) {}
    bool write(const void* data, size_t n) override {
        out_.append(static_cast<const char*>(data), n);
        return true;
    }

private:
    std::string& out_;
};

// A view on part of another source: [offset, offset + length).
class SliceSource final : public ByteSource {
public:
    SliceSource(ByteSource& base, int64_t offset, int64_t length)
        : base_(base), offset_(offset), length_(length) {}
    int64_t size() override { return length_; }
    bool read(int64_t offset, void* out, size_t n) override {
        if (offset < 0 || offset > length_ || static_cast<int64_t>(n) > length_ - offset)
            return false;
        return base_.read(offset_ + offset, out, n);
    }

private:
    ByteSource& base_;
    int64_t offset_;
    int64_t length_;
};

// Little-endian fields at named offsets in a header read into memory: every
// read is checked against the bytes that were read, so no field is ever
// taken from beyond its header or the file.
class HeaderReader {
public:
    HeaderReader(const unsigned char* data, size_t size) : data_(data), size_(size) {}
    // The `length` bytes from `offset` on, as far as they are here: a header
    // within the bytes read, whose fields count from its own start.
    [[gnu::always_inline]] HeaderReader Part(size_t offset, size_t length) const {
        if (offset > size_) offset = size_;
        return HeaderReader(data_ + offset, length < size_ - offset ? length : size_ - offset);
    }
    // False when the field does not lie wholly within the bytes.
    [[gnu::always_inline]] bool ReadU16(size_t offset, uint16_t& value) const {
        if (!Holds(offset, 2)) return false;
        value = static_cast<uint16_t>(LoadLe16(data_ + offset));
        return true;
    }
    [[gnu::always_inline]] bool ReadU32(size_t offset, uint32_t& value) const {
        if (!Holds(offset, 4)) return false;
        value = LoadLe32(data_ + offset);
        return true;
    }

private:
    bool Holds(size_t offset, size_t n) const { return offset <= size_ && n <= size_ - offset; }
    const unsigned char* data_;
    size_t size_;
};

// Copies `length` bytes starting at `offset` of `from` into `to`, a chunk at a
// time, so a body of any size passes through a small fixed buffer.
// `between_chunks`, when given, runs after every chunk (the installer yields to
// its message loop there).
bool CopyRange(ByteSource& from, int64_t offset, int64_t length, ByteSink& to,
               void (*between_chunks)(void*) = nullptr, void* context = nullptr);

}  // namespace kv
