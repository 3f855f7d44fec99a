#include "extraction_record.h"

#include "name_rules.h"

namespace kv {

void ExtractionRecord::Add(std::string_view name, bool written) {
    String& list = written ? written_ : skipped_;
    list += name;
    list += '\0';
}

std::string_view ExtractionRecord::Next(std::string_view list, size_t& at) {
    const size_t end = list.find('\0', at);
    const std::string_view name(list.data() + at, end - at);
    at = end + 1;
    return name;
}

bool ExtractionRecord::Skipped(std::string_view name) const {
    for (size_t at = 0; at < skipped_.size();)
        if (SameWindowsName(Next(skipped_, at), name)) return true;
    return false;
}

bool ExtractionRecord::Holds(std::string_view name) const {
    // A skipped entry of that name may have left an older file there.
    if (Skipped(name) || written_.empty()) return false;
    const size_t start = resume_ < written_.size() ? resume_ : 0;
    size_t at = start;
    do {
        if (Next(written_, at) == name) {
            resume_ = at;
            return true;
        }
        if (at == written_.size()) at = 0;
    } while (at != start);
    return false;
}

}  // namespace kv
