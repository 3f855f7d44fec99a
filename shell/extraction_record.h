// What this run wrote into the extraction folder. The folder is shared with
// every local account, so a file found there under a packaged name may be
// one that an earlier program, or another user, left behind: only a name
// this run wrote itself may be read, copied, installed or deleted.
// Plain C++, no Windows headers.
#pragma once

#include <cstddef>
#include <string_view>

#include "small_string.h"

namespace kv {

class ExtractionRecord {
public:
    // The extraction's outcome for its next entry, in trailer order.
    void Add(std::string_view name, bool written);

    // True when `name` is exactly the name of an entry and every entry that
    // names the same Windows file (in any letter case) was written by this
    // run: the file under that name then holds what this run put there.
    bool Holds(std::string_view name) const;

    // Calls `visit(name)` for every entry this run wrote whose name it
    // Holds, in trailer order: the files a run deletes when it ends. A name
    // that a skipped entry shares is left out, as the file there may be
    // someone else's.
    template <typename Visit>
    void ForEachHeld(Visit&& visit) const {
        for (size_t at = 0; at < written_.size();) {
            const std::string_view name = Next(written_, at);
            if (!Skipped(name)) visit(name);
        }
    }

private:
    // The name that starts at `at` in a list; `at` moves past it.
    static std::string_view Next(std::string_view list, size_t& at);
    bool Skipped(std::string_view name) const;

    // Each a list of names, every one ended by a NUL, which no packaged name
    // holds: the stub carries no container code for them. Skipped entries
    // come from the user's Ignore, so they are few; the ends of a run check
    // every written name against them.
    String written_, skipped_;
    // Where in written_ the name Holds last found ends. The font copy asks
    // for the packaged names in trailer order, the order written_ keeps, so
    // each search starts there and wraps round: a whole pass reads the list
    // about once, not once per font.
    mutable size_t resume_ = 0;
};

}  // namespace kv
