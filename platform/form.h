// A small form layer on the Win32 API. A Form is built from its FormDesign
// table on the first Show or Load; its events go to plain functions. Every
// control is a child window of a standard class (STATIC, BUTTON, EDIT,
// LISTBOX) whose window text is its caption.
#pragma once

#include <windows.h>

#include "form_design.h"
#include "small_string.h"

namespace kv::ui {

// A button, check box or link label and what its click runs.
struct ClickHandler {
    int control;
    void (*click)();
};

struct FormEvents {
    void (*load)();               // Form_Load: after creation, before the first show
    void (*unload)(int& cancel);  // Form_Unload: a close; set cancel to keep the window
    const ClickHandler* clicks;
    int click_count;
};

template <int N>
constexpr FormEvents Events(void (*load)(), void (*unload)(int&), const ClickHandler (&clicks)[N]) {
    return {load, unload, clicks, N};
}
constexpr FormEvents Events(void (*load)(), void (*unload)(int&)) {
    return {load, unload, nullptr, 0};
}

class Form {
public:
    // Not constexpr: the forms are globals, and one that is all zero until
    // the start-up code runs this sits in .bss, which takes no file bytes.
    Form(const FormDesign& design, const FormEvents& events);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the window and runs Form_Load, once; does not show it.
    void Load();
    // Modeless show; the first show loads the window.
    void Show();
    // Keeps the window and every value in it.
    void Hide();
    // Runs Form_Unload and, unless it cancels, discards the window; a later
    // show builds it anew.
    void Unload();

    bool loaded() const { return hwnd_ != nullptr; }
    bool visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
    HWND hwnd() const { return hwnd_; }
    HWND control(int index) const { return loaded() ? controls_[index] : nullptr; }
    const FormDesign& design() const { return design_; }

    // Caption or text. Labels sized to their text fit the new caption.
    void SetText(int control, const char* text);

    // Hiding a frame hides what it holds.
    void SetVisible(int control, bool visible);
    void SetEnabled(int control, bool enabled);
    bool Checked(int control) const;

    // List boxes: entries in the order they were added.
    void AddItem(int control, const char* item);
    int ItemCount(int control) const;
    String Item(int control, int index) const;

    // The window procedure's handler; public for the class's procedure only.
    LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);

private:
    void Create();
    void CreateControl(int index);
    void OnActivate(WPARAM wparam);
    void OnCommand(WPARAM wparam);
    HBRUSH OnCtlColorStatic(HDC dc, HWND control);
    void ApplyVisibility();
    // Sizes a label to `text`, its caption.
    void FitToText(int control, const char* text);
    int IndexOf(HWND child) const;
    int DefaultButton() const;
    void Click(int control);

    const FormDesign& design_;
    const FormEvents& events_;
    HWND hwnd_ = nullptr;
    HWND controls_[kMaxControls] = {};
    bool shown_[kMaxControls] = {};  // each control's own visibility
    HWND focus_ = nullptr;           // restored when the window is activated again
};

// Sets up the form layer; call once before any Form is used.
void Initialise(HINSTANCE instance);

// The one message loop of the program; Tab, Enter and Escape work in every form.
void RunMessageLoop();

// Handles the pending window events, then returns.
void YieldToEvents();

// Ends the program at once: no unload or terminate handler runs.
[[noreturn]] void EndProgram();

// The application title, the caption of message boxes given none.
constexpr const char kAppTitle[] = "KervaleExtractor";

// Message box styles and answers, as the system numbers them.
enum : int {
    kMsgOk = 0,
    kMsgYesNo = 4,
    kMsgCritical = 16,
    kMsgAbortRetryIgnoreExclamation = 50,
};
enum : int { kAnswerAbort = 3, kAnswerRetry = 4, kAnswerIgnore = 5, kAnswerYes = 6, kAnswerNo = 7 };

// A message box modal to the whole program: every other window of the
// program takes no input while it is open. No title: kAppTitle (one copy of
// it in the stub, not one in every caller).
int MsgBox(const char* prompt, int style = kMsgOk, const char* title = nullptr);

}  // namespace kv::ui
