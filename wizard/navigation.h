// The way through the wizard, free of Windows: one page sequence, welcome,
// license, options, walked forward by Next and backward by Back. The
// license page is part of the way unless the package has no license.
#pragma once

#include <string_view>

namespace kv {

enum class Page { Welcome, License, Options };

// The license page is skipped, forward and back, exactly when the package's
// license field is the marker "NOLICENSE" (case-sensitive).
bool HasLicensePage(std::string_view license);

// Where Next and Back lead from `page` for a package with this license
// field. Next from the options page is the install run, not a page: it and
// Back from the welcome page give `page` itself.
Page PageAfter(Page page, std::string_view license);
Page PageBefore(Page page, std::string_view license);

}  // namespace kv
