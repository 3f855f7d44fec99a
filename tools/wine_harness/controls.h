// Reading the controls of an installer window as a test or the demo sees them.
#pragma once

#include <strings.h>

#include <string>
#include <vector>

#include "wine_harness/driver_client.h"

namespace e2e {

// Design units: 15 twips to a pixel at 96 dots per inch.
constexpr int Px(int twips) { return (twips + 7) / 15; }

inline bool IsClass(const Control& c, const char* name) {
    return strcasecmp(c.class_name.c_str(), name) == 0;
}

// The index-th control of a window class ("Edit", "ListBox", ...), or null.
inline const Control* FindByClass(const std::vector<Control>& controls, const char* name,
                                  int index = 0) {
    for (const Control& c : controls)
        if (IsClass(c, name) && index-- == 0) return &c;
    return nullptr;
}

// What a user can see of a page's controls; handles and positions aside.
inline std::vector<std::string> Looks(const std::vector<Control>& controls) {
    std::vector<std::string> looks;
    for (const Control& c : controls)
        looks.push_back(c.class_name + "|" + c.text + "|" + std::to_string(c.visible) +
                        std::to_string(c.enabled) + std::to_string(c.checked));
    return looks;
}

}  // namespace e2e
