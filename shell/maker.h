// The maker's own addresses, fixed in the program. The About box shows the
// host and the mail address; modWeb opens the full addresses.
#pragma once

namespace kv {

constexpr const char kMakerHost[] = "www.kervale.example";
constexpr const char kMakerWebSite[] = "http://www.kervale.example/";
constexpr const char kContactMail[] = "help@kervale.example";

}  // namespace kv
