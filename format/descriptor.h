// The package descriptor KERVALE.DAT: six delimited text fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "small_string.h"

namespace kv {

constexpr const char kSignature[] = "KERVALE DATAFILE 1";
constexpr const char kNoReadme[] = "NOREADME";
constexpr const char kNoLicense[] = "NOLICENSE";
constexpr int kDescriptorFields = 6;

// Reads delimited fields one after another:
// - fields are separated by a comma or a line end (CR LF; a lone CR or LF
//   counts too);
// - spaces in front of a field are skipped;
// - a field that starts with a double quote runs to the next double quote
//   (commas and line ends inside belong to it); what follows the closing quote
//   up to the next delimiter is dropped;
// - an unquoted field runs to the next comma or line end;
// - double quotes are never part of a value;
// - a comma or a blank line in place of a field gives an empty value;
// - the end of the data before a field begins is an error.
class FieldReader {
public:
    FieldReader(const char* data, size_t length) : p_(data), end_(data + length) {}
    // False when the data ended before the field.
    bool Read(String& value);

private:
    void SkipDelimiter();
    const char* p_;
    const char* end_;
};

struct Descriptor {
    String signature;
    String readme;   // file name or "NOREADME"
    String license;  // file name or "NOLICENSE"
    String font_name;
    String web_url;    // empty: no web link
    String link_name;  // base name of the shortcut files
};

// The six fields in their stored order, with the names the packaging tool
// shows them by. Everything that reads, writes or lists the descriptor
// walks this table.
struct DescriptorField {
    const char* label;
    String Descriptor::*value;
};
extern const DescriptorField kDescriptorFieldTable[kDescriptorFields];

// Reads the first `fields` fields (1 to 6) in order; returns how many were
// read before the data ended.
int ReadDescriptor(const char* data, size_t length, int fields, Descriptor& out);

bool HasValidSignature(const Descriptor& d);

// The descriptor as the packaging tool writes it: each field in double
// quotes on a line of its own, ended by CR LF. Values must hold no double
// quote, CR or LF (see IsStorableValue). Defined here, as it makes a
// std::string: only host code compiles it.
inline std::string FormatDescriptor(const Descriptor& d) {
    std::string out;
    for (const DescriptorField& field : kDescriptorFieldTable) {
        out += '"';
        out += std::string_view(d.*field.value);
        out += "\"\r\n";
    }
    return out;
}
bool IsStorableValue(std::string_view value);

}  // namespace kv
