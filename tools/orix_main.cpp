// The orix command-line tool: the model pipeline and headless rendering for users and tests.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "version") == 0)) {
        std::printf("orix 0.1.0\n");
        return 0;
    }
    std::fprintf(stderr, "usage: orix --version\n");
    return 2;
}
