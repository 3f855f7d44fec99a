// e2e-driver: a console program that runs in the same Wine prefix as the
// installer and works its windows the way a user would, on request of the
// end-to-end harness. Requests come on stdin, one per line; each gets exactly
// one reply line on stdout (protocol.h). It keeps running for a whole test run,
// since starting a Wine process costs far more than a request.
#include <windows.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "wine_harness/protocol.h"

namespace {

using Fields = std::vector<std::string>;

// How long one cross-process message may take before we call the target hung.
constexpr UINT kSendTimeoutMs = 5000;
constexpr DWORD kPollMs = 20;

std::string HandleText(HWND hwnd) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%lx",
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd)));
    return buf;
}

HWND ParseHandle(const std::string& text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoul(text.c_str(), nullptr, 0)));
}

std::string Number(long long value) { return std::to_string(value); }

std::string ClassOf(HWND hwnd) {
    char buf[256] = {};
    GetClassNameA(hwnd, buf, sizeof buf);
    return buf;
}

// WM_GETTEXT rather than GetWindowText: the latter does not ask controls of
// another process, so an edit box would look empty.
bool TextOf(HWND hwnd, std::string& text) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length))
        return false;
    std::vector<char> buf(length + 2, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        return false;
    text.assign(buf.data(), copied < buf.size() ? copied : buf.size() - 1);
    return true;
}

// The text as the window holds it, in UTF-16, passed on as UTF-8: what the
// user sees, whatever the ANSI code page makes of it.
bool WideTextOf(HWND hwnd, std::string& text) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length))
        return false;
    std::vector<wchar_t> buf(length + 2, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        return false;
    const int units = static_cast<int>(copied < buf.size() ? copied : buf.size() - 1);
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, buf.data(), units, nullptr, 0, nullptr, nullptr);
    text.assign(static_cast<size_t>(bytes), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, buf.data(), units, &text[0], bytes, nullptr, nullptr);
    return true;
}

std::string TextOrEmpty(HWND hwnd) {
    std::string text;
    TextOf(hwnd, text);
    return text;
}

// A button caption as a user reads it: without the access-key ampersand.
std::string WithoutAccessKey(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> found;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool OwnWindowText(HWND hwnd, std::string& title) {
    char buf[512] = {};
    GetWindowTextA(hwnd, buf, sizeof buf);  // top-level captions are kept by Wine itself
    title = buf;
    return true;
}

// Polls `found` until it gives a window or the time is up.
template <typename Finder>
HWND WaitFor(DWORD timeout_ms, Finder found) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = found()) return hwnd;
        if (GetTickCount() - start >= timeout_ms) return nullptr;
        Sleep(kPollMs);
    }
}

HWND FindTopLevel(DWORD pid, const std::string& title, const char* class_name,
                  bool hidden_too = false) {
    for (HWND hwnd : TopLevelWindows()) {
        if (!hidden_too && !IsWindowVisible(hwnd)) continue;
        if (pid && ProcessOf(hwnd) != pid) continue;
        if (class_name && ClassOf(hwnd) != class_name) continue;
        std::string text;
        OwnWindowText(hwnd, text);
        if (text == title) return hwnd;
    }
    return nullptr;
}

bool IsButtonWithCheck(HWND hwnd) {
    if (ClassOf(hwnd) != "Button") return false;
    LONG type = GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
           type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

Fields Ok() { return {"OK"}; }
Fields Err(const std::string& why) { return {"ERR", why}; }

bool NeedArgs(const Fields& request, size_t count, Fields& reply) {
    if (request.size() >= count + 1) return true;
    reply = Err("expected " + Number(count) + " arguments");
    return false;
}

HWND WindowArg(const std::string& text, Fields& reply) {
    HWND hwnd = ParseHandle(text);
    if (!hwnd || !IsWindow(hwnd)) {
        reply = Err("no such window " + text);
        return nullptr;
    }
    return hwnd;
}

Fields FindProcess(const std::string& exe) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return Err("no process snapshot");
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD pid = 0;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exe.c_str()) == 0) {
            pid = entry.th32ProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    if (!pid) return Err("no process " + exe);
    return {"OK", Number(pid)};
}

Fields Alive(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {"OK", "0"};
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return {"OK", running ? "1" : "0"};
}

Fields ListWindows(DWORD pid) {
    Fields reply{"OK", ""};
    int count = 0;
    for (HWND hwnd : TopLevelWindows()) {
        if (ProcessOf(hwnd) != pid) continue;
        std::string title;
        OwnWindowText(hwnd, title);
        reply.insert(reply.end(),
                     {HandleText(hwnd), ClassOf(hwnd), title, IsWindowVisible(hwnd) ? "1" : "0"});
        ++count;
    }
    reply[1] = Number(count);
    return reply;
}

Fields ListControls(HWND top) {
    Fields reply{"OK", ""};
    int count = 0;
    for (HWND hwnd : Descendants(top)) {
        LONG style = GetWindowLongA(hwnd, GWL_STYLE);
        RECT rect{};
        GetWindowRect(hwnd, &rect);
        MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rect), 2);
        std::string checked = "0";
        if (IsButtonWithCheck(hwnd)) {
            DWORD_PTR state = 0;
            SendMessageTimeoutA(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state);
            checked = state == BST_CHECKED ? "1" : "0";
        }
        reply.insert(reply.end(), {HandleText(hwnd), Number(GetDlgCtrlID(hwnd)), ClassOf(hwnd),
                                   TextOrEmpty(hwnd), (style & WS_VISIBLE) ? "1" : "0",
                                   (style & WS_DISABLED) ? "0" : "1", checked, Number(rect.left),
                                   Number(rect.top), Number(rect.right), Number(rect.bottom)});
        ++count;
    }
    reply[1] = Number(count);
    return reply;
}

Fields FindByText(HWND top, const std::string& text) {
    for (HWND hwnd : Descendants(top))
        if (TextOrEmpty(hwnd) == text) return {"OK", HandleText(hwnd)};
    return Err("no control with that text");
}

Fields FindByClass(HWND top, const std::string& class_name, int index) {
    for (HWND hwnd : Descendants(top))
        if (ClassOf(hwnd) == class_name && index-- == 0) return {"OK", HandleText(hwnd)};
    return Err("no such control of class " + class_name);
}

Fields MessageBoxInfo(HWND box) {
    std::string text;
    bool icon = false;
    std::vector<std::string> buttons;
    for (HWND hwnd : Descendants(box)) {
        std::string cls = ClassOf(hwnd);
        LONG style = GetWindowLongA(hwnd, GWL_STYLE);
        if (cls == "Static") {
            if ((style & SS_TYPEMASK) == SS_ICON) {
                // Wine keeps the icon control in every box; without an icon it is empty.
                DWORD_PTR image = 0;
                SendMessageTimeoutA(hwnd, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                                    &image);
                if ((style & WS_VISIBLE) && image) icon = true;
            } else if (text.empty()) {
                text = TextOrEmpty(hwnd);
            }
        } else if (cls == "Button" && (style & WS_VISIBLE)) {
            buttons.push_back(WithoutAccessKey(TextOrEmpty(hwnd)));
        }
    }
    Fields reply{"OK", HandleText(box), text, icon ? "1" : "0"};
    reply.insert(reply.end(), buttons.begin(), buttons.end());
    return reply;
}

Fields Answer(HWND box, const std::string& caption) {
    for (HWND hwnd : Descendants(box)) {
        if (ClassOf(hwnd) != "Button" || WithoutAccessKey(TextOrEmpty(hwnd)) != caption) continue;
        int id = GetDlgCtrlID(hwnd);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
        return Ok();
    }
    return Err("no button " + caption);
}

HWND FocusOf(HWND hwnd) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

Fields PressKey(HWND hwnd, const std::string& key) {
    WPARAM vk;
    if (key == "enter")
        vk = VK_RETURN;
    else if (key == "escape")
        vk = VK_ESCAPE;
    else if (key == "tab")
        vk = VK_TAB;
    else
        return Err("unknown key " + key);
    HWND target = FocusOf(hwnd);
    if (!target) target = hwnd;
    UINT scan = MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | (1u << 30) | (1u << 31));
    return Ok();
}

// The size the control's caption takes in the font `face` at `hundredths`
// of a point (underlined or not), as the design gives the control's font,
// on one line or broken into lines `wrap` pixels wide (0: one line), as
// DrawText lays it out; an ampersand marks an access key unless the control
// is a label that shows it. (The control's own font handle belongs to the
// installer's process and cannot be selected here.)
Fields TextExtent(HWND control, int wrap, const std::string& face, int hundredths, bool underline) {
    std::string text;
    if (!TextOf(control, text)) return Err("window did not answer");
    HDC dc = GetDC(control);
    HFONT font = CreateFontA(-MulDiv(hundredths, GetDeviceCaps(dc, LOGPIXELSY), 7200), 0, 0, 0,
                             FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    HGDIOBJ old = SelectObject(dc, font);
    UINT format = DT_CALCRECT | (wrap > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    if (ClassOf(control) == "Static" && (GetWindowLongA(control, GWL_STYLE) & SS_NOPREFIX))
        format |= DT_NOPREFIX;
    RECT rect = {0, 0, wrap, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(control, dc);
    return {"OK", Number(rect.right - rect.left), Number(rect.bottom - rect.top)};
}

// Makes COMMAND the machine's open command for links of SCHEME (an empty
// command removes it) and answers the command it replaces.
Fields SetUrlHandler(const std::string& scheme, const std::string& command) {
    const std::string path = "Software\\Classes\\" + scheme + "\\shell\\open\\command";
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return Err("cannot open " + path);
    char previous[1024] = {};
    DWORD type = 0, size = sizeof previous - 1;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(previous), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        previous[0] = '\0';
    LONG done = command.empty() ? RegDeleteValueA(key, nullptr)
                                : RegSetValueExA(key, nullptr, 0, REG_SZ,
                                                 reinterpret_cast<const BYTE*>(command.c_str()),
                                                 static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
    if (done != ERROR_SUCCESS && !command.empty())
        return Err("cannot set the handler of " + scheme);
    return {"OK", previous};
}

// Waits for a window or a message box to appear (wait_window, msgbox), for
// a window to exist, shown or hidden already (wait_created: a window that is
// up only briefly), or for a window to go (wait_hidden).
Fields HandleWait(const std::string& verb, const Fields& request) {
    Fields reply;
    if (verb == "wait_window" || verb == "wait_created" || verb == "msgbox") {
        if (!NeedArgs(request, 3, reply)) return reply;
        DWORD pid = std::strtoul(request[1].c_str(), nullptr, 10);
        const std::string& title = request[2];
        const char* class_name = verb == "msgbox" ? "#32770" : nullptr;
        const bool hidden_too = verb == "wait_created";
        HWND hwnd = WaitFor(std::strtoul(request[3].c_str(), nullptr, 10),
                            [&] { return FindTopLevel(pid, title, class_name, hidden_too); });
        if (!hwnd) return Err("timed out waiting for \"" + title + "\"");
        if (verb == "msgbox") return MessageBoxInfo(hwnd);
        return {"OK", HandleText(hwnd)};
    }
    if (verb == "wait_hidden") {
        if (!NeedArgs(request, 2, reply)) return reply;
        HWND target = ParseHandle(request[1]);
        HWND still = WaitFor(std::strtoul(request[2].c_str(), nullptr, 10), [&]() -> HWND {
            return IsWindow(target) && IsWindowVisible(target) ? nullptr : target;
        });
        if (!still) return Err("still visible");
        return Ok();
    }
    return Err("unknown request " + verb);
}

// The verbs that act on one window, given first.
Fields HandleWindowVerb(const std::string& verb, HWND hwnd, const Fields& request) {
    Fields reply;
    if (verb == "controls") return ListControls(hwnd);
    if (verb == "text") {
        std::string text;
        if (!TextOf(hwnd, text)) return Err("window did not answer");
        return {"OK", text};
    }
    if (verb == "text_utf8") {
        std::string text;
        if (!WideTextOf(hwnd, text)) return Err("window did not answer");
        return {"OK", text};
    }
    if (verb == "find_text") {
        if (!NeedArgs(request, 2, reply)) return reply;
        return FindByText(hwnd, request[2]);
    }
    if (verb == "find_class") {
        if (!NeedArgs(request, 3, reply)) return reply;
        return FindByClass(hwnd, request[2], std::atoi(request[3].c_str()));
    }
    if (verb == "click") {
        PostMessageA(hwnd, BM_CLICK, 0, 0);
        return Ok();
    }
    if (verb == "command") {
        HWND parent = GetParent(hwnd);
        if (!parent) return Err("no parent");
        PostMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd));
        return Ok();
    }
    if (verb == "answer") {
        if (!NeedArgs(request, 2, reply)) return reply;
        return Answer(hwnd, request[2]);
    }
    if (verb == "close") {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return Ok();
    }
    if (verb == "key") {
        if (!NeedArgs(request, 2, reply)) return reply;
        return PressKey(hwnd, request[2]);
    }
    if (verb == "client_size") {
        RECT rect{};
        GetClientRect(hwnd, &rect);
        return {"OK", Number(rect.right - rect.left), Number(rect.bottom - rect.top)};
    }
    if (verb == "text_extent") {
        if (!NeedArgs(request, 5, reply)) return reply;
        return TextExtent(hwnd, std::atoi(request[2].c_str()), request[3],
                          std::atoi(request[4].c_str()), request[5] == "1");
    }
    if (verb == "focus") {
        HWND focus = FocusOf(hwnd);
        if (!focus) return {"OK", "0", "", ""};
        return {"OK", HandleText(focus), ClassOf(focus), TextOrEmpty(focus)};
    }
    return Err("unknown request " + verb);
}

Fields Handle(const Fields& request, bool& quit) {
    const std::string& verb = request[0];
    Fields reply;
    if (verb == "ping") return Ok();
    if (verb == "quit") {
        quit = true;
        return Ok();
    }
    if (verb == "find_process") {
        if (!NeedArgs(request, 1, reply)) return reply;
        return FindProcess(request[1]);
    }
    if (verb == "alive") {
        if (!NeedArgs(request, 1, reply)) return reply;
        return Alive(std::strtoul(request[1].c_str(), nullptr, 10));
    }
    if (verb == "windows") {
        if (!NeedArgs(request, 1, reply)) return reply;
        return ListWindows(std::strtoul(request[1].c_str(), nullptr, 10));
    }
    if (verb == "wait_window" || verb == "wait_created" || verb == "msgbox" ||
        verb == "wait_hidden")
        return HandleWait(verb, request);
    if (verb == "url_handler") {
        if (!NeedArgs(request, 2, reply)) return reply;
        return SetUrlHandler(request[1], request[2]);
    }
    if (!NeedArgs(request, 1, reply)) return reply;
    HWND hwnd = WindowArg(request[1], reply);
    if (!hwnd) return reply;
    return HandleWindowVerb(verb, hwnd, request);
}

}  // namespace

int main() {
    // Plain LF line ends both ways: the harness reads bytes, not a console.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::string line;
    bool quit = false;
    char chunk[4096];
    while (!quit && std::fgets(chunk, sizeof chunk, stdin)) {
        line += chunk;
        if (line.back() != '\n') continue;  // a long line: keep reading
        Fields request = e2e::SplitFields(line);
        line.clear();
        Fields reply = request[0].empty() ? Err("empty request") : Handle(request, quit);
        std::string out = e2e::JoinFields(reply) + "\n";
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
    }
    return 0;
}
