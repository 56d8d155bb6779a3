// The orix command-line tool: the model pipeline for users, scripts and tests.
#include <cstdio>
#include <string>

#include "commands.h"

namespace {

void PrintHelp(std::FILE* out) {
    std::fprintf(out, "usage: orix COMMAND [ARGS]\n\ncommands:\n");
    for (const orix::tool::Command& c : orix::tool::Commands()) {
        std::fprintf(out, "  %-8s %s\n           %s\n", c.name, c.usage, c.summary);
    }
    std::fprintf(out, "  help     this list\n  --version\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintHelp(stderr);
        return 2;
    }
    std::string name = argv[1];
    if (name == "--version" || name == "version") {
        std::printf("orix 0.1.0\n");
        return 0;
    }
    if (name == "help" || name == "--help" || name == "-h") {
        PrintHelp(stdout);
        return 0;
    }
    for (const orix::tool::Command& c : orix::tool::Commands()) {
        if (name == c.name) return c.run(orix::tool::Args(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "orix: unknown command '%s'\n", name.c_str());
    PrintHelp(stderr);
    return 2;
}
