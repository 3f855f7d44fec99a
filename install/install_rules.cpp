#include "install_rules.h"

#include "descriptor.h"
#include "text_utils.h"
#include "trailer.h"

namespace kv {

bool IsFontFile(const std::string& name, const std::string& readme, const std::string& license) {
    return name != readme && name != license && name != kDescriptorName;
}

std::string InternetShortcutText(const std::string& url) {
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

bool IsUsableLinkTitle(const std::string& title) {
    // Longer than a packaged name may be, but within what a Windows path allows.
    return title.empty() || IsBareFileName(title + ".url", 200);
}

}  // namespace kv
