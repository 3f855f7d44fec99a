#include "package_reader.h"

#include <unordered_map>

namespace kvpack {

namespace {

// The installer reads the whole descriptor; a sound one is a few hundred
// bytes, so a bounded prefix is all the tool ever loads.
constexpr int64_t kDescriptorReadLimit = 1 << 20;

const char kDamagedOutcome[] =
    "the installer would show \"This file is damaged. Try downloading the file again.\"";

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Says which entry spells `name` in another case, when one does.
std::string CaseHint(const PackageListing& listing, const std::string& name) {
    for (const kv::TrailerEntry& e : listing.entries)
        if (EqualIgnoringCase(e.name, name))
            return " (it holds " + Quoted(e.name) + "; the names must match in case)";
    return std::string();
}

bool HoldsExactly(const PackageListing& listing, const std::string& name) {
    for (const kv::TrailerEntry& e : listing.entries)
        if (e.name == name) return true;
    return false;
}

}  // namespace

Role PackageListing::RoleAt(size_t i) const {
    return RoleOf(entries[i].name, has_descriptor() ? &descriptor : nullptr);
}

PackageListing ReadPackage(kv::ByteSource& source) {
    PackageListing listing;
    listing.length = source.size();
    kv::TrailerWalker walker(source);
    listing.error = walker.Start();
    listing.count_field_failed = listing.error != kv::TrailerError::None;
    listing.count = walker.count();
    kv::TrailerEntry entry;
    while (listing.error == kv::TrailerError::None && !walker.done()) {
        listing.error = walker.Next(entry);
        if (listing.error == kv::TrailerError::None) listing.entries.push_back(entry);
    }
    listing.package_end = walker.package_end();
    if (!listing.walked()) return listing;
    listing.stub_length = walker.lowest_offset();
    listing.integrity = kv::CheckIntegrity(source, listing.package_end, listing.stub_length);

    if (!HoldsExactly(listing, kv::kDescriptorName)) return listing;
    // Entries are extracted in order into one folder, so the last of the
    // same name, in any case, is the file the installer opens.
    for (size_t i = 0; i < listing.entries.size(); ++i)
        if (EqualIgnoringCase(listing.entries[i].name, kv::kDescriptorName))
            listing.descriptor_entry = static_cast<int>(i);

    const kv::TrailerEntry& d = listing.entries[static_cast<size_t>(listing.descriptor_entry)];
    const int64_t n = d.size < kDescriptorReadLimit ? d.size : kDescriptorReadLimit;
    std::string text(static_cast<size_t>(n), '\0');
    if (n > 0 && !source.read(d.body_offset, &text[0], text.size())) {
        listing.descriptor_error = "its body cannot be read";
        return listing;
    }
    listing.descriptor_fields =
        kv::ReadDescriptor(text.data(), text.size(), kv::kDescriptorFields, listing.descriptor);
    if (listing.descriptor_fields < kv::kDescriptorFields && d.size > n)
        listing.descriptor_error =
            "it is " + std::to_string(d.size) + " bytes long, far more than a descriptor holds";
    return listing;
}

PackageVerdict JudgePackage(const PackageListing& listing) {
    PackageVerdict verdict;
    std::string& problem = verdict.problem;

    if (!listing.walked()) {
        const std::string where = listing.count_field_failed
                                      ? std::string("at its count field")
                                      : "at entry " + std::to_string(listing.entries.size() + 1);
        const std::string what =
            listing.count_field_failed && listing.error == kv::TrailerError::PositionBeforeStart
                ? "the file is too short to hold one (" + std::to_string(listing.length) + " bytes)"
                : std::string(kv::Describe(listing.error));
        problem = "the package trailer is damaged " + where + ": " + what + "; " + kDamagedOutcome;
        return verdict;
    }

    if (listing.integrity == kv::IntegrityState::Mismatch) {
        problem = "the package's checksum does not match its content: the file is damaged; " +
                  std::string(kDamagedOutcome);
        return verdict;
    }
    if (listing.integrity == kv::IntegrityState::RecordDamaged) {
        problem = "the package's integrity record is damaged (its marker or version was changed); " +
                  std::string(kDamagedOutcome);
        return verdict;
    }

    // Names that Windows would store as one file overwrite each other when
    // the installer extracts them.
    std::unordered_map<std::string, size_t> seen;
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        auto inserted = seen.emplace(UpperAscii(listing.entries[i].name), i);
        if (!inserted.second) {
            const size_t first = inserted.first->second;
            verdict.warnings.push_back(
                "entries " + std::to_string(first + 1) + " and " + std::to_string(i + 1) + ", " +
                Quoted(listing.entries[first].name) + " and " + Quoted(listing.entries[i].name) +
                ", are one file on Windows: the later one overwrites the earlier");
        }
    }

    if (listing.descriptor_entry < 0) {
        problem = "the package holds no entry named KERVALE.DAT" +
                  CaseHint(listing, kv::kDescriptorName) + "; " + kDamagedOutcome;
        return verdict;
    }
    if (!listing.descriptor_error.empty()) {
        problem = "the descriptor KERVALE.DAT cannot be read: " + listing.descriptor_error + "; " +
                  kDamagedOutcome;
        return verdict;
    }
    const kv::Descriptor& d = listing.descriptor;
    if (listing.descriptor_fields < 5) {
        problem = "the descriptor KERVALE.DAT ends after " +
                  std::to_string(listing.descriptor_fields) + " of its six fields; " +
                  kDamagedOutcome;
        return verdict;
    }
    if (!kv::HasValidSignature(d)) {
        problem = "the descriptor's signature is " + Quoted(d.signature) + ", not \"" +
                  kv::kSignature +
                  "\"; the installer would show \"The kervale datafile is corrupted.\" and stop";
        return verdict;
    }
    if (listing.descriptor_fields == 5) {
        problem =
            "the descriptor KERVALE.DAT holds only five fields: the link title (field 6) is "
            "missing, and the installer's welcome page stops when it reads it";
        return verdict;
    }
    if (d.readme != kv::kNoReadme && !HoldsExactly(listing, d.readme)) {
        problem = "the descriptor names the readme " + Quoted(d.readme) +
                  ", which the package does not hold" + CaseHint(listing, d.readme);
        return verdict;
    }
    if (d.license != kv::kNoLicense && !HoldsExactly(listing, d.license)) {
        problem = "the descriptor names the license " + Quoted(d.license) +
                  ", which the package does not hold" + CaseHint(listing, d.license);
        return verdict;
    }
    size_t fonts = 0;
    for (size_t i = 0; i < listing.entries.size(); ++i)
        if (listing.RoleAt(i) == Role::Font) ++fonts;
    if (fonts == 0) problem = "the package holds no font file: the installer would install nothing";
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
    if (listing.is_signed())
        text += "; signed (certificate table of " +
                std::to_string(listing.length - listing.package_end) + " bytes)";
    return text;
}

std::string Summary(const PackageListing& listing) {
    size_t fonts = 0;
    for (size_t i = 0; i < listing.entries.size(); ++i)
        if (listing.RoleAt(i) == Role::Font) ++fonts;
    const kv::Descriptor& d = listing.descriptor;
    std::string text = std::to_string(listing.entries.size()) + " files (descriptor, ";
    text += d.readme == kv::kNoReadme ? std::string("no readme") : "readme " + Quoted(d.readme);
    text += ", ";
    text +=
        d.license == kv::kNoLicense ? std::string("no license") : "license " + Quoted(d.license);
    text += ", " + std::to_string(fonts) + (fonts == 1 ? " font)" : " fonts)");
    text += "; font name " + Quoted(d.font_name);
    text += d.web_url.empty() ? std::string("; no web link")
                              : "; web link " + Quoted(d.link_name) + " to " + d.web_url;
    text += "; " + IntegrityText(listing);
    return text;
}

}  // namespace kvpack
