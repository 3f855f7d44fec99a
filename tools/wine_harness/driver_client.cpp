#include "wine_harness/driver_client.h"

#include <cstdlib>

#include "wine_harness/files.h"
#include "wine_harness/protocol.h"
#include "wine_harness/wine_session.h"

namespace e2e {
namespace {

// The first Wine program of a run may also have to start Wine's own services.
constexpr int kStartTimeoutMs = 600000;

int ToInt(const std::string& text) { return std::atoi(text.c_str()); }

}  // namespace

DriverClient::~DriverClient() { Stop(); }

bool DriverClient::Start(WineSession& session, std::string& why) {
    std::string built = std::string(KERVALE_WIN32_DIR) + "/tools/driver/e2e-driver.exe";
    std::string content;
    if (!ReadWholeFile(built, content)) {
        why = "missing " + built + " (run scripts/build.sh)";
        return false;
    }
    MakeFolders(session.DriveC() + "/e2e");
    WriteWholeFile(session.DriveC() + "/e2e/e2e-driver.exe", content);

    if (!program_.Start(session, {"wine", "C:\\e2e\\e2e-driver.exe"},
                        session.work_dir() + "/logs/driver.log", why))
        return false;
    Reply pong = Request({"ping"}, kStartTimeoutMs);
    if (!pong.ok) {
        why = "e2e-driver.exe did not answer: " + pong.error();
        Stop();
        return false;
    }
    return true;
}

void DriverClient::Stop() {
    if (program_.running()) Request({"quit"}, 5000);
    program_.Stop(10000);
}

Reply DriverClient::Request(const std::vector<std::string>& fields, int timeout_ms) {
    Reply reply;
    if (!program_.running()) {
        reply.fields = {"the driver is not running"};
        return reply;
    }
    if (!program_.Write(JoinFields(fields) + "\n")) {
        reply.fields = {"cannot write to the driver"};
        return reply;
    }
    std::string answer;
    if (!program_.ReadLine(answer, timeout_ms)) {
        reply.fields = {"no reply from the driver to " + fields[0]};
        // Its next reply would answer this request, not the next one.
        program_.Kill();
        return reply;
    }
    std::vector<std::string> parts = SplitFields(answer);
    reply.ok = parts[0] == "OK";
    reply.fields.assign(parts.begin() + 1, parts.end());
    if (!reply.ok && reply.fields.empty()) reply.fields = {"malformed reply: " + answer};
    return reply;
}

Reply DriverClient::Checked(const std::vector<std::string>& fields, int timeout_ms) {
    Reply reply = Request(fields, timeout_ms);
    if (!reply.ok) last_error_ = fields[0] + ": " + reply.error();
    return reply;
}

bool DriverClient::FindProcess(const std::string& exe, unsigned& windows_pid) {
    Reply r = Checked({"find_process", exe});
    if (!r.ok) return false;
    windows_pid = static_cast<unsigned>(std::strtoul(r.fields[0].c_str(), nullptr, 10));
    return true;
}

bool DriverClient::Alive(unsigned windows_pid) {
    Reply r = Checked({"alive", std::to_string(windows_pid)});
    return r.ok && r.fields[0] == "1";
}

std::vector<WindowInfo> DriverClient::Windows(unsigned windows_pid) {
    std::vector<WindowInfo> windows;
    Reply r = Checked({"windows", std::to_string(windows_pid)});
    if (!r.ok) return windows;
    const size_t stride = 4;
    for (size_t i = 1; i + stride <= r.fields.size(); i += stride)
        windows.push_back({r.fields[i], r.fields[i + 1], r.fields[i + 2], r.fields[i + 3] == "1"});
    return windows;
}

std::string DriverClient::WaitWindow(unsigned windows_pid, const std::string& title, int timeout_ms,
                                     bool hidden_too) {
    Reply r = Checked({hidden_too ? "wait_created" : "wait_window", std::to_string(windows_pid),
                       title, std::to_string(timeout_ms)},
                      timeout_ms + 60000);
    return r.ok ? r.fields[0] : std::string();
}

bool DriverClient::WaitHidden(const std::string& hwnd, int timeout_ms) {
    return Checked({"wait_hidden", hwnd, std::to_string(timeout_ms)}, timeout_ms + 60000).ok;
}

std::vector<Control> DriverClient::Controls(const std::string& hwnd) {
    std::vector<Control> controls;
    Reply r = Checked({"controls", hwnd});
    if (!r.ok) return controls;
    const size_t stride = 11;
    for (size_t i = 1; i + stride <= r.fields.size(); i += stride) {
        const std::string* f = &r.fields[i];
        Control c;
        c.hwnd = f[0];
        c.id = ToInt(f[1]);
        c.class_name = f[2];
        c.text = f[3];
        c.visible = f[4] == "1";
        c.enabled = f[5] == "1";
        c.checked = f[6] == "1";
        c.left = ToInt(f[7]);
        c.top = ToInt(f[8]);
        c.right = ToInt(f[9]);
        c.bottom = ToInt(f[10]);
        controls.push_back(c);
    }
    return controls;
}

std::string DriverClient::Text(const std::string& hwnd) {
    Reply r = Checked({"text", hwnd});
    return r.ok ? r.fields[0] : std::string();
}

std::string DriverClient::TextUtf8(const std::string& hwnd) {
    Reply r = Checked({"text_utf8", hwnd});
    return r.ok ? r.fields[0] : std::string();
}

std::string DriverClient::FindByText(const std::string& window, const std::string& text) {
    Reply r = Checked({"find_text", window, text});
    return r.ok ? r.fields[0] : std::string();
}

std::string DriverClient::FindByClass(const std::string& window, const std::string& class_name,
                                      int index) {
    Reply r = Checked({"find_class", window, class_name, std::to_string(index)});
    return r.ok ? r.fields[0] : std::string();
}

bool DriverClient::Click(const std::string& hwnd) { return Checked({"click", hwnd}).ok; }
bool DriverClient::Command(const std::string& hwnd) { return Checked({"command", hwnd}).ok; }

bool DriverClient::WaitMessageBox(unsigned windows_pid, const std::string& title, int timeout_ms,
                                  MessageBoxInfo& box) {
    Reply r = Checked({"msgbox", std::to_string(windows_pid), title, std::to_string(timeout_ms)},
                      timeout_ms + 60000);
    if (!r.ok || r.fields.size() < 3) return false;
    box.hwnd = r.fields[0];
    box.text = r.fields[1];
    box.has_icon = r.fields[2] == "1";
    box.buttons.assign(r.fields.begin() + 3, r.fields.end());
    return true;
}

bool DriverClient::Answer(const std::string& box, const std::string& caption) {
    return Checked({"answer", box, caption}).ok;
}

bool DriverClient::Close(const std::string& hwnd) { return Checked({"close", hwnd}).ok; }

bool DriverClient::Key(const std::string& hwnd, const std::string& key) {
    return Checked({"key", hwnd, key}).ok;
}

bool DriverClient::ClientSize(const std::string& hwnd, int& width, int& height) {
    Reply r = Checked({"client_size", hwnd});
    if (!r.ok) return false;
    width = ToInt(r.fields[0]);
    height = ToInt(r.fields[1]);
    return true;
}

bool DriverClient::TextExtent(const std::string& hwnd, int wrap, const std::string& face,
                              int hundredths, bool underline, int& width, int& height) {
    Reply r = Checked({"text_extent", hwnd, std::to_string(wrap), face, std::to_string(hundredths),
                       underline ? "1" : "0"});
    if (!r.ok) return false;
    width = ToInt(r.fields[0]);
    height = ToInt(r.fields[1]);
    return true;
}

std::string DriverClient::Focus(const std::string& hwnd, std::string* class_name,
                                std::string* text) {
    Reply r = Checked({"focus", hwnd});
    if (!r.ok || r.fields[0] == "0") return std::string();
    if (class_name) *class_name = r.fields[1];
    if (text) *text = r.fields[2];
    return r.fields[0];
}

bool DriverClient::SetUrlHandler(const std::string& scheme, const std::string& command,
                                 std::string& previous) {
    Reply r = Checked({"url_handler", scheme, command});
    if (!r.ok) return false;
    previous = r.fields.empty() ? std::string() : r.fields[0];
    return true;
}

}  // namespace e2e
