// The harness's end of e2e-driver.exe: starts the driver under Wine, sends
// requests and reads the one-line replies (protocol.h), and wraps the requests
// in typed calls.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "wine_harness/piped_program.h"

namespace e2e {

class WineSession;

struct Reply {
    bool ok = false;
    std::vector<std::string> fields;  // after "OK"; after "ERR": the reason
    std::string error() const { return ok || fields.empty() ? std::string() : fields[0]; }
};

struct WindowInfo {
    std::string hwnd;
    std::string class_name;
    std::string title;
    bool visible = false;
};

struct Control {
    std::string hwnd;
    int id = 0;
    std::string class_name;
    std::string text;
    bool visible = false;
    bool enabled = false;
    bool checked = false;
    int left = 0, top = 0, right = 0, bottom = 0;  // in the window's client pixels
};

struct MessageBoxInfo {
    std::string hwnd;
    std::string text;
    bool has_icon = false;
    std::vector<std::string> buttons;  // captions without '&'
};

class DriverClient {
public:
    ~DriverClient();
    // Starts e2e-driver.exe in the session's prefix; false (and `why`) when it
    // does not answer a ping.
    bool Start(WineSession& session, std::string& why);
    void Stop();
    bool running() const { return program_.running(); }

    // One request; the reply waits at most `timeout_ms` beyond any wait the
    // request itself asks for.
    Reply Request(const std::vector<std::string>& fields, int timeout_ms = 60000);

    // Typed requests. Window handles stay text ("0x1004a"); empty means none.
    bool FindProcess(const std::string& exe, unsigned& windows_pid);
    bool Alive(unsigned windows_pid);
    std::vector<WindowInfo> Windows(unsigned windows_pid);
    // A shown window; with `hidden_too`, one that exists, shown or not.
    std::string WaitWindow(unsigned windows_pid, const std::string& title, int timeout_ms,
                           bool hidden_too = false);
    bool WaitHidden(const std::string& hwnd, int timeout_ms);
    std::vector<Control> Controls(const std::string& hwnd);
    std::string Text(const std::string& hwnd);
    // The text as the user sees it, in UTF-8, whatever the ANSI code page.
    std::string TextUtf8(const std::string& hwnd);
    std::string FindByText(const std::string& window, const std::string& text);
    std::string FindByClass(const std::string& window, const std::string& class_name, int index);
    bool Click(const std::string& hwnd);
    bool Command(const std::string& hwnd);
    bool WaitMessageBox(unsigned windows_pid, const std::string& title, int timeout_ms,
                        MessageBoxInfo& box);
    bool Answer(const std::string& box, const std::string& caption);
    bool Close(const std::string& hwnd);
    bool Key(const std::string& hwnd, const std::string& key);
    bool ClientSize(const std::string& hwnd, int& width, int& height);
    // The pixels the control's caption needs in the font `face`, `hundredths`
    // of a point, on one line (wrap 0) or broken into lines `wrap` pixels wide.
    bool TextExtent(const std::string& hwnd, int wrap, const std::string& face, int hundredths,
                    bool underline, int& width, int& height);
    std::string Focus(const std::string& hwnd, std::string* class_name = nullptr,
                      std::string* text = nullptr);
    // Sets the command the shell opens links of `scheme` with ("http",
    // "mailto", ...); empty removes it. The command it replaced goes to
    // `previous`.
    bool SetUrlHandler(const std::string& scheme, const std::string& command,
                       std::string& previous);

    // The last failure of a typed request, for test messages.
    const std::string& last_error() const { return last_error_; }

private:
    Reply Checked(const std::vector<std::string>& fields, int timeout_ms = 60000);

    PipedProgram program_;
    std::string last_error_;
};

}  // namespace e2e
