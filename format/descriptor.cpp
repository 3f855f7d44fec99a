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

bool FieldReader::Read(String& value) {
    value.clear();
    while (p_ < end_ && *p_ == ' ') ++p_;
    if (p_ >= end_) return false;

    if (*p_ == '"') {
        ++p_;
        const char* start = p_;
        while (p_ < end_ && *p_ != '"') ++p_;
        value.assign(std::string_view(start, static_cast<size_t>(p_ - start)));
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

const DescriptorField kDescriptorFieldTable[kDescriptorFields] = {
    {"signature", &Descriptor::signature}, {"readme", &Descriptor::readme},
    {"license", &Descriptor::license},     {"font name", &Descriptor::font_name},
    {"web url", &Descriptor::web_url},     {"link title", &Descriptor::link_name},
};

int ReadDescriptor(const char* data, size_t length, int fields, Descriptor& out) {
    if (fields > kDescriptorFields) fields = kDescriptorFields;
    FieldReader reader(data, length);
    for (int i = 0; i < fields; ++i) {
        if (!reader.Read(out.*kDescriptorFieldTable[i].value)) return i;
    }
    return fields;
}

bool HasValidSignature(const Descriptor& d) { return d.signature == kSignature; }

bool IsStorableValue(std::string_view value) {
    return value.find_first_of("\"\r\n") == std::string_view::npos;
}

}  // namespace kv
