// kervale-fontinfo FILE...: what the font checks make of each file, in a
// form that compares byte for byte between the Linux and Windows builds.
#include <cstdio>
#include <string>
#include <vector>

#include "fontinfo.h"

namespace {

const char* VerdictName(kv::fontinfo::Verdict verdict) {
    using kv::fontinfo::Verdict;
    switch (verdict) {
    case Verdict::Font: return "font";
    case Verdict::NotAFont: return "not-a-font";
    case Verdict::WebFont: return "web-font";
    case Verdict::NotInstallable: return "not-installable";
    case Verdict::Damaged: return "damaged";
    case Verdict::ReadError: return "read-error";
    case Verdict::TooCostly: return "too-costly";
    }
    return "?";
}

// Names come from the font: bytes outside printable ASCII are shown as \xNN.
std::string Shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

bool ReadFile(const char* path, std::string& content) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) content.append(chunk, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kervale-fontinfo FILE...\n");
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        std::string content;
        if (!ReadFile(argv[i], content)) {
            std::fprintf(stderr, "kervale-fontinfo: cannot read %s\n", argv[i]);
            status = 1;
            continue;
        }
        kv::MemorySource source(content.data(), content.size());
        const kv::fontinfo::FontFile font = kv::fontinfo::Inspect(source);
        std::printf("%s: %s", Shown(argv[i]).c_str(), VerdictName(font.verdict));
        if (font.verdict != kv::fontinfo::Verdict::Font) {
            std::printf(" (%s)\n", Shown(kv::fontinfo::RefusalMessage(font, "it")).c_str());
            continue;
        }
        std::printf(", %s\n", kv::fontinfo::FileFormat(font).c_str());
        for (const kv::fontinfo::Face& face : font.faces) {
            std::printf("  family \"%s\" (name ID %d), style \"%s\", version \"%s\", %s",
                        Shown(face.family).c_str(), face.family_name_id, Shown(face.style).c_str(),
                        Shown(face.version).c_str(), face.format.c_str());
            const std::string variation = kv::fontinfo::VariationText(face);
            if (!variation.empty()) std::printf(", variable (%s)", Shown(variation).c_str());
            std::printf("\n");
        }
    }
    return status;
}
