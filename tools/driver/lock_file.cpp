// e2e-lockfile PATH: opens an existing file with no sharing, says "locked"
// on stdout, and holds the file until its stdin ends. The install tests use
// it to keep a font file in use, as the system does with an installed font.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("failed %lu\n", GetLastError());
        std::fflush(stdout);
        return 1;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
    }
    CloseHandle(file);
    return 0;
}
