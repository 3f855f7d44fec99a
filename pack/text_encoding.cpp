#include "text_encoding.h"

#include <algorithm>
#include <cstdio>

#include "utf8.h"
#include "windows1252.h"

namespace kvpack {

namespace {

constexpr size_t kMissingKept = 5;  // characters named in a refusal, at most
constexpr size_t kMissingShown = 3;

// The next UTF-8 character at `p`; false at a byte that does not start a
// well-formed sequence (overlong forms and surrogates included), `p` unmoved.
bool NextUtf8(const unsigned char*& p, const unsigned char* end, uint32_t& c) {
    const unsigned char lead = *p;
    int more;
    if (lead < 0x80) {
        c = lead;
        ++p;
        return true;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        more = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        more = 2;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        more = 3;
        c = lead & 0x07;
    } else {
        return false;
    }
    if (end - p <= more) return false;
    for (int i = 1; i <= more; ++i) {
        if ((p[i] & 0xC0) != 0x80) return false;
        c = c << 6 | (p[i] & 0x3F);
    }
    static constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[more] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return false;
    p += more + 1;
    return true;
}

}  // namespace

bool IsValidUtf8(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    uint32_t c;
    while (p < end)
        if (!NextUtf8(p, end, c)) return false;
    return true;
}

size_t CharacterLength(std::string_view text, size_t at) {
    if (at >= text.size()) return 1;
    const auto* start = reinterpret_cast<const unsigned char*>(text.data()) + at;
    const auto* p = start;
    uint32_t c;
    return NextUtf8(p, start + (text.size() - at), c) ? static_cast<size_t>(p - start) : 1;
}

bool HasNonAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return true;
    return false;
}

namespace {

// Gathers the Windows-1252 form of a text character by character, with the
// line each one stands on, and what stands in its way.
class Converter {
public:
    explicit Converter(ConvertedText& out) : out_(out) {}

    void Add(uint32_t c) {
        // CR LF, a lone CR and a lone LF each end a line, as the installer
        // splits texts into lines.
        if (last_ == '\r' && c != '\n') ++line_;
        if (c == 0 && out_.damage.empty())
            out_.damage = "it holds a NUL character (line " + std::to_string(line_) +
                          "), so it is not text: is it a font or another binary file?";
        const int byte = kv::ToWindows1252(c);
        if (byte >= 0)
            out_.windows1252 += static_cast<char>(byte);
        else
            NoteMissing(c);
        if (c == '\n') ++line_;
        last_ = c;
    }
    size_t line() const { return line_; }

private:
    void NoteMissing(uint32_t c) {
        for (const MissingCharacter& m : out_.missing)
            if (m.character == c) return;
        if (std::find(others_.begin(), others_.end(), c) != others_.end()) return;
        ++out_.missing_count;
        if (out_.missing.size() < kMissingKept)
            out_.missing.push_back({c, line_});
        else
            others_.push_back(c);
    }

    ConvertedText& out_;
    size_t line_ = 1;
    uint32_t last_ = 0;
    std::vector<uint32_t> others_;  // the distinct ones beyond those kept
};

void ConvertUtf8(const std::string& text, size_t from, ConvertedText& out) {
    Converter converter(out);
    const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + from;
    const auto* end = reinterpret_cast<const unsigned char*>(text.data()) + text.size();
    uint32_t c;
    while (p < end && NextUtf8(p, end, c)) converter.Add(c);
}

void ConvertUtf16(const std::string& text, bool big_endian, ConvertedText& out) {
    Converter converter(out);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 2; i + 1 < n;) {
        uint32_t c;
        i += kv::NextUtf16(bytes + i, n - i, big_endian, c);
        if (kv::IsSurrogate(c)) {
            if (out.damage.empty())
                out.damage = "it is not valid UTF-16: a lone surrogate on line " +
                             std::to_string(converter.line());
            continue;
        }
        converter.Add(c);
    }
    if (n % 2 != 0 && out.damage.empty())
        out.damage = "it is UTF-16 text of an odd number of bytes: it is cut short";
}

bool StartsWith(const std::string& text, const char* prefix, size_t n) {
    return text.size() >= n && text.compare(0, n, prefix, n) == 0;
}

}  // namespace

ConvertedText ConvertFileText(const std::string& bytes) {
    ConvertedText out;
    if (StartsWith(bytes, "\xFF\xFE\0\0", 4) || StartsWith(bytes, "\0\0\xFE\xFF", 4)) {
        out.damage = "it is UTF-32 text, which is not taken: save it as UTF-8";
        return out;
    }
    if (StartsWith(bytes, "\xFF\xFE", 2) || StartsWith(bytes, "\xFE\xFF", 2)) {
        out.form = bytes[0] == '\xFE' ? TextForm::Utf16Be : TextForm::Utf16Le;
        ConvertUtf16(bytes, out.form == TextForm::Utf16Be, out);
        return out;
    }
    const bool bom = StartsWith(bytes, "\xEF\xBB\xBF", 3);
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos) {
        // The line of the first NUL, for the message; text needs none.
        ConvertedText lines;
        Converter counter(lines);
        for (size_t i = 0; i < nul; ++i) counter.Add(static_cast<unsigned char>(bytes[i]));
        out.damage = "it holds a NUL byte (line " + std::to_string(counter.line()) +
                     "), so it is not text: is it a font or another binary file? (UTF-16 text "
                     "needs its byte-order mark)";
        return out;
    }
    // Without a mark a text is read as a typed value is.
    if (!bom) return ConvertValue(bytes);
    out.form = TextForm::Utf8WithBom;
    if (!IsValidUtf8(bytes))
        out.damage =
            "it starts with a UTF-8 byte-order mark but is not valid UTF-8 after it; save it "
            "as UTF-8 again";
    else
        ConvertUtf8(bytes, 3, out);
    return out;
}

ConvertedText ConvertValue(const std::string& value) {
    ConvertedText out;
    if (!IsValidUtf8(value)) {
        out.form = TextForm::Windows1252;
        out.windows1252 = value;
        return out;
    }
    ConvertUtf8(value, 0, out);
    if (out.windows1252 != value || out.missing_count > 0) out.form = TextForm::Utf8;
    return out;
}

std::string ConversionNote(const ConvertedText& text) {
    switch (text.form) {
    case TextForm::Ascii: return "";
    case TextForm::Utf8: return "UTF-8, converted to Windows-1252";
    case TextForm::Utf8WithBom:
        return "UTF-8 with a byte-order mark, converted to Windows-1252 without the mark";
    case TextForm::Utf16Le: return "UTF-16 (little-endian), converted to Windows-1252";
    case TextForm::Utf16Be: return "UTF-16 (big-endian), converted to Windows-1252";
    case TextForm::Windows1252: return "not UTF-8, so taken as Windows-1252 as it stands";
    }
    return "";
}

bool IsUnsafeOnTerminal(uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x061C || c == 0x180E ||
           (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB) ||
           (c >= 0xE0000 && c <= 0xE007F);
}

bool IsCombiningMark(uint32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE20 && c <= 0xFE2F);
}

namespace {

void AppendEscape(const char* format, uint32_t value, std::string& out) {
    char text[16];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(value));
    out += text;
}

// One character as the terminal gets it.
void AppendShown(uint32_t c, std::string& out) {
    switch (c) {
    case '\r': out += "\\r"; return;
    case '\n': out += "\\n"; return;
    case '\t': out += "\\t"; return;
    case '\\': out += "\\\\"; return;
    case '"': out += "\\\""; return;
    default: break;
    }
    if (c < 0x20 || c == 0x7F)
        AppendEscape("\\x%02X", c, out);
    else if (IsUnsafeOnTerminal(c))
        AppendEscape(c > 0xFFFF ? "\\U%08X" : "\\u%04X", c, out);
    else
        kv::AppendUtf8(c, out);
}

}  // namespace

std::string CharacterText(uint32_t c) {
    std::string text;
    AppendEscape(c > 0xFFFF ? "U+%05X" : "U+%04X", c, text);
    if (IsCombiningMark(c)) return text + " (a combining accent)";
    if (IsUnsafeOnTerminal(c)) return text;
    text += " '";
    kv::AppendUtf8(c, text);
    return text + "'";
}

std::string MissingCharactersText(const ConvertedText& text, bool lines) {
    const size_t shown = std::min(text.missing.size(), kMissingShown);
    const size_t more = text.missing_count - shown;
    std::string out;
    for (size_t i = 0; i < shown; ++i) {
        if (i > 0) out += i + 1 == shown && more == 0 ? " and " : ", ";
        out += CharacterText(text.missing[i].character);
        if (lines) out += " on line " + std::to_string(text.missing[i].line);
    }
    if (more > 0)
        out +=
            " and " + std::to_string(more) + (more == 1 ? " more character" : " more characters");
    return out;
}

std::string EscapedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        uint32_t c;
        if (NextUtf8(p, end, c)) {
            AppendShown(c, out);
        } else {
            AppendEscape("\\x%02X", *p, out);
            ++p;
        }
    }
    return out;
}

std::string EscapedWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        const uint32_t c = kv::FromWindows1252(b);
        if (c == 0 && b != 0)
            AppendEscape("\\x%02X", b, out);  // one of the five bytes with no character
        else
            AppendShown(c, out);
    }
    return out;
}

std::vector<uint32_t> CharactersOf(const std::string& text) {
    std::vector<uint32_t> characters;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    if (IsValidUtf8(text)) {
        uint32_t c;
        while (p < end && NextUtf8(p, end, c)) characters.push_back(c);
    } else {
        for (; p < end; ++p) characters.push_back(kv::FromWindows1252(*p));
    }
    return characters;
}

}  // namespace kvpack
