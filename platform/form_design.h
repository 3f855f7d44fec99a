// A window as data: its frame, caption and size, then its controls in tab
// order. One routine (platform/form.cpp) builds any window from such a table.
// Geometry is in twips, as the designs are drawn; TwipsToPixels is the only
// place that turns twips into pixels. No Windows headers here, so the tables
// can be checked by native tests.
#pragma once

#include <cstdint>

namespace kv::ui {

enum class Kind : uint8_t { Label, Button, CheckBox, Frame, TextBox, ListBox, Image, Line };

// Control flags.
enum : uint16_t {
    kHidden = 1u << 0,
    kDisabled = 1u << 1,
    kDefault = 1u << 2,  // Enter presses it unless another button has the focus
    kCancel = 1u << 3,   // Escape presses it
    kMultiLine = 1u << 4,
    kVScroll = 1u << 5,
    kReadOnly = 1u << 6,
    kSizedToText = 1u << 7,  // a label that fits its caption on one line
    kLink = 1u << 8,         // a label that is clicked: hand cursor, click events
};

enum class Font : uint8_t {
    Dialog,           // MS Sans Serif 8.25 pt
    DialogUnderline,  // MS Sans Serif 8.25 pt underlined
    ArialLink,        // Arial 12 pt underlined
    Large,            // MS Sans Serif 12 pt
};

// The colours the designs use, one byte in a table row; kSystemColour keeps
// the system's dialog colours.
enum class Colour : uint8_t { System, Blue, Grey, White };
constexpr Colour kSystemColour = Colour::System;
constexpr Colour kBlue = Colour::Blue;
constexpr Colour kGrey = Colour::Grey;
constexpr Colour kWhite = Colour::White;
constexpr int kColourCount = 4;

// As Windows takes a colour, 0x00BBGGRR (System: none, all bits set).
constexpr uint32_t kColourRefs[kColourCount] = {0xFFFFFFFFu, 0x00FF0000u, 0x00808080u, 0x00FFFFFFu};
constexpr uint32_t ColourRef(Colour colour) { return kColourRefs[static_cast<int>(colour)]; }

constexpr int8_t kNoFrame = -1;

// A window's or control's name as the designs call it ("cmdNext"). Only the
// native tests read names; in the Windows build, the stub's, a DesignName
// holds nothing, so the tables that ship in every package carry no names.
class DesignName {
public:
#ifdef _WIN32
    constexpr DesignName(const char*) {}
#else
    constexpr DesignName(const char* name) : name_(name) {}
    operator const char*() const { return name_; }

private:
    const char* name_;
#endif
};

// One control. Left/top are relative to the parent frame when there is one,
// else to the window's client area. A Line runs from (left, top) to
// (left + width, top); its height is the pen width (15 twips per pixel).
// Narrow fields: the tables ship in every package.
struct ControlDesign {
    DesignName name;
    Kind kind;
    const char* text;
    int16_t left, top, width, height;
    uint16_t flags;
    Font font;
    Colour colour;     // text colour; the fill of a Line
    int8_t frame;      // index of the containing Frame, or kNoFrame
    uint16_t picture;  // bitmap resource of an Image, 0 for none
};

enum class Border : uint8_t { Sizable, FixedSingle, FixedToolWindow };
enum class TitleButtons : uint8_t { None, CloseOnly };
enum class Placement : uint8_t { CenterScreen, SystemDefault };

struct FormDesign {
    DesignName name;
    const char* caption;
    int16_t client_width, client_height;  // twips
    Border border;
    TitleButtons buttons;
    bool taskbar_button;
    Placement placement;
    uint16_t icon;  // icon resource, 0 for none
    const ControlDesign* controls;
    int control_count;
};

constexpr int kMaxControls = 16;
constexpr int kTwipsPerInch = 1440;
// What a label sized to its text gets beyond its measured width: 2 pixels at
// 96 DPI.
constexpr int kSizedLabelSlackTwips = 30;

// Rounds to the nearest pixel, a half away from zero: 15 twips per pixel at
// 96 DPI. Whole inches first, so no product leaves int's range and no 64-bit
// division (a runtime helper in 32-bit code) is needed.
constexpr int TwipsToPixels(int twips, int dpi) {
    const int rest = twips % kTwipsPerInch * dpi;  // same sign as twips
    return twips / kTwipsPerInch * dpi + (rest >= 0
                                              ? (rest + kTwipsPerInch / 2) / kTwipsPerInch
                                              : -((-rest + kTwipsPerInch / 2) / kTwipsPerInch));
}

// Absolute position of control `index` in its window's client area, in
// twips, adding the offsets of the frames that hold it.
inline void AbsolutePosition(const FormDesign& form, int index, int& left, int& top) {
    left = 0;
    top = 0;
    for (int i = index; i >= 0 && i < form.control_count; i = form.controls[i].frame) {
        left += form.controls[i].left;
        top += form.controls[i].top;
    }
}

// Whether control `index` shows: `shown(i)` holds for it and for every
// frame that holds it.
template <typename Shown>
bool VisibleInFrames(const FormDesign& form, int index, Shown&& shown) {
    for (int i = index; i >= 0 && i < form.control_count; i = form.controls[i].frame) {
        if (!shown(i)) return false;
    }
    return true;
}

// Whether control `index` is shown at creation: neither it nor a frame that
// holds it is hidden.
inline bool InitiallyVisible(const FormDesign& form, int index) {
    return VisibleInFrames(form, index, [&](int i) { return !(form.controls[i].flags & kHidden); });
}

// Only these kinds can hold the keyboard focus.
constexpr bool TakesFocus(Kind kind) {
    return kind == Kind::Button || kind == Kind::CheckBox || kind == Kind::TextBox ||
           kind == Kind::ListBox;
}

// The control that takes the focus when the window is first shown: the first
// enabled, visible control, in tab order, of a kind that can hold it; -1 if none.
inline int FirstFocus(const FormDesign& form) {
    for (int i = 0; i < form.control_count; ++i) {
        const ControlDesign& c = form.controls[i];
        if (TakesFocus(c.kind) && !(c.flags & kDisabled) && InitiallyVisible(form, i)) return i;
    }
    return -1;
}

}  // namespace kv::ui
