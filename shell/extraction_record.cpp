#include "extraction_record.h"

#include "name_rules.h"

namespace kv {

void ExtractionRecord::Add(const std::string& name, bool written) {
    entries_.push_back({name, written});
}

bool ExtractionRecord::Holds(const std::string& name) const {
    bool listed = false;
    for (const Entry& entry : entries_) {
        if (!SameWindowsName(entry.name, name)) continue;
        // A skipped entry of that name may have left an older file there.
        if (!entry.written) return false;
        listed = listed || entry.name == name;
    }
    return listed;
}

}  // namespace kv
