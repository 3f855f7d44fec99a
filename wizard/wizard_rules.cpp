#include "wizard_rules.h"

#include "descriptor.h"
#include "name_rules.h"

namespace kv {

std::string TrimSpaces(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

OptionsLayout LayOutOptions(const std::string& readme, const std::string& web_url,
                            const std::string& link_name) {
    OptionsLayout layout;
    const bool has_readme = readme != kNoReadme;
    // Shortcuts only to what the welcome page would open.
    layout.link_frame = IsWebAddress(web_url);
    layout.copy_readme = has_readme;
    layout.options_frame = has_readme || layout.link_frame;
    if (layout.link_frame) layout.link_caption = "Shortcut to " + TrimSpaces(link_name);
    return layout;
}

}  // namespace kv
