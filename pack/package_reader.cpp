#include "package_reader.h"

#include <cstring>

#include "describe.h"
#include "installer_verdict.h"
#include "name_rules.h"
#include "text_utils.h"

namespace kvpack {

namespace {

// The installer reads a descriptor up to kv::kMaxTextBytes, as it reads
// every text; the tool reads as much, so both find the same fields.
constexpr int64_t kDescriptorReadLimit = static_cast<int64_t>(kv::kMaxTextBytes);

const char kDamagedOutcome[] =
    "the installer would show \"This file is damaged. Try downloading the file again.\"";
const char kCorruptedOutcome[] =
    "the installer would show \"The kervale datafile is corrupted.\" and stop";

// Says which entry spells `name` in another case, when one does.
std::string CaseHint(const PackageListing& listing, std::string_view name) {
    for (const kv::TrailerEntry& e : listing.entries)
        if (kv::SameWindowsName(e.name, name))
            return " (it holds " + QuotedWindows1252(e.name) + "; the names must match in case)";
    return std::string();
}

bool HoldsExactly(const PackageListing& listing, std::string_view name) {
    for (const kv::TrailerEntry& e : listing.entries)
        if (e.name == name) return true;
    return false;
}

}  // namespace

StubWithoutSignature::StubWithoutSignature(kv::ByteSource& stub, const kv::PeImage& image)
    : stub_(stub), size_(stub.size()) {
    if (image.security_entry_at < 0 || image.security_size == 0) return;
    const int64_t table_end =
        static_cast<int64_t>(image.security_offset) + static_cast<int64_t>(image.security_size);
    if (table_end != size_ || image.security_offset == 0 ||
        image.security_entry_at + kv::pe::kDirectoryBytes > image.security_offset) {
        sound_ = false;
        return;
    }
    entry_at_ = image.security_entry_at;
    removed_ = image.security_size;
    size_ = image.security_offset;
}

void ZeroField(int64_t at, int64_t size, int64_t offset, void* out, size_t n) {
    const int64_t end = offset + static_cast<int64_t>(n);
    const int64_t from = at > offset ? at : offset;
    const int64_t to = at + size < end ? at + size : end;
    if (at >= 0 && from < to)
        std::memset(static_cast<unsigned char*>(out) + (from - offset), 0,
                    static_cast<size_t>(to - from));
}

bool StubWithoutSignature::read(int64_t offset, void* out, size_t n) {
    if (offset < 0 || offset > size_ || static_cast<int64_t>(n) > size_ - offset) return false;
    if (!stub_.read(offset, out, n)) return false;
    ZeroField(entry_at_, kv::pe::kDirectoryBytes, offset, out, n);
    return true;
}

Role PackageListing::RoleAt(size_t i) const {
    return RoleOf(entries[i].name, has_descriptor() ? &descriptor : nullptr);
}

size_t PackageListing::font_count() const {
    size_t fonts = 0;
    for (size_t i = 0; i < entries.size(); ++i)
        if (RoleAt(i) == Role::Font) ++fonts;
    return fonts;
}

namespace {

void ReadFontEntries(kv::ByteSource& source, PackageListing& listing) {
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        if (listing.RoleAt(i) != Role::Font) continue;
        const kv::TrailerEntry& e = listing.entries[i];
        kv::SliceSource body(source, e.body_offset, e.size);
        listing.fonts.push_back({i, kv::fontinfo::Inspect(body, 0)});
    }
}

// Whether the end of the file carries what a package writer leaves there:
// the integrity record's marker (whatever follows it), or a count field in
// the writer's form (digits, then NUL bytes or spaces). A walk that fails
// without either found no trailer, not a damaged one: any other file fails
// the walk too. (Bytes that are neither zero nor a record are damage to the
// installer; without the marker they only tell that the file is no package.)
bool HasTrailerMarks(kv::ByteSource& source, int64_t package_end) {
    const int64_t count_at = package_end - kv::kTrailerTailBytes;
    if (count_at < 0) return false;
    char marker[sizeof kv::kRecordMarker];
    if (source.read(package_end - kv::kFillerBytes, marker, sizeof marker) &&
        std::memcmp(marker, kv::kRecordMarker, sizeof marker) == 0)
        return true;
    char field[kv::kCountBytes];
    if (!source.read(count_at, field, sizeof field)) return false;
    size_t i = 0;
    while (i < sizeof field && field[i] == ' ') ++i;
    if (i < sizeof field && field[i] == '-') ++i;
    const size_t digits_from = i;
    while (i < sizeof field && field[i] >= '0' && field[i] <= '9') ++i;
    if (i == digits_from) return false;
    while (i < sizeof field && (field[i] == '\0' || field[i] == ' ')) ++i;
    return i == sizeof field;
}

// The trailer walk as the installer makes it, keeping the entries read
// before an error and the name that broke the name rule.
void WalkEntries(kv::ByteSource& source, PackageListing& listing) {
    const kv::PackageWalk walk = kv::WalkPackage(
        source, [&](const kv::TrailerEntry& entry) { listing.entries.push_back(entry); }, nullptr,
        nullptr);
    listing.error = walk.facts.walk;
    listing.integrity = walk.facts.integrity;
    listing.descriptor_listed = walk.facts.descriptor_listed;
    listing.count_field_failed = walk.failed_at_count;
    listing.count = walk.count;
    listing.package_end = walk.package_end;
    listing.no_trailer = listing.error != kv::TrailerError::None &&
                         listing.error != kv::TrailerError::ReadFailed &&
                         listing.error != kv::TrailerError::CertificateTableDamaged &&
                         !HasTrailerMarks(source, listing.package_end);
    if (listing.error == kv::TrailerError::NameNotBare) {
        // The walk stopped at the entry just below the last one it took.
        char field[kv::kNameBytes];
        if (source.read(walk.lowest_offset - kv::kEntryHeadBytes, field, kv::kNameBytes))
            listing.refused_name = kv::DecodeNameField(field);
    }
    if (listing.walked()) listing.stub_length = walk.lowest_offset;
}

// The descriptor the installer would open, read as far as the installer reads it.
void ReadDescriptorEntry(kv::ByteSource& source, PackageListing& listing) {
    // Entries are extracted in order into one folder, so the last of the
    // same name, in any case, is the file the installer opens.
    for (size_t i = 0; i < listing.entries.size(); ++i)
        if (kv::SameWindowsName(listing.entries[i].name, kv::kDescriptorName))
            listing.descriptor_entry = static_cast<int>(i);

    const kv::TrailerEntry& d = listing.entries[static_cast<size_t>(listing.descriptor_entry)];
    const int64_t n = d.size < kDescriptorReadLimit ? d.size : kDescriptorReadLimit;
    std::string text(static_cast<size_t>(n), '\0');
    if (n > 0 && !source.read(d.body_offset, &text[0], text.size())) {
        listing.descriptor_error = "its body cannot be read";
        return;
    }
    listing.descriptor_fields =
        kv::ReadDescriptor(text.data(), text.size(), kv::kDescriptorFields, listing.descriptor);
    if (listing.descriptor_fields < kv::kDescriptorFields && d.size > n)
        listing.descriptor_error =
            "it is " + std::to_string(d.size) + " bytes long, far more than a descriptor holds";
}

// Why the trailer walk stopped, and where.
std::string TrailerDamage(const PackageListing& listing) {
    if (listing.error == kv::TrailerError::CertificateTableDamaged)
        return "the certificate table at the end of the file (from signing) is damaged: its "
               "entries do not fill it";
    std::string what = kv::Describe(listing.error);
    if (listing.count_field_failed) {
        if (listing.error == kv::TrailerError::PositionBeforeStart)
            what =
                "the file is too short to hold one (" + std::to_string(listing.length) + " bytes)";
        what = "at its count field: " + what;
    } else {
        what = "at entry " + std::to_string(listing.entries.size() + 1) + ": " + what;
        if (listing.error == kv::TrailerError::NameNotBare)
            what += ": " + QuotedWindows1252(listing.refused_name) + " " +
                    NameProblem(listing.refused_name);
    }
    return "the package trailer is damaged " + what;
}

}  // namespace

PackageListing ReadPackage(kv::ByteSource& source, ReadFonts fonts) {
    PackageListing listing;
    listing.length = source.size();
    WalkEntries(source, listing);
    const kv::ListingFacts facts{listing.error, listing.integrity, listing.descriptor_listed};
    listing.installer = kv::JudgeAsInstaller(facts, nullptr);
    if (listing.no_trailer) listing.stub_is_pe = kv::ReadPeImage(source, listing.stub_image);
    if (!listing.walked()) return listing;
    kv::SliceSource stub(source, 0, listing.stub_length);
    listing.stub_is_pe = kv::ReadPeImage(stub, listing.stub_image);
    if (!listing.descriptor_listed) return listing;
    ReadDescriptorEntry(source, listing);
    const kv::DescriptorFacts descriptor{listing.descriptor_fields,
                                         kv::HasValidSignature(listing.descriptor)};
    listing.installer = kv::JudgeAsInstaller(facts, &descriptor);
    if (fonts == ReadFonts::Yes && listing.has_descriptor()) ReadFontEntries(source, listing);
    return listing;
}

std::string NotAnInstallerText(const PackageListing& listing) {
    std::string text = "is not a Kervale installer (it has no package trailer)";
    // A download cut short loses the trailer first.
    if (listing.stub_is_pe) text += "; an installer cut short in a download looks the same";
    return text;
}

std::string InstallerRefusal(const PackageListing& listing) {
    std::string why;
    switch (listing.installer.reason) {
    case kv::Refusal::None: return std::string();
    case kv::Refusal::TrailerDamaged:
        if (listing.no_trailer) return "the file " + NotAnInstallerText(listing);
        why = TrailerDamage(listing);
        break;
    case kv::Refusal::ChecksumMismatch:
        why = "the package's checksum does not match its content: the file is damaged";
        break;
    case kv::Refusal::IntegrityRecordDamaged:
        why =
            "the package's integrity record is damaged: its 32 bytes are neither a record this "
            "tool knows nor all zero (as in an older package), so the checksum cannot be "
            "trusted to switch itself off";
        break;
    case kv::Refusal::NoDescriptor:
        why =
            "the package holds no entry named KERVALE.DAT" + CaseHint(listing, kv::kDescriptorName);
        break;
    case kv::Refusal::DescriptorTooShort:
        why = listing.descriptor_error.empty()
                  ? "the descriptor KERVALE.DAT ends after " +
                        std::to_string(listing.descriptor_fields) + " of its six fields"
                  : "the descriptor KERVALE.DAT cannot be read: " + listing.descriptor_error;
        break;
    case kv::Refusal::WrongSignature:
        why = "the descriptor's signature is " + QuotedWindows1252(listing.descriptor.signature) +
              ", not \"" + kv::kSignature + "\"";
        break;
    }
    return why + "; " +
           (listing.installer.outcome() == kv::InstallerOutcome::DatafileCorrupted
                ? kCorruptedOutcome
                : kDamagedOutcome);
}

namespace {

// Names that Windows stores as one file (NTFS folds the accented letters
// too) overwrite each other when the installer extracts them.
std::vector<std::string> SameFileNames(const PackageListing& listing) {
    std::vector<std::string> found, names;
    for (const kv::TrailerEntry& e : listing.entries) names.emplace_back(e.name);
    const std::vector<size_t> first_of = FirstOfSameFile(names);
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        const size_t first = first_of[i];
        if (first == i) continue;
        found.push_back("entries " + std::to_string(first + 1) + " and " + std::to_string(i + 1) +
                        ", " + QuotedWindows1252(listing.entries[first].name) + " and " +
                        QuotedWindows1252(listing.entries[i].name) +
                        ", are one file on Windows: the later one overwrites the earlier");
    }
    return found;
}

// The first problem after the installer's own refusals.
std::string BuildRuleProblem(const PackageListing& listing, std::vector<std::string>& warnings) {
    if (!listing.stub_is_pe || !kv::IsWin32GuiProgram(listing.stub_image))
        return "its stub " + StubProblem(listing.stub_is_pe, listing.stub_image) +
               "; Windows cannot run this file as an installer";
    // A signed installer's directory points at the table after the package;
    // one that points anywhere else is the stub's own, left in by another tool.
    const bool signed_installer =
        listing.has_certificate_table() &&
        listing.stub_image.security_offset == static_cast<uint64_t>(listing.package_end);
    if (listing.stub_image.security_size != 0 && !signed_installer)
        warnings.push_back(
            "its stub still holds its own certificate table, which no longer covers the file; "
            "sign the finished installer instead");

    const kv::Descriptor& d = listing.descriptor;
    if (listing.descriptor_fields == 5)
        return "the descriptor KERVALE.DAT holds only five fields: the link title (field 6) is "
               "missing, so the installer offers the web shortcuts without a title, and one the "
               "user ticks cannot be written";
    const std::vector<std::string> problems = DescriptorValuesProblems(d, kDescriptorLabels);
    if (!problems.empty()) return problems.front();
    if (d.readme != kv::kNoReadme && !HoldsExactly(listing, d.readme))
        return "the descriptor names the readme " + QuotedWindows1252(d.readme) +
               ", which the package does not hold" + CaseHint(listing, d.readme);
    if (d.license != kv::kNoLicense && !HoldsExactly(listing, d.license))
        return "the descriptor names the license " + QuotedWindows1252(d.license) +
               ", which the package does not hold" + CaseHint(listing, d.license);
    if (listing.font_count() == 0)
        return "the package holds no font file: the installer would install nothing";
    return std::string();
}

// "font entry 3 "A.ttf"": how messages name a font entry.
std::string FontEntryLabel(const kv::TrailerEntry& e) {
    return "font entry " + std::to_string(e.index) + " " + QuotedWindows1252(e.name);
}

// The build packs only fonts Windows can install; the installer would copy
// anything else into the Fonts folder all the same.
std::string FontProblem(const PackageListing& listing) {
    for (const PackageListing::FontEntry& f : listing.fonts) {
        if (f.font.verdict == kv::fontinfo::Verdict::Font) continue;
        return kv::fontinfo::RefusalMessage(f.font, FontEntryLabel(listing.entries[f.entry])) +
               "; the installer would copy it into the Fonts folder as a font";
    }
    return std::string();
}

}  // namespace

PackageVerdict JudgePackage(const PackageListing& listing) {
    PackageVerdict verdict;
    verdict.problem = InstallerRefusal(listing);
    if (!listing.walked()) return verdict;
    const std::vector<std::string> same_file = SameFileNames(listing);
    if (verdict.problem.empty()) verdict.problem = BuildRuleProblem(listing, verdict.warnings);
    // The build refuses such names, so a package that holds them fails.
    size_t first = 0;
    if (verdict.problem.empty() && !same_file.empty()) verdict.problem = same_file[first++];
    verdict.warnings.insert(verdict.warnings.end(), same_file.begin() + first, same_file.end());
    if (verdict.problem.empty()) verdict.problem = FontProblem(listing);
    // Older builds stored such names; the installer takes them, so only a word.
    for (const kv::TrailerEntry& e : listing.entries)
        if (HasNonAscii(e.name))
            verdict.warnings.push_back(
                "entry " + std::to_string(e.index) + " " + QuotedWindows1252(e.name) +
                " is not ASCII: Windows spells it differently under other code pages, and "
                "build no longer makes such names");
    return verdict;
}

std::string IntegrityText(const PackageListing& listing) {
    std::string text;
    switch (listing.integrity) {
    case kv::IntegrityState::Valid: text = "checksum matches"; break;
    case kv::IntegrityState::Mismatch: text = "checksum DOES NOT match"; break;
    case kv::IntegrityState::Absent: text = "no checksum (an older package)"; break;
    case kv::IntegrityState::RecordDamaged: text = "integrity record DAMAGED"; break;
    }
    // Only the table's presence is known here: its digest is not checked.
    if (listing.has_certificate_table())
        text += "; carries a certificate table (the signature is not checked)";
    return text;
}

std::string Summary(const PackageListing& listing) {
    const size_t fonts = listing.font_count();
    const kv::Descriptor& d = listing.descriptor;
    std::string text = std::to_string(listing.entries.size()) + " files (descriptor, ";
    text += d.readme == kv::kNoReadme ? std::string("no readme")
                                      : "readme " + QuotedWindows1252(d.readme);
    text += ", ";
    text += d.license == kv::kNoLicense ? std::string("no license")
                                        : "license " + QuotedWindows1252(d.license);
    text += ", " + std::to_string(fonts) + (fonts == 1 ? " font)" : " fonts)");
    text += "; font name " + QuotedWindows1252(d.font_name);
    text += d.web_url.empty() ? std::string("; no web link")
                              : "; web link " + QuotedWindows1252(d.link_name) + " to " +
                                    QuotedWindows1252(d.web_url);
    text += "; " + IntegrityText(listing);
    return text;
}

namespace {

std::string FaceText(const kv::fontinfo::Face& face) {
    const std::string variation = kv::fontinfo::VariationText(face);
    return "family " + Quoted(face.family) + ", style " + Quoted(face.style) + ", version " +
           Quoted(face.version) + ", " + face.format +
           (variation.empty() ? std::string() : ", variable (" + variation + ")");
}

}  // namespace

size_t WriteFontLines(kv::ByteSource& source, const PackageListing& listing, LineWriter write,
                      void* context) {
    size_t not_fonts = 0;
    if (!listing.has_descriptor()) return not_fonts;
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        if (listing.RoleAt(i) != Role::Font) continue;
        const kv::TrailerEntry& e = listing.entries[i];
        kv::SliceSource body(source, e.body_offset, e.size);
        const kv::fontinfo::FontFile font = kv::fontinfo::Inspect(body, kFacesShown);
        const std::string label = FontEntryLabel(e);
        if (font.verdict != kv::fontinfo::Verdict::Font) {
            ++not_fonts;
            write(label + ": " + kv::fontinfo::RefusalMessage(font, "it"), context);
        } else if (!font.collection) {
            write(label + ": " + FaceText(font.faces[0]), context);
        } else {
            write(label + ": " + kv::fontinfo::FileFormat(font), context);
            for (size_t f = 0; f < font.faces.size(); ++f)
                write("  face " + std::to_string(f + 1) + ": " + FaceText(font.faces[f]), context);
            const size_t rest = font.face_count - font.faces.size();
            if (rest > 0)  // "… and 990 more faces"
                write("  \xE2\x80\xA6 and " + std::to_string(rest) +
                          (rest == 1 ? " more face" : " more faces"),
                      context);
        }
    }
    return not_fonts;
}

}  // namespace kvpack
