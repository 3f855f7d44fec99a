#include "stub_identity.h"

#include "file_io.h"
#include "option_checks.h"
#include "package_end.h"
#include "package_reader.h"
#include "pe_image.h"
#include "platform_fs.h"
#include "released_stubs.h"
#include "sha256.h"

namespace kvpack {

namespace {

// Generated from resources/released-stubs.sha256; ends with a null entry.
const char* const kReleasedDigests[] = {KERVALE_RELEASED_STUBS nullptr};

// A source that reads two header fields as zeros.
class ZeroedFields final : public kv::ByteSource {
public:
    ZeroedFields(kv::ByteSource& base, int64_t a, int64_t a_size, int64_t b, int64_t b_size)
        : base_(base), fields_{{a, a_size}, {b, b_size}} {}
    int64_t size() override { return base_.size(); }
    bool read(int64_t offset, void* out, size_t n) override {
        if (!base_.read(offset, out, n)) return false;
        for (const auto& field : fields_) ZeroField(field.at, field.size, offset, out, n);
        return true;
    }

private:
    kv::ByteSource& base_;
    struct {
        int64_t at, size;
    } fields_[2];
};

// Where the PE checksum and the security directory entry lie, and where
// the image's sections end; -1 each when the headers do not tell.
struct ImageLayout {
    int64_t checksum_at = -1;
    int64_t security_at = -1;
    int64_t sections_end = -1;
};

ImageLayout ReadLayout(kv::ByteSource& file) {
    ImageLayout layout;
    kv::PeHeaders headers;
    if (!kv::FindPeHeaders(file, headers)) return layout;
    if (headers.optional_header_size >= kv::pe::kChecksumAt + kv::pe::kChecksumBytes)
        layout.checksum_at = headers.optional_header_at() + kv::pe::kChecksumAt;
    kv::SecurityEntry security;
    if (kv::ReadSecurityEntry(headers, security)) layout.security_at = security.at;
    uint16_t sections = 0;
    if (!headers.file_header().ReadU16(kv::pe::kSectionCountAt, sections) || sections == 0 ||
        sections > kv::pe::kMaxSections)
        return layout;
    int64_t end = 0;
    for (int64_t i = 0; i < sections; ++i) {
        unsigned char bytes[kv::pe::kSectionHeaderBytes];
        if (!file.read(headers.section_table_at() + i * kv::pe::kSectionHeaderBytes, bytes,
                       sizeof bytes))
            return layout;
        const kv::HeaderReader header(bytes, sizeof bytes);
        uint32_t raw_size = 0, raw_at = 0;
        if (!header.ReadU32(kv::pe::kRawSizeAt, raw_size) ||
            !header.ReadU32(kv::pe::kRawOffsetAt, raw_at))
            return layout;
        if (raw_size > 0 && int64_t{raw_at} + raw_size > end) end = int64_t{raw_at} + raw_size;
    }
    layout.sections_end = end;
    return layout;
}

bool AllZero(kv::ByteSource& file, int64_t from, int64_t to) {
    unsigned char bytes[8];
    const size_t n = static_cast<size_t>(to - from);
    if (!file.read(from, bytes, n)) return false;
    for (size_t i = 0; i < n; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

}  // namespace

std::vector<std::string> DefaultStubCandidates(const std::string& program) {
    if (program.empty()) return {};
    const std::string folder = DirName(program);
    const std::string parent = DirName(folder);
    return {JoinHostPath(folder, kStubFileName),
            JoinHostPath(JoinHostPath(JoinHostPath(parent, "share"), "kervale"), kStubFileName)};
}

bool FindDefaultStub(std::string& path, std::string& problem) {
    const std::vector<std::string> candidates = DefaultStubCandidates(SelfExecutablePath());
    if (candidates.empty()) {
        problem = "the tool cannot tell where its own program file is, so it cannot find its " +
                  std::string(kStubFileName) +
                  " (it never takes one from the current folder); point to the installer stub with "
                  "--stub PATH";
        return false;
    }
    for (const std::string& candidate : candidates) {
        if (!StatPath(candidate).exists) continue;
        path = candidate;
        return true;
    }
    problem = "stub not found: the tool looks for " + QuotedPath(candidates[0]) + " and then " +
              QuotedPath(candidates[1]) + "; point to the installer stub with --stub PATH";
    return false;
}

std::string StubDigest(kv::ByteSource& stub) {
    const ImageLayout layout = ReadLayout(stub);
    int64_t length = stub.size();
    if (layout.sections_end > 0 && layout.sections_end <= length &&
        length - layout.sections_end < kv::kPackageAlignment &&
        AllZero(stub, layout.sections_end, length))
        length = layout.sections_end;
    ZeroedFields identity(stub, layout.checksum_at, kv::pe::kChecksumBytes, layout.security_at,
                          kv::pe::kDirectoryBytes);
    return Sha256Of(identity, length);
}

bool KervaleStubs::Knows(const std::string& digest) const {
    if (digest.empty()) return false;
    if (digest == default_digest) return true;
    for (const char* const* released = kReleasedDigests; *released; ++released)
        if (digest == *released) return true;
    return false;
}

std::string KervaleStubs::NotKervaleText(const std::string& digest) const {
    const std::string text = "is not a Kervale stub (sha256 " + digest + "): it is ";
    if (default_path.empty())
        return text + "not a released Kervale stub, and the tool has no " + kStubFileName +
               " of its own to compare with";
    return text + "neither the tool's own " + QuotedPath(default_path) +
           " nor a released Kervale stub";
}

KervaleStubs LoadKervaleStubs() {
    KervaleStubs stubs;
    std::string problem;
    if (!FindDefaultStub(stubs.default_path, problem)) return stubs;
    FileSource file;
    kv::PeImage image;
    if (!file.Open(stubs.default_path) || !kv::ReadPeImage(file, image)) return stubs;
    StubWithoutSignature packed(file, image);
    if (packed.sound()) stubs.default_digest = StubDigest(packed);
    return stubs;
}

}  // namespace kvpack
