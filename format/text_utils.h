// Text and path helpers shared by the installer and the packaging tool.
// Plain C++; texts are single-byte strings in the system code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "byte_source.h"
#include "small_string.h"

namespace kv {

// Replaces every occurrence of `find` in `text` by `repl`; `text` is left
// holding the result, which is also returned. The search resumes after the
// inserted text, so the routine ends for every input (an empty `find`
// changes nothing). Like every function here that makes a std::string, it
// is defined in its header: only host code compiles it, and the stub links
// no std::string code.
inline std::string ReplaceText(std::string& text, const std::string& find,
                               const std::string& repl) {
    if (find.empty()) return text;
    size_t search = 0;
    for (;;) {
        size_t pos = text.find(find, search);
        if (pos == std::string::npos) break;
        text.replace(pos, find.size(), repl);
        search = pos + repl.size();
    }
    return text;
}

// Removes every LF and CR from the `length` bytes at `text`, in place; all
// other bytes, NUL and spaces included, stay. Returns how many are left.
size_t StripCrLf(char* text, size_t length);
// The same on a std::string or a String, which is changed and returned.
template <typename Text>
Text& StripCrLf(Text& text) {
    if (!text.empty()) text.resize(StripCrLf(&text[0], text.size()));
    return text;
}

// The leading number of a text, read the way the package count field is read:
// spaces, tabs and line feeds are skipped wherever they stand; an optional
// sign, digits, an optional fraction and an optional exponent (E or D);
// reading stops at the first byte that cannot continue the number. A text
// that starts with no number gives 0.
double LeadingNumber(const char* text, size_t length);

// Rounds to the nearest whole number, a half going to the even neighbour.
double RoundHalfEven(double value);

// The folder `name` below `windows_dir`, ending in a backslash:
// "C:\WINDOWS" -> "C:\WINDOWS\Temp\", "C:\" -> "C:\Temp\". Empty for an empty
// Windows directory (the system could not tell it): never a folder at the
// root of whatever drive is current.
String FolderUnder(std::string_view windows_dir, const char* name);

// The most of a text file the installer reads: a longer readme or license
// shows its first part, and nothing in a package can make the installer ask
// for more memory than a few times this.
constexpr size_t kMaxTextBytes = size_t{4} << 20;

// Reads the first kMaxTextBytes of `file` (all of a shorter one) into `out`;
// false when it cannot be read.
bool ReadTextStart(ByteSource& file, String& out);

// A text file's content as a text box shows it: every line (ended by CR LF,
// a lone LF or a lone CR, or by the end of the file) followed by CR LF.
// An empty file gives an empty text.
String LinesWithCrLf(const char* data, size_t length);

}  // namespace kv
