// Texts as the installer reads them, and as a terminal shows them. The
// installer reads the readme, the license and the descriptor's values as
// Windows-1252 bytes; font makers write UTF-8 (or UTF-16 with a byte-order
// mark), so the build converts, and list and verify decode again for the
// terminal, where every character that could move the cursor, change the
// title or reorder the line is spelled out instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvpack {

// What a text was before it became Windows-1252.
enum class TextForm {
    Ascii,        // nothing to convert
    Utf8,         // UTF-8 beyond ASCII, without a byte-order mark
    Utf8WithBom,  // UTF-8 after a byte-order mark
    Utf16Le,      // UTF-16 after its byte-order mark
    Utf16Be,
    Windows1252,  // not valid UTF-8: taken as Windows-1252 as it stands
};

// A character Windows-1252 lacks, and the line (from 1) it first stands on.
struct MissingCharacter {
    uint32_t character;
    size_t line;
};

struct ConvertedText {
    TextForm form = TextForm::Ascii;
    std::string windows1252;  // the text as the installer will read it
    // The characters Windows-1252 lacks, each once, in order of first
    // appearance: the first few, and how many different ones there are.
    std::vector<MissingCharacter> missing;
    size_t missing_count = 0;
    // Why it is not text at all (NUL characters, broken UTF-16), or "".
    std::string damage;

    bool ok() const { return damage.empty() && missing_count == 0; }
};

// A file's bytes: UTF-16 (either order) or UTF-8 after a byte-order mark,
// else UTF-8 if it is valid UTF-8, else Windows-1252 as it stands. Text
// with NUL characters is not text.
ConvertedText ConvertFileText(const std::string& bytes);
// A value typed on a command line: UTF-8 if it is valid UTF-8, else taken
// as Windows-1252 as it stands.
ConvertedText ConvertValue(const std::string& value);

// What the build did to a file, for its summary, e.g. "UTF-8 with a
// byte-order mark, converted to Windows-1252"; "" when nothing changed.
std::string ConversionNote(const ConvertedText& text);

// "U+0416 'Ж'": a character as a person can find it; the glyph is left
// out for characters a terminal would not show as themselves.
std::string CharacterText(uint32_t c);

// The characters a text lacks, for a refusal: "U+0416 'Ж' on line 3,
// U+2192 '→' on line 9 and 4 more characters"; `lines` false leaves the
// lines out.
std::string MissingCharactersText(const ConvertedText& text, bool lines);

bool IsValidUtf8(const std::string& text);
// The bytes of the character at `at`: its UTF-8 sequence, or the one byte
// when none starts there (as EscapedUtf8 shows such bytes, one by one).
size_t CharacterLength(std::string_view text, size_t at);
// A byte from 0x80 up: a character beyond ASCII in any encoding.
bool HasNonAscii(std::string_view text);
// A combining accent: text that holds one beside its letter is decomposed.
bool IsCombiningMark(uint32_t c);

// A character a terminal must not get as it stands: C0 and C1 controls,
// DEL, and the invisible format characters that reorder or hide text
// (bidirectional overrides and isolates, zero-width characters, tags).
bool IsUnsafeOnTerminal(uint32_t c);

// `text` for a terminal that reads UTF-8: valid UTF-8 stays, controls and
// unsafe characters become \r \n \t \xNN \uNNNN, bytes that are not UTF-8
// become \xNN, and a backslash or double quote gets a backslash.
std::string EscapedUtf8(std::string_view text);
// Windows-1252 bytes the same way, decoded: what the installer shows.
std::string EscapedWindows1252(std::string_view bytes);

// The Unicode characters of a name, UTF-8 if it is valid UTF-8, else
// Windows-1252.
std::vector<uint32_t> CharactersOf(const std::string& text);

}  // namespace kvpack
