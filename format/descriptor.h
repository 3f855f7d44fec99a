// The package descriptor KERVALE.DAT: six delimited text fields.
#pragma once

#include <cstddef>
#include <string>

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
    bool Read(std::string& value);

private:
    void SkipDelimiter();
    const char* p_;
    const char* end_;
};

struct Descriptor {
    std::string signature;
    std::string readme;   // file name or "NOREADME"
    std::string license;  // file name or "NOLICENSE"
    std::string font_name;
    std::string web_url;    // empty: no web link
    std::string link_name;  // base name of the shortcut files
};

// The six fields in their stored order, with the names the packaging tool
// shows them by. Everything that reads, writes or lists the descriptor
// walks this table.
struct DescriptorField {
    const char* label;
    std::string Descriptor::*value;
};
extern const DescriptorField kDescriptorFieldTable[kDescriptorFields];

// Reads the first `fields` fields (1 to 6) in order; returns how many were
// read before the data ended.
int ReadDescriptor(const char* data, size_t length, int fields, Descriptor& out);

bool HasValidSignature(const Descriptor& d);

// The descriptor as the packaging tool writes it: each field in double
// quotes on a line of its own, ended by CR LF. Values must hold no double
// quote, CR or LF (see IsStorableValue).
std::string FormatDescriptor(const Descriptor& d);
bool IsStorableValue(const std::string& value);

}  // namespace kv
