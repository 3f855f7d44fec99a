#include "navigation.h"

#include "descriptor.h"

namespace kv {

namespace {

constexpr Page kSequence[] = {Page::Welcome, Page::License, Page::Options};
constexpr int kPages = sizeof kSequence / sizeof kSequence[0];

int IndexOf(Page page) {
    int i = 0;
    while (i < kPages - 1 && kSequence[i] != page) ++i;
    return i;
}

// The nearest page from `page` in `step` direction that is part of the way.
Page Step(Page page, int step, std::string_view license) {
    for (int i = IndexOf(page) + step; i >= 0 && i < kPages; i += step)
        if (kSequence[i] != Page::License || HasLicensePage(license)) return kSequence[i];
    return page;
}

}  // namespace

bool HasLicensePage(std::string_view license) { return license != kNoLicense; }

Page PageAfter(Page page, std::string_view license) { return Step(page, 1, license); }

Page PageBefore(Page page, std::string_view license) { return Step(page, -1, license); }

}  // namespace kv
