#include "links.h"

#include "files.h"

namespace kv {

void OpenURL(const char* address) { platform::ShellOpen(address); }

void OpenWebSite() { platform::ShellOpen(kMakerWebSite); }

void OpenMailLink() { platform::ShellOpen(Concat("mailto:", kContactMail).c_str()); }

}  // namespace kv
