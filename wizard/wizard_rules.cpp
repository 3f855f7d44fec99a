#include "wizard_rules.h"

#include "descriptor.h"
#include "name_rules.h"

namespace kv {

std::string_view TrimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string_view();
    return std::string_view(text.data() + first, text.find_last_not_of(' ') - first + 1);
}

OptionsLayout LayOutOptions(std::string_view readme, std::string_view web_url,
                            std::string_view link_name) {
    OptionsLayout layout;
    const bool has_readme = readme != kNoReadme;
    // Shortcuts only to what the welcome page would open.
    layout.link_frame = IsWebAddress(web_url);
    layout.copy_readme = has_readme;
    layout.options_frame = has_readme || layout.link_frame;
    if (layout.link_frame) layout.link_caption = Concat("Shortcut to ", TrimSpaces(link_name));
    return layout;
}

}  // namespace kv
