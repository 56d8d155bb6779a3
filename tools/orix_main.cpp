// The orix command-line tool: the model pipeline and headless rendering for users and tests.
#include <cstdio>
#include <cstring>

#include "commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* help;
};

const Command kCommands[] = {
    {"device", orix::DeviceCommand, "list or store the display driver the demo uses"},
};

int Usage() {
    std::fprintf(stderr, "usage: orix COMMAND [ARGS]\n       orix --version\ncommands:\n");
    for (const Command& c : kCommands) std::fprintf(stderr, "  %-10s %s\n", c.name, c.help);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 &&
        (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "version") == 0)) {
        std::printf("orix 0.1.0\n");
        return 0;
    }
    if (argc < 2) return Usage();
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
    }
    return Usage();
}
