// The line protocol between the end-to-end harness (Linux) and e2e-driver.exe
// (Windows, under Wine). Shared by both ends so they cannot drift apart.
//
// One request per line, one reply line per request. A line is a list of
// fields separated by TAB; inside a field, backslash, TAB, CR and LF are
// written as \\, \t, \r and \n. A reply's first field is "OK" or "ERR"; after
// "ERR" comes one field with the reason. Window handles are hexadecimal
// ("0x1004a"), flags are "0" or "1".
//
// Requests (timeouts in milliseconds; pid is the Windows process id):
//   ping                           -> OK
//   find_process  EXE              -> OK pid              (exe name, any case)
//   alive         PID              -> OK 0|1
//   windows       PID              -> OK n {hwnd class title visible}*n
//   wait_window   PID TITLE MS     -> OK hwnd             (visible top-level)
//   wait_created  PID TITLE MS     -> OK hwnd             (top-level, shown or hidden)
//   wait_hidden   HWND MS          -> OK                  (hidden or destroyed)
//   controls      HWND             -> OK n {hwnd id class text visible enabled
//                                       checked left top right bottom}*n
//                                     every descendant; rect in HWND's client
//                                     pixels; visible is the control's own flag
//   text          HWND             -> OK text
//   text_utf8     HWND             -> OK text             (read as UTF-16, sent as UTF-8)
//   find_text     HWND TEXT        -> OK hwnd             (descendant by text)
//   find_class    HWND CLASS INDEX -> OK hwnd             (INDEX-th of a class)
//   click         HWND             -> OK                  (posts BM_CLICK)
//   command       HWND             -> OK                  (WM_COMMAND to parent)
//   msgbox        PID TITLE MS     -> OK hwnd text icon buttons...
//                                     waits for a visible "#32770" window
//   answer        HWND CAPTION     -> OK                  (presses that button)
//   close         HWND             -> OK                  (posts WM_CLOSE)
//   key           HWND enter|escape|tab -> OK             (to the focused control)
//   client_size   HWND             -> OK width height
//   text_extent   HWND WRAP FACE HUNDREDTHS UNDERLINE -> OK width height
//                                     its caption in that font; WRAP 0: one line
//   focus         HWND             -> OK hwnd class text  (hwnd 0: none)
//   url_handler   SCHEME COMMAND   -> OK previous         (the shell's open command
//                                     for SCHEME: links; empty COMMAND removes it)
//   quit                           -> OK, then the driver ends
#pragma once

#include <string>
#include <vector>

namespace e2e {

inline std::string EscapeField(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

inline std::string UnescapeField(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        switch (c) {
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        default: out += c;  // "\\" and anything unknown: the character itself
        }
    }
    return out;
}

inline std::string JoinFields(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) line += '\t';
        line += EscapeField(fields[i]);
    }
    return line;
}

// Splits one line (without its line end) into unescaped fields. A trailing
// CR, which a Windows console stream may add, is dropped.
inline std::vector<std::string> SplitFields(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(
            UnescapeField(line.substr(start, tab == std::string::npos ? tab : tab - start)));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return fields;
}

}  // namespace e2e
