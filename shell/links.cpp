#include "links.h"

#include "files.h"

namespace kv {

void OpenURL(const std::string& address) { platform::ShellOpen(address.c_str()); }

void OpenWebSite() { platform::ShellOpen(kMakerWebSite); }

void OpenMailLink() {
    std::string address = "mailto:";
    address += kContactMail;
    platform::ShellOpen(address.c_str());
}

}  // namespace kv
