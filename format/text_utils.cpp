#include "text_utils.h"

#include <cmath>
#include <cstring>

namespace kv {

size_t StripCrLf(char* text, size_t length) {
    // What ReplaceText of LF and then of CR by nothing gives, in one pass.
    size_t kept = 0;
    for (size_t i = 0; i < length; ++i)
        if (text[i] != '\n' && text[i] != '\r') text[kept++] = text[i];
    return kept;
}

namespace {

bool IsSkippedBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Reads blanks-skipping digits into `value`; returns how many digits were seen.
class NumberScanner {
public:
    NumberScanner(const char* text, size_t length) : p_(text), end_(text + length) {}
    char peek() {
        while (p_ < end_ && IsSkippedBlank(*p_)) ++p_;
        return p_ < end_ ? *p_ : '\0';
    }
    void take() { ++p_; }

private:
    const char* p_;
    const char* end_;
};

// 10 to the power `exponent` (0 or more), by multiplication, so the stub
// does without the maths library's pow (about 3 KB). A power up to 10^22 is
// exact; beyond, the result may be a few units in the last place off, which
// no count can show: a count field's five bytes then hold a number far out
// of range or under one half.
double PowerOfTen(int exponent) {
    double power = 1;
    for (int i = exponent; i > 0; --i) power *= 10;
    return power;
}

}  // namespace

double LeadingNumber(const char* text, size_t length) {
    NumberScanner in(text, length);
    bool negative = false;
    char c = in.peek();
    if (c == '+' || c == '-') {
        negative = c == '-';
        in.take();
    }
    // The digits are gathered as one whole number and scaled once at the
    // end: summing 0.6 + 0.05 would give 0.65000000000000002, and .65E1 would
    // then round to 7 instead of the even 6.
    double mantissa = 0;
    int digits = 0;
    int scale = 0;  // the power of ten the mantissa is multiplied by
    bool fraction = false;
    for (;;) {
        c = in.peek();
        if (c == '.' && !fraction) {
            fraction = true;
        } else if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + (c - '0');
            ++digits;
            if (fraction) --scale;
        } else {
            break;
        }
        in.take();
    }
    if (digits == 0) return 0;
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
        in.take();
        bool negative_exp = false;
        c = in.peek();
        if (c == '+' || c == '-') {
            negative_exp = c == '-';
            in.take();
        }
        int exponent = 0;
        while ((c = in.peek()) >= '0' && c <= '9') {
            if (exponent < 10000) exponent = exponent * 10 + (c - '0');
            in.take();
        }
        scale += negative_exp ? -exponent : exponent;
    }
    // A zero mantissa stays 0 whatever the exponent: 0 * 10^309 would be
    // 0 * infinity, not a number. Dividing by an exact power of ten rounds
    // once, where multiplying by an inexact 10^-k would round twice.
    double value = mantissa;
    if (value != 0 && scale > 0) value *= PowerOfTen(scale);
    if (value != 0 && scale < 0) value /= PowerOfTen(-scale);
    return negative ? -value : value;
}

double RoundHalfEven(double value) {
    double floor_value = std::floor(value);
    double diff = value - floor_value;
    if (diff > 0.5) return floor_value + 1;
    if (diff < 0.5) return floor_value;
    return std::floor(floor_value / 2) * 2 == floor_value ? floor_value : floor_value + 1;
}

String FolderUnder(std::string_view windows_dir, const char* name) {
    if (windows_dir.empty()) return String();
    const bool has_backslash = windows_dir.back() == '\\';
    return Concat({windows_dir, has_backslash ? "" : "\\", name, "\\"});
}

bool ReadTextStart(ByteSource& file, String& out) {
    out.clear();
    const int64_t size = file.size();
    if (size < 0) return false;
    out.resize(size < static_cast<int64_t>(kMaxTextBytes) ? static_cast<size_t>(size)
                                                          : kMaxTextBytes);
    if (out.empty() || file.read(0, &out[0], out.size())) return true;
    out.clear();
    return false;
}

String LinesWithCrLf(const char* data, size_t length) {
    String out;
    out.reserve(length + length / 32 + 2);
    size_t i = 0;
    while (i < length) {
        size_t start = i;
        while (i < length && data[i] != '\r' && data[i] != '\n') ++i;
        out.append(data + start, i - start);
        out.append("\r\n", 2);
        if (i < length) {
            if (data[i] == '\r' && i + 1 < length && data[i + 1] == '\n') ++i;
            ++i;
        }
    }
    return out;
}

}  // namespace kv
