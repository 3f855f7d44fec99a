#include "descriptor.h"

namespace kv {

namespace {
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
}  // namespace

void FieldReader::SkipDelimiter() {
    if (p_ >= end_) return;
    if (*p_ == ',') {
        ++p_;
    } else if (*p_ == '\r') {
        ++p_;
        if (p_ < end_ && *p_ == '\n') ++p_;
    } else if (*p_ == '\n') {
        ++p_;
    }
}

bool FieldReader::Read(std::string& value) {
    value.clear();
    while (p_ < end_ && *p_ == ' ') ++p_;
    if (p_ >= end_) return false;

    if (*p_ == '"') {
        ++p_;
        const char* start = p_;
        while (p_ < end_ && *p_ != '"') ++p_;
        value.assign(start, p_);
        if (p_ < end_) ++p_;  // the closing quote
        while (p_ < end_ && *p_ != ',' && !IsLineEnd(*p_)) ++p_;
    } else {
        while (p_ < end_ && *p_ != ',' && !IsLineEnd(*p_)) {
            if (*p_ != '"') value += *p_;
            ++p_;
        }
    }
    SkipDelimiter();
    return true;
}

int ReadDescriptor(const char* data, size_t length, int fields, Descriptor& out) {
    std::string* const slots[kDescriptorFields] = {&out.signature, &out.readme,  &out.license,
                                                   &out.font_name, &out.web_url, &out.link_name};
    if (fields > kDescriptorFields) fields = kDescriptorFields;
    FieldReader reader(data, length);
    for (int i = 0; i < fields; ++i) {
        if (!reader.Read(*slots[i])) return i;
    }
    return fields;
}

bool HasValidSignature(const Descriptor& d) { return d.signature == kSignature; }

bool IsStorableValue(const std::string& value) {
    return value.find_first_of("\"\r\n") == std::string::npos;
}

std::string FormatDescriptor(const Descriptor& d) {
    std::string out;
    for (const std::string* field :
         {&d.signature, &d.readme, &d.license, &d.font_name, &d.web_url, &d.link_name}) {
        out += '"';
        out += *field;
        out += "\"\r\n";
    }
    return out;
}

}  // namespace kv
