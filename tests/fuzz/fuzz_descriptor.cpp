// Reads descriptor fields from arbitrary bytes, and checks that what the
// writer stores the reader gives back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    kv::Descriptor d;
    int n = kv::ReadDescriptor(text, size, kv::kDescriptorFields, d);
    if (n < 0 || n > kv::kDescriptorFields) std::abort();
    for (const kv::String* v :
         {&d.signature, &d.readme, &d.license, &d.font_name, &d.web_url, &d.link_name})
        if (std::string_view(*v).find('"') != std::string_view::npos) std::abort();

    // Round trip: values without quotes and line ends survive the writer.
    kv::Descriptor w;
    kv::String* slots[] = {&w.signature, &w.readme,  &w.license,
                           &w.font_name, &w.web_url, &w.link_name};
    size_t slot = 0;
    for (size_t i = 0; i < size && slot < 6; ++i) {
        char c = text[i];
        if (c == '\x01') {
            ++slot;
            continue;
        }
        if (c == '"' || c == '\r' || c == '\n') continue;
        *slots[slot] += c;
    }
    std::string file = kv::FormatDescriptor(w);
    kv::Descriptor r;
    if (kv::ReadDescriptor(file.data(), file.size(), 6, r) != 6) std::abort();
    if (r.signature != w.signature || r.readme != w.readme || r.license != w.license ||
        r.font_name != w.font_name || r.web_url != w.web_url || r.link_name != w.link_name)
        std::abort();
    return 0;
}
