// e2e-opened: stands in for the browser and the mail program. The link tests
// register it as the shell's open command for http, https and mailto; each
// start appends one line to C:\e2e\opened.log: the working folder it was
// given, a TAB, and its command line exactly as the shell built it.
#include <windows.h>

#include <string>

int main() {
    char folder[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    const std::string line = std::string(folder) + "\t" + GetCommandLineA() + "\n";
    // One append per start, so records of programs started together do not mix.
    HANDLE log =
        CreateFileA("C:\\e2e\\opened.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    return 0;
}
