// What this run wrote into the extraction folder. The folder is shared with
// every local account, so a file found there under a packaged name may be
// one that an earlier program, or another user, left behind: only a name
// this run wrote itself may be read, copied or installed.
// Plain C++, no Windows headers.
#pragma once

#include <string>
#include <vector>

namespace kv {

class ExtractionRecord {
public:
    // The extraction's outcome for its next entry, in trailer order.
    void Add(const std::string& name, bool written);

    // True when `name` is exactly the name of an entry and every entry that
    // names the same Windows file (in any letter case) was written by this
    // run: the file under that name then holds what this run put there.
    bool Holds(const std::string& name) const;

    // Calls `visit(name)` for every entry this run wrote.
    template <typename Visit>
    void ForEachWritten(Visit&& visit) const {
        for (const Entry& entry : entries_)
            if (entry.written) visit(entry.name);
    }

private:
    struct Entry {
        std::string name;
        bool written;
    };
    std::vector<Entry> entries_;
};

}  // namespace kv
