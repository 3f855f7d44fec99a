// Reads a built package the way the installer does: the trailer walk of the
// format core, then the descriptor that the installer would find on disk.
// Works on any kv::ByteSource, so it is tested on memory buffers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "byte_source.h"
#include "descriptor.h"
#include "fontinfo.h"
#include "installer_verdict.h"
#include "integrity.h"
#include "option_checks.h"
#include "pe_image.h"
#include "trailer.h"

namespace kvpack {

struct PackageListing {
    int64_t length = 0;
    int count = 0;  // the count field as decoded
    std::vector<kv::TrailerEntry> entries;
    kv::TrailerError error = kv::TrailerError::None;  // the walk's, after `entries`
    bool count_field_failed = false;                  // the error came before any entry
    // The walk failed and the file's end holds nothing a package writer
    // leaves there: it is no installer at all, rather than a damaged one.
    bool no_trailer = false;
    std::string refused_name;  // the name that failed the name rule (NameNotBare)
    int64_t stub_length = 0;   // valid when the walk succeeded
    int64_t package_end = 0;   // where the package ends: before a signature's certificate table
    kv::IntegrityState integrity = kv::IntegrityState::Absent;  // valid when the walk succeeded
    bool descriptor_listed = false;  // an entry bears the name KERVALE.DAT exactly
    // A certificate table after the package, from signing the installer.
    bool has_certificate_table() const { return package_end < length; }

    // The stub's PE headers, read within the stub; valid when the walk
    // succeeded.
    bool stub_is_pe = false;
    kv::PeImage stub_image;

    // The entry whose content the installer reads as KERVALE.DAT: the last one
    // extracted under that name in any case (Windows names ignore case), or
    // -1. Only looked for when an entry bears the exact name.
    int descriptor_entry = -1;
    int descriptor_fields = 0;     // how many of the six fields it holds
    std::string descriptor_error;  // the entry could not be read
    kv::Descriptor descriptor;

    // What the installer would make of it, by the installer's own rule.
    kv::InstallerVerdict installer;

    // Every font entry's verdict from the font checks, in entry order
    // (faces are counted, not kept); filled when ReadPackage was asked to
    // read the fonts and the descriptor says which entries are fonts.
    struct FontEntry {
        size_t entry;  // index into `entries`
        kv::fontinfo::FontFile font;
    };
    std::vector<FontEntry> fonts;

    bool walked() const { return error == kv::TrailerError::None; }
    bool has_descriptor() const { return descriptor_entry >= 0 && descriptor_error.empty(); }
    Role RoleAt(size_t i) const;
    // How many entries the installer copies into the Fonts folder.
    size_t font_count() const;
};

// Zeroes what of the `size` bytes at `at` falls within the `n` bytes read
// at `offset` into `out`: a header field read as zeros. Nothing when `at`
// is negative (the image has no such field).
void ZeroField(int64_t at, int64_t size, int64_t offset, void* out, size_t n);

// The stub as the build copies it. A signed stub's certificate table is left
// out and its security directory entry reads as zeros: appending a package
// voids the signature anyway, and a table inside the installer would make
// signing the finished file fail or misread it.
class StubWithoutSignature final : public kv::ByteSource {
public:
    StubWithoutSignature(kv::ByteSource& stub, const kv::PeImage& image);
    // False when the stub's certificate table does not end the stub.
    bool sound() const { return sound_; }
    // The bytes left out; 0 for an unsigned stub.
    int64_t removed() const { return removed_; }

    int64_t size() override { return size_; }
    bool read(int64_t offset, void* out, size_t n) override;

private:
    kv::ByteSource& stub_;
    int64_t size_ = 0;
    int64_t removed_ = 0;
    int64_t entry_at_ = -1;  // the security directory entry, cleared
    bool sound_ = true;
};

// Whether ReadPackage also reads every font entry with the font checks:
// list and verify do; extract has no use for what a font says.
enum class ReadFonts { No, Yes };

// Walks the trailer and reads the descriptor, and the fonts if asked. Never
// fails as such: what went wrong is recorded in the listing.
PackageListing ReadPackage(kv::ByteSource& source, ReadFonts fonts);

// What list, extract and verify say of a file with no package trailer,
// after its name.
std::string NotAnInstallerText(const PackageListing& listing);

// Why the installer itself would stop on this package (`installer`), in
// words: its damaged-file message or its corrupted-datafile message. ""
// when it would run.
std::string InstallerRefusal(const PackageListing& listing);

struct PackageVerdict {
    std::string problem;  // why the installer rejects or breaks; "" when fine
    std::vector<std::string> warnings;
    bool ok() const { return problem.empty(); }
};

// What the installer would make of the package, judged by the same rules as
// the build: the first problem, and the warnings worth a word. Its fonts are
// judged when ReadPackage read them.
PackageVerdict JudgePackage(const PackageListing& listing);

// The integrity record's state, and the signature's table if there is one.
std::string IntegrityText(const PackageListing& listing);

// One line for verify: files, roles, font name, web link, checksum. Every
// value from the package is escaped.
std::string Summary(const PackageListing& listing);

// What each font entry is, for list and verify, written a line at a time:
// one line per font, and for a collection one more per face (indented by
// two spaces), the first kFacesShown faces and then how many more there
// are. Each font is read here, one at a time, and nothing of it is kept once
// its lines are written, so a package of any number of fonts and faces is
// listed in the same memory. Escaped. Returns how many font entries are not
// fonts.
constexpr size_t kFacesShown = 10;
using LineWriter = void (*)(const std::string& line, void* context);
size_t WriteFontLines(kv::ByteSource& source, const PackageListing& listing, LineWriter write,
                      void* context);

}  // namespace kvpack
