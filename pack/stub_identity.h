// Which stub a package carries: Kervale's own, or some other program. A
// package is only as trustworthy as the code its users run, so build and
// verify compare the stub with the one the tool ships with and with the
// stubs Kervale released (resources/released-stubs.sha256, built in).
#pragma once

#include <string>
#include <vector>

#include "byte_source.h"

namespace kvpack {

constexpr const char kStubFileName[] = "kervale-stub.exe";

// Where the tool looks for its stub when --stub is not given, in order:
// beside the program, then ../share/kervale/ from the program's folder (the
// layout of the release archive, the Debian package and an install
// prefix). `program` is the program's own real path; when it is unknown
// ("") there is no default at all: a stub in the current folder may be
// anyone's.
std::vector<std::string> DefaultStubCandidates(const std::string& program);

// The tool's default stub: the first candidate that exists. False with
// `problem` set (a message that ends by asking for --stub) when there is none.
bool FindDefaultStub(std::string& path, std::string& problem);

// What identifies a stub: SHA-256 over its bytes as build packs them, with
// the PE checksum and the security directory entry read as zeros, since a
// signing tool rewrites both when the finished installer is signed. The
// bytes end where the image's last section ends when at most 7 zero bytes
// follow it: the padding build puts between stub and package. For an
// unsigned stub built without a checksum this is `sha256sum` of the file.
std::string StubDigest(kv::ByteSource& stub_as_packed);

// The stubs a stub is compared with: the tool's default one, as packed, and
// the released ones.
struct KervaleStubs {
    std::string default_path;    // "" when the tool has none
    std::string default_digest;  // "" when it could not be read as a stub
    bool Knows(const std::string& digest) const;
    // Why a stub of this digest is not taken for Kervale's, to follow the
    // word "stub": "is not a Kervale stub (sha256 ...): it is neither ...".
    std::string NotKervaleText(const std::string& digest) const;
};
KervaleStubs LoadKervaleStubs();

}  // namespace kvpack
