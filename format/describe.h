// Why the format core refuses a value, in words, for the packaging tool and
// the tests; the installer shows none of these texts.
#pragma once

#include <cstddef>
#include <string>

#include "name_rules.h"
#include "trailer.h"

namespace kv {

// A short English reason for a failed trailer walk.
const char* Describe(TrailerError error);

// One line saying why, naming the offending character where there is one:
// "holds the character :, which Windows file names cannot hold".
std::string Describe(NameFault fault, const std::string& name, size_t max_length = kMaxNameLength);

// Why a web address is refused: "is not a web address: ...".
const char* Describe(WebAddressFault fault);

}  // namespace kv
