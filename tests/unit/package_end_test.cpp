#include "package_end.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "installer_verdict.h"
#include "integrity.h"
#include "test_packages.h"
#include "name_rules.h"
#include "pe_image.h"
#include "trailer.h"

namespace {

using std::string;
using testpkg::Files;
using testpkg::Pack;

const Files kFiles{{"KERVALE.DAT", "\"KERVALE DATAFILE 1\"\r\n\"NOREADME\"\r\n\"NOLICENSE\"\r\n"},
                   {"Sans.ttf", string(700, 'f')},
                   {"Sans Bold.ttf", string(333, 'b')}};

void Put32(string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// The smallest PE32 image header the reader understands, padded to `size`.
string PeStub(size_t size) {
    string s(size, '\0');
    s[0] = 'M';
    s[1] = 'Z';
    Put32(s, 0x3C, 0x40);
    std::memcpy(&s[0x40], "PE\0\0", 4);
    s[0x40 + 4 + 16] = static_cast<char>(0xE0);  // SizeOfOptionalHeader
    s[0x58] = 0x0B;                              // PE32 magic 0x10B
    s[0x59] = 0x01;
    Put32(s, 0x58 + 92, 16);  // NumberOfRvaAndSizes
    return s;
}
constexpr size_t kSecurityEntry = 0x58 + 96 + 4 * 8;

// What a signing tool does: pad to 8, append a certificate table, and point
// the security directory at it.
string Sign(string package, uint32_t table_size = 24, uint32_t cert_length = 24) {
    while (package.size() % 8) package += '\0';
    const uint32_t offset = static_cast<uint32_t>(package.size());
    string table(table_size, 'C');
    if (table_size >= 8) {
        Put32(table, 0, cert_length);
        table[4] = 0x00;
        table[5] = 0x02;
        table[6] = 0x02;
        table[7] = 0x00;
    }
    Put32(package, kSecurityEntry, offset);
    Put32(package, kSecurityEntry + 4, table_size);
    return package + table;
}

struct Walk {
    kv::TrailerError error;
    Files files;
    int64_t lowest;
    int64_t end;
};

Walk Read(const string& package) {
    kv::MemorySource source(package.data(), package.size());
    kv::TrailerWalker walker(source);
    Walk w{walker.Start(), {}, 0, 0};
    kv::TrailerEntry e;
    while (w.error == kv::TrailerError::None && !walker.done()) {
        w.error = walker.Next(e);
        if (w.error != kv::TrailerError::None) break;
        string body(static_cast<size_t>(e.size), '\0');
        source.read(e.body_offset, &body[0], body.size());
        w.files.emplace_back(e.name, body);
    }
    w.lowest = walker.lowest_offset();
    w.end = walker.package_end();
    return w;
}

kv::IntegrityState Check(const string& package) {
    Walk w = Read(package);
    if (w.error != kv::TrailerError::None) return kv::IntegrityState::Mismatch;
    kv::MemorySource source(package.data(), package.size());
    return kv::CheckIntegrity(source, w.end, w.lowest);
}

TEST(PackageAlignment, EveryPackageIsAMultipleOfEightAndReadsTheSame) {
    for (size_t stub_size = 0; stub_size < 24; ++stub_size) {
        const string package = Pack(string(stub_size, 'S'), kFiles);
        EXPECT_EQ(package.size() % 8, 0u) << stub_size;
        Walk w = Read(package);
        ASSERT_EQ(w.error, kv::TrailerError::None);
        EXPECT_EQ(w.files, kFiles);
        // The padding lies between the stub and the last body.
        EXPECT_GE(w.lowest, static_cast<int64_t>(stub_size));
        EXPECT_LT(w.lowest, static_cast<int64_t>(stub_size) + 8);
    }
}

TEST(Crc32, MatchesTheStandardCheckValue) {
    EXPECT_EQ(kv::Crc32(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(kv::Crc32(kv::Crc32(0, "1234", 4), "56789", 5), 0xCBF43926u);
    EXPECT_EQ(kv::Crc32(0, "", 0), 0u);
}

TEST(IntegrityRecord, AWrittenPackageChecksOut) {
    EXPECT_EQ(Check(Pack(PeStub(1024), kFiles)), kv::IntegrityState::Valid);
    EXPECT_EQ(Check(Pack("", {{"KERVALE.DAT", ""}})), kv::IntegrityState::Valid);
}

TEST(IntegrityRecord, EverySingleByteChangeOfThePayloadIsCaught) {
    const string stub = PeStub(512);
    const string package = Pack(stub, kFiles);
    const Walk w = Read(package);
    const int64_t count_end = w.end - kv::kFillerBytes;
    for (int64_t at = w.lowest; at < count_end; ++at) {
        string changed = package;
        changed[at] = static_cast<char>(changed[at] ^ 0x01);
        Walk cw = Read(changed);
        if (cw.error != kv::TrailerError::None) continue;  // the walk itself refuses it
        kv::MemorySource source(changed.data(), changed.size());
        EXPECT_EQ(kv::CheckIntegrity(source, cw.end, cw.lowest), kv::IntegrityState::Mismatch)
            << "byte " << at;
    }
    // The record itself damaged: a changed CRC or length is a mismatch.
    for (int64_t at : {count_end + 20, count_end + 28}) {
        string changed = package;
        changed[at] = static_cast<char>(changed[at] ^ 0x40);
        EXPECT_EQ(Check(changed), kv::IntegrityState::Mismatch);
    }
}

// Older packages hold zeros where the record goes: only the record's 32
// bytes all zero mean "no record"; anything else there is damage.
TEST(IntegrityRecord, PackagesWithoutARecordReadAsBefore) {
    string package = Pack(PeStub(512), kFiles);
    const int64_t filler = static_cast<int64_t>(package.size()) - kv::kFillerBytes;
    string zeroed = package;
    std::memset(&zeroed[filler], 0, kv::kFillerBytes);
    EXPECT_EQ(Check(zeroed), kv::IntegrityState::Absent);
    EXPECT_EQ(Read(zeroed).files, kFiles);
    string rest_not_zero = zeroed;
    std::memset(&rest_not_zero[filler + kv::kRecordBytes], 'x',
                kv::kFillerBytes - kv::kRecordBytes);
    EXPECT_EQ(Check(rest_not_zero), kv::IntegrityState::Absent);
    string other = package;
    std::memset(&other[filler], 'x', kv::kFillerBytes);
    EXPECT_EQ(Check(other), kv::IntegrityState::RecordDamaged);
    for (int64_t at = 0; at < kv::kRecordBytes; ++at) {
        string one_byte = zeroed;
        one_byte[filler + at] = 1;
        EXPECT_EQ(Check(one_byte), kv::IntegrityState::RecordDamaged) << "byte " << at;
    }
}

TEST(IntegrityRecord, ANearlyIntactRecordIsDamagedNeverAbsent) {
    // One changed byte in the marker or the version must not turn the check
    // off, nor may any other change. Bits are flipped at spread positions of
    // the 16-byte marker.
    const string package = Pack(PeStub(512), kFiles);
    const size_t filler = package.size() - kv::kFillerBytes;
    const struct {
        std::vector<size_t> marker_bits;
        char version;
        kv::IntegrityState expected;
    } cases[] = {
        {{}, 1, kv::IntegrityState::Valid},
        {{5}, 1, kv::IntegrityState::RecordDamaged},
        {{0, 127}, 1, kv::IntegrityState::RecordDamaged},
        {{9, 10}, 1, kv::IntegrityState::RecordDamaged},
        {{0, 64, 127}, 1, kv::IntegrityState::RecordDamaged},
        {{0, 1, 3, 6}, 1, kv::IntegrityState::RecordDamaged},  // the "K" zeroed
        {{}, 2, kv::IntegrityState::RecordDamaged},
        {{}, 0, kv::IntegrityState::RecordDamaged},
    };
    for (const auto& c : cases) {
        string changed = package;
        for (size_t bit : c.marker_bits)
            changed[filler + bit / 8] =
                static_cast<char>(changed[filler + bit / 8] ^ (1 << bit % 8));
        changed[filler + 16] = c.version;
        EXPECT_EQ(Check(changed), c.expected)
            << c.marker_bits.size() << " bits, version " << int{c.version};
        // The installer refuses a damaged record before it writes anything.
        const kv::ListingFacts listing{kv::TrailerError::None, Check(changed), true};
        EXPECT_EQ(kv::JudgeAsInstaller(listing, nullptr).accepted(),
                  c.expected != kv::IntegrityState::RecordDamaged);
    }
}

TEST(SignedPackage, TheCertificateTableAtTheEndIsNotPartOfThePackage) {
    const string package = Pack(PeStub(1000), kFiles);
    const string signed_package = Sign(package);
    Walk w = Read(signed_package);
    ASSERT_EQ(w.error, kv::TrailerError::None);
    EXPECT_EQ(w.files, kFiles);
    EXPECT_EQ(w.end, static_cast<int64_t>(package.size()));
    EXPECT_EQ(Check(signed_package), kv::IntegrityState::Valid);
    // Several certificates in one table.
    string two = Sign(package, 48, 20);
    Put32(two, package.size() + 24, 24);
    EXPECT_EQ(Read(two).error, kv::TrailerError::None);
}

TEST(SignedPackage, MalformedTablesThatEndTheFileAreRefused) {
    const string package = Pack(PeStub(1000), kFiles);
    const auto damaged = kv::TrailerError::CertificateTableDamaged;
    EXPECT_EQ(Read(Sign(package, 24, 0)).error, damaged);     // a certificate of length 0
    EXPECT_EQ(Read(Sign(package, 24, 4000)).error, damaged);  // longer than its table
    EXPECT_EQ(Read(Sign(package, 4, 4)).error, damaged);      // no room for a header
    string misaligned = Sign(package, 24);
    Put32(misaligned, kSecurityEntry, static_cast<uint32_t>(package.size() - 4));
    Put32(misaligned, kSecurityEntry + 4, 28);
    EXPECT_EQ(Read(misaligned).error, damaged);
    // Millions of 8-byte certificates are not read one by one.
    const uint32_t many = 8 * (kv::kMaxCertificates + 1);
    string table(many, '\0');
    for (uint32_t at = 0; at < many; at += 8) Put32(table, at, 8);
    string crowded = Sign(package, many);
    crowded.replace(crowded.size() - many, many, table);
    EXPECT_EQ(Read(crowded).error, damaged);
    string full = Sign(package, many - 8);
    full.replace(full.size() - (many - 8), many - 8, table.substr(8));
    EXPECT_EQ(Read(full).error, kv::TrailerError::None);
}

TEST(SignedPackage, ATableThatDoesNotEndTheFileDoesNotCount) {
    // A package built on a signed stub: the stub's table lies inside the
    // stub, the package ends at the end of the file.
    const string signed_stub = Sign(PeStub(1000));
    const string package = Pack(signed_stub, kFiles);
    Walk w = Read(package);
    ASSERT_EQ(w.error, kv::TrailerError::None);
    EXPECT_EQ(w.files, kFiles);
    EXPECT_EQ(w.end, static_cast<int64_t>(package.size()));
    EXPECT_EQ(Check(package), kv::IntegrityState::Valid);
    // Entries that claim more than the file has, or lie beyond it.
    for (const std::pair<uint32_t, uint32_t>& entry :
         {std::make_pair(static_cast<uint32_t>(package.size() - 8), 4096u),
          std::make_pair(0xFFFFFFF8u, 0xFFFFFFF0u), std::make_pair(8u, 8u)}) {
        string changed = package;
        Put32(changed, kSecurityEntry, entry.first);
        Put32(changed, kSecurityEntry + 4, entry.second);
        EXPECT_EQ(Read(changed).files, kFiles) << entry.first;
    }
}

// Each PE field comes from within its header and the file: the security
// directory entry where PE32 and PE32+ keep it, and nothing from headers
// that the file cuts short or that are smaller than the field's place.
TEST(PeImage, FieldsAreReadWithinTheirHeadersAndTheFile) {
    const string pe32 = PeStub(1000);
    const auto with = [](string s, size_t at, uint32_t value, int width) {
        for (int i = 0; i < width; ++i) s[at + i] = static_cast<char>(value >> (8 * i));
        return s;
    };
    constexpr size_t kOptional = 0x58, kSizeField = 0x40 + 4 + 16;
    string pe32_plus = with(with(pe32, kOptional, 0x20B, 2), kSizeField, 0xF0, 2);
    pe32_plus = with(pe32_plus, kOptional + 108, 16, 4);
    const string gui = with(pe32, kOptional + 68, 2, 2);
    const struct {
        const char* what;
        string file;
        bool pe;
        uint16_t magic = 0, subsystem = 0;
        int64_t entry_at = -1;
    } rows[] = {
        {"PE32", pe32, true, 0x10B, 0, kSecurityEntry},
        {"GUI subsystem", gui, true, 0x10B, 2, kSecurityEntry},
        {"PE32+", pe32_plus, true, 0x20B, 0, kOptional + 112 + 32},
        {"no MZ", with(pe32, 0, 'Z' | 'M' << 8, 2), false},
        {"cut in the DOS header", pe32.substr(0, 63), false},
        {"PE offset past the end", with(pe32, 0x3C, 0xFFFFFFF0, 4), false},
        {"PE offset onto the DOS header", with(pe32, 0x3C, 0, 4), false},
        {"other signature", with(pe32, 0x43, 1, 1), false},
        {"file header cut", pe32.substr(0, 0x40 + 23), false},
        {"magic cut", pe32.substr(0, kOptional + 1), false},
        {"only the magic", pe32.substr(0, kOptional + 2), true, 0x10B, 0, -1},
        {"unknown magic", with(pe32, kOptional, 0x107, 2), false},
        {"no room for the magic", with(pe32, kSizeField, 1, 2), false},
        {"ends before the subsystem", with(gui, kSizeField, 69, 2), true, 0x10B, 0, -1},
        {"ends inside the entry", with(gui, kSizeField, 96 + 32 + 7, 2), true, 0x10B, 2, -1},
        {"four directories", with(pe32, kOptional + 92, 4, 4), true, 0x10B, 0, -1},
        {"entry cut by the file", pe32.substr(0, kSecurityEntry + 7), true, 0x10B, 0, -1},
        {"entry whole", pe32.substr(0, kSecurityEntry + 8), true, 0x10B, 0, kSecurityEntry},
    };
    for (const auto& row : rows) {
        kv::MemorySource source(row.file.data(), row.file.size());
        kv::PeImage image;
        const bool pe = kv::ReadPeImage(source, image);
        EXPECT_EQ(pe, row.pe) << row.what;
        if (!pe || !row.pe) continue;
        EXPECT_EQ(image.magic, row.magic) << row.what;
        EXPECT_EQ(image.subsystem, row.subsystem) << row.what;
        EXPECT_EQ(image.security_entry_at, row.entry_at) << row.what;
    }
    const string signed_stub = Sign(pe32, 40, 40);
    kv::MemorySource source(signed_stub.data(), signed_stub.size());
    kv::PeImage image;
    ASSERT_TRUE(kv::ReadPeImage(source, image));
    EXPECT_EQ(image.security_offset, 1000u);
    EXPECT_EQ(image.security_size, 40u);
}

TEST(SignedPackage, FilesThatAreNoPeImageEndAtTheirLength) {
    // A stub without PE headers, or an unsigned one, has no table.
    for (const string& stub : {string(100, 'S'), string("MZ"), PeStub(1000), string()}) {
        const string package = Pack(stub, kFiles);
        Walk w = Read(package);
        ASSERT_EQ(w.error, kv::TrailerError::None);
        EXPECT_EQ(w.end, static_cast<int64_t>(package.size()));
        EXPECT_EQ(w.files, kFiles);
    }
}

TEST(SignedPackage, TruncationsAndByteChangesOfASignedPackageNeverEscape) {
    const string signed_package = Sign(Pack(PeStub(256), kFiles));
    for (size_t len = 0; len <= signed_package.size(); ++len) {
        Walk w = Read(signed_package.substr(0, len));
        for (const auto& f : w.files) EXPECT_TRUE(kv::IsBareFileName(f.first));
    }
    for (size_t at = 0; at < signed_package.size(); ++at) {
        string changed = signed_package;
        changed[at] = static_cast<char>(~changed[at]);
        Walk w = Read(changed);
        for (const auto& f : w.files) EXPECT_TRUE(kv::IsBareFileName(f.first));
        if (w.error == kv::TrailerError::None) {
            kv::MemorySource source(changed.data(), changed.size());
            kv::CheckIntegrity(source, w.end, w.lowest);
        }
    }
}

// What the installer accepts before it writes anything, read as it reads
// it: the walk, the checksum when there is one, and a listed descriptor.
bool AcceptedListing(const string& package, Files& files) {
    kv::MemorySource source(package.data(), package.size());
    Files listed;
    const kv::PackageWalk walk = kv::WalkPackage(
        source,
        [&](const kv::TrailerEntry& e) {
            string body(static_cast<size_t>(e.size), '\0');
            source.read(e.body_offset, &body[0], body.size());
            listed.emplace_back(e.name, body);
        },
        nullptr, nullptr);
    if (!kv::JudgeAsInstaller(walk.facts, nullptr).accepted()) return false;
    files = listed;
    return true;
}

TEST(IntegrityRecord, EveryTruncationAndByteChangeGivesAnErrorOrTheOriginalListing) {
    const string package = Pack(PeStub(300), kFiles);
    Files files;
    for (size_t len = 0; len < package.size(); ++len) {
        if (AcceptedListing(package.substr(0, len), files)) {
            EXPECT_EQ(files, kFiles) << "cut to " << len;
        }
    }
    for (size_t at = 0; at < package.size(); ++at) {
        for (int mask : {0x01, 0x10, 0x80, 0xFF}) {
            string changed = package;
            changed[at] = static_cast<char>(changed[at] ^ mask);
            if (AcceptedListing(changed, files)) {
                EXPECT_EQ(files, kFiles) << "byte " << at << " ^ " << mask;
            }
        }
    }
}

}  // namespace
