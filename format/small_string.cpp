#include "small_string.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace kv {

namespace {

// a + b, or the largest size when that would not fit: an allocation of it
// fails as running out of memory does.
size_t SaturatingSum(size_t a, size_t b) { return a > SIZE_MAX - b ? SIZE_MAX : a + b; }

}  // namespace

String::~String() { delete[] data_; }

const char* String::c_str() const { return data_ ? data_ : ""; }

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        delete[] data_;
        data_ = other.data_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        other.data_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    return *this;
}

char* String::Regrow(size_t n) {
    // Doubling keeps a text built by many appends (a 4 MiB readme, line by
    // line) to a few copies.
    const size_t doubled = SaturatingSum(capacity_, capacity_);
    const size_t capacity = doubled > n ? doubled : n;
    char* grown = new char[SaturatingSum(capacity, 1)];
    if (size_) std::memcpy(grown, data_, size_);
    grown[size_] = '\0';
    char* old = data_;
    data_ = grown;
    capacity_ = capacity;
    return old;
}

void String::reserve(size_t n) {
    if (n > capacity_) delete[] Regrow(n);
}

String& String::append(const char* data, size_t n) {
    if (n == 0) return *this;
    const size_t size = SaturatingSum(size_, n);
    // `data` may lie in the old buffer, which goes only after the copy.
    char* old = size > capacity_ ? Regrow(size) : nullptr;
    std::memmove(data_ + size_, data, n);
    delete[] old;
    size_ = size;
    data_[size_] = '\0';
    return *this;
}

String& String::assign(std::string_view text) {
    if (text.size() <= capacity_) {
        // Also when `text` lies in this buffer: memmove, then cut.
        if (!text.empty()) std::memmove(data_, text.data(), text.size());
        size_ = text.size();
        if (data_) data_[size_] = '\0';
        return *this;
    }
    String copy(text);
    *this = std::move(copy);
    return *this;
}

void String::resize(size_t n) {
    if (n > size_) {
        reserve(n);
        std::memset(data_ + size_, 0, n - size_);
    }
    size_ = n;
    if (data_) data_[size_] = '\0';
}

bool String::Same(std::string_view a, std::string_view b) { return a == b; }

String Concat(std::initializer_list<std::string_view> parts) {
    size_t size = 0;
    for (std::string_view part : parts) size = SaturatingSum(size, part.size());
    String out;
    out.reserve(size);
    for (std::string_view part : parts) out += part;
    return out;
}

String Concat(std::string_view a, std::string_view b) { return Concat({a, b}); }

}  // namespace kv
