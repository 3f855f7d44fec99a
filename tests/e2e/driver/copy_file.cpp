// e2e-copyfile SRC DST: copies one file with CopyFileA and ends. The benchmark
// runs it beside the installer as the yardstick for extraction speed: the same
// bytes through the same Wine file layer, with nothing of ours in between.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    return CopyFileA(argv[1], argv[2], FALSE) ? 0 : 1;
}
