#include "wine_harness/screenshot.h"

#include <cstdio>
#include <cstdlib>

#include "wine_harness/files.h"

namespace e2e {

namespace {

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
        ::pclose(pipe);
    }
    return out;
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int NumberAfter(const std::string& text, const std::string& label) {
    size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + label.size());
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

bool SaveWindowScreenshot(const WineSession& session, const std::string& title,
                          const std::string& path) {
    const std::string display = "DISPLAY=" + Quoted(session.display()) + " ";
    const std::string tree = Shell(display + "xwininfo -root -tree 2>/dev/null");
    const std::string needle = " \"" + title + "\":";
    for (size_t at = tree.find(needle); at != std::string::npos; at = tree.find(needle, at + 1)) {
        size_t line = tree.rfind('\n', at);
        line = line == std::string::npos ? 0 : line + 1;
        const size_t id_start = tree.find_first_not_of(' ', line);
        const std::string id = tree.substr(id_start, at - id_start);
        const std::string info = Shell(display + "xwininfo -id " + Quoted(id) + " 2>/dev/null");
        if (info.find("Map State: IsViewable") == std::string::npos) continue;
        const int x = NumberAfter(info, "Absolute upper-left X:");
        const int y = NumberAfter(info, "Absolute upper-left Y:");
        const int w = NumberAfter(info, "Width:");
        const int h = NumberAfter(info, "Height:");
        if (x < 0 || y < 0 || w <= 0 || h <= 0) continue;
        MakeFolders(FolderOf(path));
        const std::string crop = std::to_string(w) + "x" + std::to_string(h) + "+" +
                                 std::to_string(x) + "+" + std::to_string(y);
        Shell(display + "import -window root -crop " + crop + " +repage " + Quoted(path) +
              " 2>/dev/null");
        return PathExists(path);
    }
    return false;
}

}  // namespace e2e
