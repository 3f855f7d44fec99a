#include "installed_files.h"

#include "descriptor.h"
#include "name_rules.h"
#include "trailer.h"

namespace kv {

bool IsFontFile(const std::string& name, const std::string& readme, const std::string& license) {
    return name != readme && name != license && name != kDescriptorName;
}

std::string InternetShortcutText(const std::string& url) {
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

bool CanWriteShortcut(const std::string& url, const std::string& title) {
    return IsUsableLinkTitle(title) && !HasControlByte(url);
}

}  // namespace kv
