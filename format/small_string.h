// A growable byte string of our own for everything the installer stub links:
// std::string would cost the stub several KB of library code, and more at
// every call site. It holds any bytes (NULs too) and keeps a NUL after them
// for the Win32 calls. It is read as a std::string_view, which is what the
// format core's functions take, so host code hands them its std::string as
// it is and makes one of a String with std::string(s).
//
// Memory comes from operator new: when it runs out, the stub ends through
// its clean-up (platform/runtime_win.cpp) and the host throws
// std::bad_alloc. A size beyond what can be addressed is asked for as the
// impossible, which takes the same way.
// Plain C++, no Windows headers.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace kv {

class String {
public:
    constexpr String() = default;
    explicit String(std::string_view text) { append(text.data(), text.size()); }
    String(const char* text) : String(std::string_view(text)) {}
    String(const char* data, size_t n) { append(data, n); }
    String(const String& other) : String(std::string_view(other)) {}
    String(String&& other) noexcept
        : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
        other.data_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    String& operator=(const String& other) { return assign(other); }
    String& operator=(String&& other) noexcept;
    String& operator=(std::string_view text) { return assign(text); }
    String& operator=(const char* text) { return assign(text); }
    ~String();

    // Null while nothing was ever held (a view of it is then still empty).
    const char* data() const { return data_; }
    // Never null: "" while nothing was ever held.
    const char* c_str() const;
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // `i` below size().
    char& operator[](size_t i) { return data_[i]; }
    char operator[](size_t i) const { return data_[i]; }
    const char* begin() const { return data_; }
    const char* end() const { return data_ + size_; }
    operator std::string_view() const { return std::string_view(data_, size_); }

    // `text` may lie inside this string.
    String& assign(std::string_view text);
    String& append(const char* data, size_t n);
    String& operator+=(std::string_view text) { return append(text.data(), text.size()); }
    String& operator+=(char c) { return append(&c, 1); }

    // Shorter: cut; longer: filled with NULs.
    void resize(size_t n);
    void clear() { resize(0); }
    // Room for `n` bytes without another allocation.
    void reserve(size_t n);

    friend bool operator==(const String& a, const String& b) { return Same(a, b); }
    friend bool operator==(const String& a, std::string_view b) { return Same(a, b); }
    friend bool operator==(std::string_view a, const String& b) { return Same(a, b); }
    friend bool operator==(const String& a, const char* b) { return Same(a, b); }
    friend bool operator==(const char* a, const String& b) { return Same(a, b); }
    friend bool operator!=(const String& a, const String& b) { return !Same(a, b); }
    friend bool operator!=(const String& a, std::string_view b) { return !Same(a, b); }
    friend bool operator!=(std::string_view a, const String& b) { return !Same(a, b); }
    friend bool operator!=(const String& a, const char* b) { return !Same(a, b); }
    friend bool operator!=(const char* a, const String& b) { return !Same(a, b); }

private:
    // Moves the bytes into a buffer with room for at least `n` (and twice
    // the old room); returns the old buffer, for the caller to delete.
    char* Regrow(size_t n);
    static bool Same(std::string_view a, std::string_view b);

    char* data_ = nullptr;  // capacity_ + 1 bytes, the NUL after size_ included
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// The parts one after another, in one allocation: Concat({"a", name, ".url"}).
String Concat(std::initializer_list<std::string_view> parts);
String Concat(std::string_view a, std::string_view b);

}  // namespace kv
