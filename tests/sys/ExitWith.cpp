// Child program of the process tests: exits with the code given as its argument (0 without).
#include <stdlib.h>

int main(int argc, char** argv) {
    return argc > 1 ? atoi(argv[1]) : 0;
}
