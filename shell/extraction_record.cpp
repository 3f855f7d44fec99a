#include "extraction_record.h"

#include "name_rules.h"

namespace kv {

void ExtractionRecord::Add(const std::string& name, bool written) {
    std::string& list = written ? written_ : skipped_;
    list += name;
    list += '\0';
}

std::string ExtractionRecord::Next(const std::string& list, size_t& at) {
    const size_t end = list.find('\0', at);
    std::string name = list.substr(at, end - at);
    at = end + 1;
    return name;
}

bool ExtractionRecord::Skipped(const std::string& name) const {
    for (size_t at = 0; at < skipped_.size();)
        if (SameWindowsName(Next(skipped_, at), name)) return true;
    return false;
}

bool ExtractionRecord::Holds(const std::string& name) const {
    // A skipped entry of that name may have left an older file there.
    if (Skipped(name)) return false;
    for (size_t at = 0; at < written_.size();)
        if (Next(written_, at) == name) return true;
    return false;
}

}  // namespace kv
