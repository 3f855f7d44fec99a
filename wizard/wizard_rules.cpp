#include "wizard_rules.h"

#include "descriptor.h"

namespace kv {

namespace {

// Plain decimal without printf: the stub does not link the formatter.
void AppendDecimal(std::string& out, int value) {
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0) out += '-';
    while (n) out += digits[--n];
}

}  // namespace

bool HasLicensePage(const std::string& license) { return license != kNoLicense; }

std::string TrimSpaces(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

OptionsLayout LayOutOptions(const std::string& readme, const std::string& web_url,
                            const std::string& link_name) {
    OptionsLayout layout;
    const bool has_readme = readme != kNoReadme;
    layout.link_frame = !web_url.empty();
    layout.copy_readme = has_readme;
    layout.options_frame = has_readme || layout.link_frame;
    if (layout.link_frame) layout.link_caption = "Shortcut to " + TrimSpaces(link_name);
    return layout;
}

std::string VersionCaption(int major, int minor, int revision) {
    std::string caption = "Program Version: ";
    AppendDecimal(caption, major);
    caption += '.';
    AppendDecimal(caption, minor);
    caption += '.';
    AppendDecimal(caption, revision);
    return caption;
}

}  // namespace kv
