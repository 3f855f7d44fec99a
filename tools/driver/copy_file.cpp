// e2e-copyfile SRC DST [SRC DST]...: copies each file with CopyFileA and ends.
// The benchmarks run it beside the installer as the yardstick: the same bytes
// through the same Wine file layer, with nothing of ours in between. Many
// pairs in one run keep Wine's start-up out of the per-file figure.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) return 2;
    for (int i = 1; i + 1 < argc; i += 2)
        if (!CopyFileA(argv[i], argv[i + 1], FALSE)) return 1;
    return 0;
}
