// Why the format core refuses a value, in words, for the packaging tool and
// the tests. In a file of its own: the installer shows none of these texts,
// and a function's string literals share its file's read-only data, which the
// stub's linker keeps whole once anything else in that file is used.
#include "describe.h"

#include <cstring>

namespace kv {

const char* Describe(TrailerError error) {
    switch (error) {
    case TrailerError::None: return "no error";
    case TrailerError::ReadFailed: return "the file could not be read";
    case TrailerError::CountOutOfRange: return "the entry count is out of range";
    case TrailerError::PositionBeforeStart: return "an entry lies before the start of the file";
    case TrailerError::SizeNotNumber: return "a size field is not a number";
    case TrailerError::SizeNegative: return "a size field is negative";
    case TrailerError::SizeTooLarge: return "a size field exceeds 2147483647 bytes";
    case TrailerError::BodyBeforeStart: return "a file body lies before the start of the file";
    case TrailerError::NameNotBare: return "a packaged name is not a bare file name";
    case TrailerError::CertificateTableDamaged:
        return "the signature's certificate table is damaged";
    }
    return "unknown error";
}

std::string Describe(NameFault fault, const std::string& name, size_t max_length) {
    switch (fault) {
    case NameFault::None: return std::string();
    case NameFault::Empty: return "is empty";
    case NameFault::TooLong:
        return "is " + std::to_string(name.size()) + " bytes long; it may hold at most " +
               std::to_string(max_length) + " bytes";
    case NameFault::DotName: return "is not a file name";
    case NameFault::ControlByte: return "holds a control character";
    case NameFault::ReservedCharacter:
        for (char c : name)
            if (c != '\0' && std::strchr(kReservedCharacters, c) != nullptr)
                return std::string("holds the character ") + c +
                       ", which Windows file names cannot hold";
        return "holds a character that Windows file names cannot hold";
    case NameFault::TrailingDotOrSpace:
        return "ends in a space or a dot, which Windows drops from file names";
    case NameFault::DeviceName: return "is a reserved Windows device name";
    case NameFault::ShortAlias:
        return "has the shape of a Windows short (8.3) name such as KERVAL~1.DAT, which can "
               "stand for another file";
    }
    return "is not a file name";
}

const char* Describe(WebAddressFault fault) {
    switch (fault) {
    case WebAddressFault::None: return "";
    case WebAddressFault::NotWeb:
        return "is not a web address: it must start with http://, https:// or www., or be a "
               "mailto: link";
    case WebAddressFault::NoSite:
        return "names nothing after its http://, https://, www. or mailto:";
    case WebAddressFault::BlankOrControl: return "holds a space or a control character";
    }
    return "is not a web address";
}

}  // namespace kv
