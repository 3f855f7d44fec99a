// The way through the wizard, free of Windows: one page sequence, welcome,
// license, options, walked forward by Next and backward by Back. The
// license page is part of the way unless the package has no license.
#pragma once

#include <string>

namespace kv {

enum class Page { Welcome, License, Options };

// The license page is skipped, forward and back, exactly when the package's
// license field is the marker "NOLICENSE" (case-sensitive).
bool HasLicensePage(const std::string& license);

// Where Next and Back lead from `page` for a package with this license
// field. Next from the options page is the install run, not a page: it and
// Back from the welcome page give `page` itself.
Page PageAfter(Page page, const std::string& license);
Page PageBefore(Page page, const std::string& license);

}  // namespace kv
