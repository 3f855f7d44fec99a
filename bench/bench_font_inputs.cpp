// bench-font-inputs DIR STUB: writes the fonts and packages that
// scripts/bench-fonts.sh times kervale-pack on, normal ones and ones made to
// cost their reader, with the tests' own font builders (test_fonts.h).
// The fonts that claim a 1 GiB table are sparse files: 1 GiB long, the size
// of DejaVu Sans Mono on disk.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "descriptor.h"
#include "test_fonts.h"
#include "test_packages.h"
#include "trailer.h"

namespace {

using namespace testfonts;

bool Write(const std::string& path, const std::string& bytes, int64_t length = -1) {
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    file.close();
    if (!file) return false;
    if (length >= 0 && truncate(path.c_str(), length) != 0) return false;
    std::printf("%s\n", path.c_str());
    return true;
}

std::string Package(const std::string& stub, const std::vector<std::string>& fonts) {
    const kv::Descriptor descriptor{kv::kSignature, kv::kNoReadme, kv::kNoLicense, "Bench", "", ""};
    testpkg::Files files = {{kv::kDescriptorName, kv::FormatDescriptor(descriptor)}};
    for (size_t i = 0; i < fonts.size(); ++i)
        files.push_back({"Font" + std::to_string(i + 1) + ".ttc", fonts[i]});
    return testpkg::Pack(stub, files);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench-font-inputs DIR STUB\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const std::string stub = Slurp(argv[2]);
    std::vector<std::string> mono_styles;
    for (const char* style : {"", "-Bold", "-Oblique", "-BoldOblique"})
        mono_styles.push_back(Slurp(kDejaVu + "DejaVuSansMono" + style + ".ttf"));
    const std::string& mono = mono_styles[0];
    const std::string styles = Collection(mono_styles);
    const std::string shared = SharedDirectoryCollection(mono, 1000, 65535);
    // Eighty faces on one font's tables, about as many as FreeType may read
    // within the budget: read whole, listed ten faces deep.
    const std::string eighty = SharedDirectoryCollection(mono, 80, Get16(mono, 4));
    const uint32_t kGiB = 1u << 30;

    bool ok = Write(dir + "normal-DejaVuSansMono.ttf", mono) &&
              Write(dir + "normal-4-styles.ttc", styles) &&
              Write(dir + "hostile-1000-faces.ttc", shared) &&
              Write(dir + "hostile-10922-names.ttf", ManyNamesOnOneString(mono, 10922));
    for (const char* tag : {"cmap", "fpgm", "prep"}) {
        const char table[5] = {tag[0], tag[1], tag[2], tag[3], '\0'};
        const std::string font = ClaimingTable(mono, table, kGiB);
        ok = ok && Write(dir + "hostile-" + tag + "-1GiB.ttf", font,
                         static_cast<int64_t>(font.size()) + kGiB);
    }
    ok = ok && Write(dir + "normal-package.exe", Package(stub, mono_styles)) &&
         Write(dir + "ten-1000-face-collections.exe",
               Package(stub, std::vector<std::string>(10, shared))) &&
         Write(dir + "ten-80-face-collections.exe",
               Package(stub, std::vector<std::string>(10, eighty)));
    return ok ? 0 : 1;
}
