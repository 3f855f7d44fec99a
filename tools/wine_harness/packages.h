// Test packages, built with the package-format core the way the packaging
// tool builds them, plus the damage that tests need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "descriptor.h"

namespace e2e {

struct PackagedFile {
    std::string name;
    std::string body;
};

// The installer stub as built; empty when it is missing.
std::string StubBytes();

// Stub + entries + count + filler; files[0] becomes entry 1 (listed first):
// the tests' own builder (test_packages.h).
std::string BuildPackage(const std::string& stub, const std::vector<PackagedFile>& files);

// Offset of entry `index`'s (1-based) name and size fields in a package built
// from `files` by BuildPackage.
int64_t NameFieldOffset(const std::string& package, const std::vector<PackagedFile>& files,
                        int index);
int64_t SizeFieldOffset(const std::string& package, const std::vector<PackagedFile>& files,
                        int index);
// Replaces bytes in place; the text must fit.
void Overwrite(std::string& package, int64_t offset, const std::string& bytes);

// A descriptor with a typical package's values, to change field by field.
struct DescriptorFields {
    std::string signature = "KERVALE DATAFILE 1";
    std::string readme = "README.TXT";
    std::string license = "LICENSE.TXT";
    std::string font_name = "Sample Sans";
    std::string web_url = "http://www.example.com/sample-sans";
    std::string link_name = "Sample Sans Home";
};
std::string DescriptorText(const DescriptorFields& fields);

// Bytes that text-mode or string handling would spoil: every byte value,
// CR LF and NUL among them, in a repeatable pseudo-random order.
std::string BinaryBody(size_t size, uint32_t seed);

// A typical package: descriptor, readme, license and one font file, in this
// entry order.
struct TypicalPackage {
    DescriptorFields descriptor;
    std::string readme = "Sample Sans\r\nA test font.\r\nThird line.\r\n";
    std::string license = "You may use this font.\r\n";
    std::string font_file = "SAMPLE.TTF";
    std::string font = BinaryBody(70000, 1);

    std::vector<PackagedFile> Files() const;
};

}  // namespace e2e
