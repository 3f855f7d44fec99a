#include "form.h"

#include <cstring>

namespace kv::ui {

namespace {

constexpr char kFormClass[] = "KervaleForm";
constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL

HINSTANCE g_instance = nullptr;
ATOM g_form_atom = 0;
int g_dpi = 0;                  // the screen's, from Initialise
HWND g_hidden_owner = nullptr;  // owner of windows without a taskbar button

// Owns a font, brush or picture for the life of the program. No destructor:
// these live until ExitProcess, which runs none and frees them; one would
// only add start-up code that registers it.
class GdiObject {
public:
    GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const { return h_; }
    void reset(HGDIOBJ h) {
        if (h_) DeleteObject(h_);
        h_ = h;
    }

private:
    HGDIOBJ h_ = nullptr;
};

int Px(int twips) { return TwipsToPixels(twips, g_dpi); }

// Created on first use, kept to the end. (No function-local statics: their
// thread-safe guards would pull the C++ exception runtime into the stub.)
GdiObject g_fonts[4];

GdiObject g_brushes[kColourCount];

HFONT FontFor(Font font) {
    GdiObject& slot = g_fonts[static_cast<int>(font)];
    if (!slot.get()) {
        const bool underline = font == Font::DialogUnderline || font == Font::ArialLink;
        const int hundredths_of_point =
            font == Font::Dialog || font == Font::DialogUnderline ? 825 : 1200;
        const char* face = font == Font::ArialLink ? "Arial" : "MS Sans Serif";
        slot.reset(CreateFontA(-MulDiv(hundredths_of_point, g_dpi, 7200), 0, 0, 0, FW_NORMAL, FALSE,
                               underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               face));
    }
    return static_cast<HFONT>(slot.get());
}

HBRUSH BrushFor(Colour colour) {
    GdiObject& slot = g_brushes[static_cast<int>(colour)];
    if (!slot.get()) slot.reset(CreateSolidBrush(ColourRef(colour)));
    return static_cast<HBRUSH>(slot.get());
}

bool IsForm(HWND hwnd) {
    return hwnd && static_cast<ATOM>(GetClassLongPtrA(hwnd, GCW_ATOM)) == g_form_atom;
}

// Tab, Enter and Escape for our windows, then the ordinary dispatch.
void Dispatch(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (IsForm(root) && IsDialogMessageA(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form || form->hwnd() != hwnd) return DefWindowProcA(hwnd, message, wparam, lparam);
    return form->Handle(message, wparam, lparam);
}

struct DisabledWindows {
    HWND keep;
    HWND list[32];
    int count;
};

BOOL CALLBACK DisableOther(HWND hwnd, LPARAM context) {
    auto* d = reinterpret_cast<DisabledWindows*>(context);
    if (hwnd != d->keep && d->count < 32 && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, FALSE);
        d->list[d->count++] = hwnd;
    }
    return TRUE;
}

// The one picture of the program (the logo), loaded once at the screen's
// DPI and shared by the pages.
int g_picture_id = 0;
GdiObject g_picture;

// Puts the bitmap resource into an image control, pixel for pixel at 96 DPI
// and grown with the DPI beyond it, so it keeps its place in the layout. The
// control becomes the picture's size plus its border.
void ShowPicture(HWND control, int picture) {
    if (g_picture_id != picture || !g_picture.get()) {
        HANDLE bitmap = LoadImageA(g_instance, MAKEINTRESOURCEA(picture), IMAGE_BITMAP, 0, 0, 0);
        BITMAP info;
        if (bitmap && g_dpi != 96 && GetObjectA(bitmap, sizeof info, &info)) {
            HANDLE scaled =
                LoadImageA(g_instance, MAKEINTRESOURCEA(picture), IMAGE_BITMAP,
                           MulDiv(info.bmWidth, g_dpi, 96), MulDiv(info.bmHeight, g_dpi, 96), 0);
            if (scaled) {
                DeleteObject(bitmap);
                bitmap = scaled;
            }
        }
        g_picture.reset(bitmap);
        g_picture_id = picture;
    }
    BITMAP info;
    if (!g_picture.get() || !GetObjectA(g_picture.get(), sizeof info, &info)) return;
    SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(g_picture.get()));
    RECT outer, inner;
    GetWindowRect(control, &outer);
    GetClientRect(control, &inner);
    SetWindowPos(control, nullptr, 0, 0, info.bmWidth + (outer.right - outer.left) - inner.right,
                 info.bmHeight + (outer.bottom - outer.top) - inner.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void Initialise(HINSTANCE instance) {
    g_instance = instance;
    HDC screen = GetDC(nullptr);
    if (screen) {
        g_dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    if (g_dpi <= 0) g_dpi = 96;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = FormProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    g_form_atom = RegisterClassA(&wc);

    g_hidden_owner =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

namespace {

// The window class, style and extended style of a control of this design.
struct ControlStyle {
    const char* window_class;
    DWORD style;
    DWORD ex_style;
};

ControlStyle StyleFor(const ControlDesign& c) {
    ControlStyle s = {"STATIC", WS_CHILD, 0};
    switch (c.kind) {
    case Kind::Label:
        s.style |= SS_NOPREFIX | ((c.flags & kSizedToText) ? SS_LEFTNOWORDWRAP : SS_LEFT);
        if (c.flags & kLink) s.style |= SS_NOTIFY;
        break;
    case Kind::Button:
        s.window_class = "BUTTON";
        s.style |=
            WS_TABSTOP | WS_GROUP | ((c.flags & kDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
    case Kind::CheckBox:
        s.window_class = "BUTTON";
        s.style |= WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX;
        break;
    case Kind::Frame:
        s.window_class = "BUTTON";
        s.style |= BS_GROUPBOX;
        break;
    case Kind::TextBox:
        s.window_class = "EDIT";
        s.style |= WS_TABSTOP | WS_GROUP | ES_LEFT;
        s.style |= (c.flags & kMultiLine) ? (ES_MULTILINE | ES_AUTOVSCROLL) : ES_AUTOHSCROLL;
        if (c.flags & kVScroll) s.style |= WS_VSCROLL;
        if (c.flags & kReadOnly) s.style |= ES_READONLY;
        s.ex_style |= WS_EX_CLIENTEDGE;
        break;
    case Kind::ListBox:
        s.window_class = "LISTBOX";
        s.style |= WS_TABSTOP | WS_GROUP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
        s.ex_style |= WS_EX_CLIENTEDGE;
        break;
    case Kind::Image:
        s.style |= SS_BITMAP | SS_CENTERIMAGE;
        s.ex_style |= WS_EX_CLIENTEDGE;  // the sunken two-pixel border
        break;
    case Kind::Line:
        s.style |= SS_LEFT;  // no text: painted whole in its colour
        break;
    }
    if (c.flags & kDisabled) s.style |= WS_DISABLED;
    return s;
}

// The window's big and small icon from the icon resource.
void SetIcons(HWND hwnd, int icon) {
    HANDLE big = LoadImageA(g_instance, MAKEINTRESOURCEA(icon), IMAGE_ICON,
                            GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED);
    HANDLE small_icon =
        LoadImageA(g_instance, MAKEINTRESOURCEA(icon), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
}

}  // namespace

Form::Form(const FormDesign& design, const FormEvents& events) : design_(design), events_(events) {}

void Form::Create() {
    DWORD style = WS_OVERLAPPED | WS_CAPTION;
    DWORD ex_style = 0;
    switch (design_.border) {
    case Border::Sizable: style |= WS_THICKFRAME; break;
    case Border::FixedSingle: break;
    case Border::FixedToolWindow: ex_style |= WS_EX_TOOLWINDOW; break;
    }
    if (design_.buttons == TitleButtons::CloseOnly) style |= WS_SYSMENU;
    if (design_.taskbar_button) ex_style |= WS_EX_APPWINDOW;

    RECT frame = {0, 0, Px(design_.client_width), Px(design_.client_height)};
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    if (design_.placement == Placement::CenterScreen) {
        x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    HWND owner = design_.taskbar_button ? nullptr : g_hidden_owner;

    // Messages sent while the window is being created go to the default
    // procedure: hwnd_ is only set when CreateWindowEx returns.
    hwnd_ = CreateWindowExA(ex_style, kFormClass, design_.caption, style, x, y, width, height,
                            owner, nullptr, g_instance, this);
    if (!hwnd_) return;

    if (design_.icon) SetIcons(hwnd_, design_.icon);
    for (int i = 0; i < design_.control_count && i < kMaxControls; ++i) CreateControl(i);
    const int first = FirstFocus(design_);
    focus_ = first >= 0 ? controls_[first] : nullptr;
}

void Form::CreateControl(int i) {
    const ControlDesign& c = design_.controls[i];
    ControlStyle s = StyleFor(c);
    if (InitiallyVisible(design_, i)) s.style |= WS_VISIBLE;
    shown_[i] = !(c.flags & kHidden);

    int left, top;
    AbsolutePosition(design_, i, left, top);
    int w = Px(c.width), h = Px(c.height);
    if (c.kind == Kind::Line && h < 1) h = 1;
    HWND control =
        CreateWindowExA(s.ex_style, s.window_class, c.text, s.style, Px(left), Px(top), w, h, hwnd_,
                        reinterpret_cast<HMENU>(kFirstControlId + i), g_instance, nullptr);
    controls_[i] = control;
    if (!control) return;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c.font)), FALSE);
    // A long readme must show whole; the default limit is about 32 KB.
    if (c.kind == Kind::TextBox) SendMessageA(control, EM_SETLIMITTEXT, 0, 0);
    if (c.kind == Kind::Image && c.picture) ShowPicture(control, c.picture);
    if (c.flags & kSizedToText) FitToText(i, c.text);
}

void Form::Load() {
    if (loaded()) return;
    Create();
    if (loaded() && events_.load) events_.load();
}

void Form::Show() {
    if (!loaded()) Load();
    if (!loaded()) return;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    if (GetActiveWindow() == hwnd_ && focus_ && IsWindowVisible(focus_)) SetFocus(focus_);
    UpdateWindow(hwnd_);  // paint now: the start-up works before it yields
}

void Form::Hide() {
    if (loaded()) ShowWindow(hwnd_, SW_HIDE);
}

void Form::Unload() {
    if (!loaded()) return;
    if (events_.unload) {
        int cancel = 0;
        events_.unload(cancel);
        if (cancel || !loaded()) return;
    }
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    focus_ = nullptr;
    for (HWND& c : controls_) c = nullptr;
}

void Form::SetText(int control, const char* text) {
    HWND c = this->control(control);
    if (!c) return;
    SetWindowTextA(c, text);
    if (design_.controls[control].flags & kSizedToText) FitToText(control, text);
}

void Form::SetVisible(int control, bool visible) {
    if (control < 0 || control >= design_.control_count) return;
    shown_[control] = visible;
    if (!loaded()) return;
    HWND focus = GetFocus();
    ApplyVisibility();
    if (focus && IsChild(hwnd_, focus) && !IsWindowVisible(focus)) {
        HWND next = GetNextDlgTabItem(hwnd_, focus, FALSE);
        SetFocus(next && next != focus ? next : hwnd_);
    }
}

void Form::ApplyVisibility() {
    for (int i = 0; i < design_.control_count; ++i) {
        const bool visible = VisibleInFrames(design_, i, [this](int j) { return shown_[j]; });
        if (controls_[i]) ShowWindow(controls_[i], visible ? SW_SHOWNA : SW_HIDE);
    }
}

void Form::SetEnabled(int control, bool enabled) {
    if (HWND c = this->control(control)) EnableWindow(c, enabled);
}

bool Form::Checked(int control) const {
    HWND c = this->control(control);
    return c && SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form::AddItem(int control, const char* item) {
    if (HWND c = this->control(control))
        SendMessageA(c, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
}

int Form::ItemCount(int control) const {
    HWND c = this->control(control);
    return c ? static_cast<int>(SendMessageA(c, LB_GETCOUNT, 0, 0)) : 0;
}

String Form::Item(int control, int index) const {
    HWND c = this->control(control);
    if (!c) return String();
    LRESULT n = SendMessageA(c, LB_GETTEXTLEN, index, 0);
    if (n == LB_ERR) return String();
    String text;
    text.resize(static_cast<size_t>(n) + 1);
    n = SendMessageA(c, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

void Form::FitToText(int control, const char* text) {
    HWND c = controls_[control];
    if (!c) return;
    SIZE size = {0, 0};
    if (HDC dc = GetDC(c)) {
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(c, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
        SelectObject(dc, old);
        ReleaseDC(c, dc);
    }
    // A static control may draw a glyph's overhang past the measured extent
    // (Wine does, and then drops a final "."): a little slack keeps the last
    // character whole and is invisible on the dialog colour.
    SetWindowPos(c, nullptr, 0, 0, size.cx + Px(kSizedLabelSlackTwips), size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form::IndexOf(HWND child) const {
    if (!child) return -1;
    for (int i = 0; i < design_.control_count; ++i)
        if (controls_[i] == child) return i;
    return -1;
}

int Form::DefaultButton() const {
    for (int i = 0; i < design_.control_count; ++i)
        if (design_.controls[i].flags & kDefault) return i;
    return -1;
}

void Form::Click(int control) {
    for (int i = 0; i < events_.click_count; ++i)
        if (events_.clicks[i].control == control) return events_.clicks[i].click();
}

// Gives the focus back to the control that had it, as a dialog does.
void Form::OnActivate(WPARAM wparam) {
    if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focus_ = focus;
    } else if (focus_ && IsWindowVisible(focus_) && IsWindowEnabled(focus_)) {
        SetFocus(focus_);
    } else {
        HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        SetFocus(first ? first : hwnd_);
    }
}

void Form::OnCommand(WPARAM wparam) {
    const int id = LOWORD(wparam);
    if (id == IDCANCEL) {  // Escape
        for (int i = 0; i < design_.control_count; ++i) {
            if ((design_.controls[i].flags & kCancel) && controls_[i] &&
                IsWindowEnabled(controls_[i]) && IsWindowVisible(controls_[i])) {
                Click(i);
                break;
            }
        }
        return;
    }
    const int index = id - kFirstControlId;
    // BN_CLICKED and STN_CLICKED are both 0.
    if (index >= 0 && index < design_.control_count && HIWORD(wparam) == BN_CLICKED &&
        design_.controls[index].kind != Kind::TextBox &&
        design_.controls[index].kind != Kind::ListBox)
        Click(index);
}

// The brush for a static control's background, or null for the default.
HBRUSH Form::OnCtlColorStatic(HDC dc, HWND control) {
    const int index = IndexOf(control);
    if (index < 0) return nullptr;
    const ControlDesign& c = design_.controls[index];
    if (c.kind == Kind::Line) return BrushFor(c.colour);
    if (c.kind == Kind::TextBox) {  // read-only text stays on a white page
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return GetSysColorBrush(COLOR_WINDOW);
    }
    if (c.colour == kSystemColour) return nullptr;
    SetTextColor(dc, ColourRef(c.colour));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

LRESULT Form::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_ACTIVATE: OnActivate(wparam); return 0;
    case WM_COMMAND: OnCommand(wparam); return 0;

    case DM_GETDEFID: {
        // Enter presses the focused button, else the default one.
        int index = IndexOf(GetFocus());
        if (index < 0 || design_.controls[index].kind != Kind::Button) index = DefaultButton();
        return index >= 0 ? MAKELRESULT(kFirstControlId + index, DC_HASDEFID) : 0;
    }

    case WM_NEXTDLGCTL: {
        // Sent by a multi-line text box on Tab.
        HWND next = GetNextDlgTabItem(hwnd_, GetFocus(), wparam != 0);
        if (next) SetFocus(next);
        return 0;
    }

    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush =
                OnCtlColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam)))
            return reinterpret_cast<LRESULT>(brush);
        break;

    case WM_SETCURSOR: {
        const int index = IndexOf(reinterpret_cast<HWND>(wparam));
        if (index >= 0 && (design_.controls[index].flags & kLink)) {
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }

    case WM_CLOSE:
        // A window without a close box cannot be closed by the user.
        if (design_.buttons != TitleButtons::None) Unload();
        return 0;
    }
    return DefWindowProcA(hwnd_, message, wparam, lparam);
}

void RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
}

void YieldToEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

void EndProgram() { ExitProcess(0); }

int MsgBox(const char* prompt, int style, const char* title) {
    HWND owner = GetActiveWindow();
    if (owner && !IsWindowVisible(owner)) owner = nullptr;
    // Modal to the whole program, not only to its owner.
    DisabledWindows disabled = {owner, {}, 0};
    EnumThreadWindows(GetCurrentThreadId(), DisableOther, reinterpret_cast<LPARAM>(&disabled));
    const int answer =
        MessageBoxA(owner, prompt, title ? title : kAppTitle, static_cast<UINT>(style));
    for (int i = 0; i < disabled.count; ++i) EnableWindow(disabled.list[i], TRUE);
    return answer;
}

}  // namespace kv::ui
