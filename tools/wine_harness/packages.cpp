#include "wine_harness/packages.h"

#include "descriptor.h"
#include "test_packages.h"
#include "trailer.h"
#include "wine_harness/files.h"

namespace e2e {

std::string StubBytes() {
    std::string stub;
    ReadWholeFile(std::string(KERVALE_WIN32_DIR) + "/kervale-stub.exe", stub);
    return stub;
}

std::string BuildPackage(const std::string& stub, const std::vector<PackagedFile>& files) {
    testpkg::Files entries;
    for (const PackagedFile& file : files) entries.emplace_back(file.name, file.body);
    return testpkg::Pack(stub, entries);
}

int64_t NameFieldOffset(const std::string& package, const std::vector<PackagedFile>& files,
                        int index) {
    int64_t end = static_cast<int64_t>(package.size()) - kv::kTrailerTailBytes;  // E(1)
    for (int i = 1; i < index; ++i)
        end -= static_cast<int64_t>(files[static_cast<size_t>(i - 1)].body.size()) +
               kv::kEntryHeadBytes;
    return end - kv::kEntryHeadBytes;
}

int64_t SizeFieldOffset(const std::string& package, const std::vector<PackagedFile>& files,
                        int index) {
    return NameFieldOffset(package, files, index) + kv::kNameBytes;
}

void Overwrite(std::string& package, int64_t offset, const std::string& bytes) {
    package.replace(static_cast<size_t>(offset), bytes.size(), bytes);
}

std::string DescriptorText(const DescriptorFields& fields) {
    kv::Descriptor d;
    d.signature = fields.signature;
    d.readme = fields.readme;
    d.license = fields.license;
    d.font_name = fields.font_name;
    d.web_url = fields.web_url;
    d.link_name = fields.link_name;
    return kv::FormatDescriptor(d);
}

std::string BinaryBody(size_t size, uint32_t seed) {
    std::string body(size, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;  // a plain LCG: repeatable everywhere
        body[i] = static_cast<char>(i < 256 ? i : state >> 24);
    }
    return body;
}

std::vector<PackagedFile> TypicalPackage::Files() const {
    std::vector<PackagedFile> files{{kv::kDescriptorName, DescriptorText(descriptor)}};
    if (descriptor.readme != kv::kNoReadme) files.push_back({descriptor.readme, readme});
    if (descriptor.license != kv::kNoLicense) files.push_back({descriptor.license, license});
    files.push_back({font_file, font});
    return files;
}

}  // namespace e2e
