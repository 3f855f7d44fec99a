// Telling stubs apart: SHA-256 against sha256sum, and the stub digest
// against sha256sum of the bytes it stands for, laid out by the test.
#include "stub_identity.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "package_reader.h"
#include "pe_image.h"
#include "pe_stub.h"
#include "sha256.h"

namespace {

using std::string;

// What coreutils' sha256sum says of `bytes`.
string Sha256sum(const string& bytes) {
    char path[] = "/tmp/kervale-sha-XXXXXX";
    const int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    close(fd);
    std::ofstream(path, std::ios::binary) << bytes;
    string line(64, '\0');
    FILE* pipe = popen(("sha256sum '" + string(path) + "'").c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    line.resize(std::fread(&line[0], 1, 64, pipe));
    pclose(pipe);
    unlink(path);
    return line;
}

string Digest(const string& bytes) {
    kv::MemorySource source(bytes.data(), bytes.size());
    return kvpack::StubDigest(source);
}

// Lengths around the 55/56/64-byte block edges, fed in pieces of every size.
TEST(Sha256, AgreesWithSha256sum) {
    for (size_t length : {0, 1, 3, 55, 56, 57, 63, 64, 65, 119, 120, 128, 1000, 300000}) {
        string bytes(length, '\0');
        for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(i * 131 + i / 7);
        const string expected = Sha256sum(bytes);
        for (size_t piece : {size_t{1}, size_t{7}, size_t{64}, size_t{1000}, length + 1}) {
            kvpack::Sha256 sha;
            for (size_t at = 0; at < length; at += piece)
                sha.Update(bytes.data() + at, std::min(piece, length - at));
            EXPECT_EQ(sha.HexDigest(), expected) << length << " bytes in pieces of " << piece;
        }
    }
}

// The stub as packed, its fields as a signing tool leaves them, and the
// padding the build adds all give the digest of the bare stub; any other
// change does not.
TEST(StubDigest, NamesTheStubAsPacked) {
    const string stub = testpe::Stub();
    const size_t checksum_at = testpe::kOptionalAt + 64;
    string with_checksum = stub;
    testpe::Put(with_checksum, checksum_at, 0x1234567, 4);
    const string expected = Sha256sum(stub);  // its checksum and security entry are zeros
    string changed = stub;
    changed[0x300] ^= 1;
    const string signed_stub = testpe::Sign(with_checksum);
    // A package's stub region once the installer is signed: the signing tool
    // has set the checksum and pointed the security entry past the package.
    string signed_region = testpe::Sign(stub + string(7, '\0') + "package");
    testpe::Put(signed_region, checksum_at, 0x89ABCDE, 4);
    signed_region.resize(stub.size() + 7);
    kv::MemorySource signed_source(signed_stub.data(), signed_stub.size());
    kv::PeImage image;
    ASSERT_TRUE(kv::ReadPeImage(signed_source, image));
    kvpack::StubWithoutSignature packed(signed_source, image);
    const struct {
        const char* what;
        string digest;
        string expected;
    } cases[] = {
        {"bare", Digest(stub), expected},
        {"with a checksum", Digest(with_checksum), expected},
        {"signed, as packed", kvpack::StubDigest(packed), expected},
        {"signed after packing", Digest(signed_region), expected},
        {"with padding", Digest(stub + string(7, '\0')), expected},
        {"with more than padding", Digest(stub + string(8, '\0')),
         Sha256sum(stub + string(8, '\0'))},
        {"with bytes after", Digest(stub + "x"), Sha256sum(stub + "x")},
        {"changed", Digest(changed), Sha256sum(changed)},
        {"not a program", Digest("MZ but no more"), Sha256sum("MZ but no more")},
    };
    for (const auto& c : cases) EXPECT_EQ(c.digest, c.expected) << c.what;
    EXPECT_NE(Digest(changed), expected);
}

TEST(DefaultStub, BesideTheProgramThenInItsShareFolder) {
    using Paths = std::vector<string>;
    EXPECT_EQ(kvpack::DefaultStubCandidates("/opt/kv/bin/kervale-pack"),
              (Paths{"/opt/kv/bin/kervale-stub.exe", "/opt/kv/share/kervale/kervale-stub.exe"}));
    EXPECT_EQ(kvpack::DefaultStubCandidates("/kervale-pack"),
              (Paths{"/kervale-stub.exe", "/share/kervale/kervale-stub.exe"}));
    EXPECT_EQ(kvpack::DefaultStubCandidates(""), Paths{});  // never the current folder
}

}  // namespace
