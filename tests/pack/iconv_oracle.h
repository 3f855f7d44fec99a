// glibc's iconv: the oracle the tests hold every text conversion to.
#pragma once

#include <iconv.h>

#include <string>

namespace testiconv {

// `in` from one encoding to another, as iconv names them; false when iconv
// refuses (a character the target lacks, or input that is not `from`).
inline bool Convert(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input = in;
    out.assign(4 * in.size() + 16, '\0');
    char* src = input.empty() ? nullptr : &input[0];
    char* dst = &out[0];
    size_t left = input.size(), room = out.size();
    const bool ok = iconv(cd, &src, &left, &dst, &room) != size_t(-1);
    iconv_close(cd);
    out.resize(out.size() - room);
    return ok;
}

}  // namespace testiconv
