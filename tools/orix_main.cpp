// The orix command-line tool: the model pipeline for users, scripts and tests.
#include <csignal>
#include <cstdio>
#include <string>

#include "commands.h"

namespace {

void PrintHelp(std::FILE* out) {
    std::fprintf(out, "usage: orix COMMAND [ARGS]\n\ncommands:\n");
    for (const orix::tool::Command& c : orix::tool::Commands()) {
        std::fprintf(out, "  %-8s %s\n           %s\n", c.name, c.usage, c.summary);
    }
    std::fprintf(out,
                 "  help [COMMAND]\n           this list, or one command's options (also "
                 "`orix COMMAND --help`)\n  --version\n\nexit status: 0 done (warnings "
                 "included), 1 the input could not be used, 2 bad arguments\n");
}

const orix::tool::Command* Find(const std::string& name) {
    for (const orix::tool::Command& c : orix::tool::Commands()) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit then makes a write fail, which the file layer reports, instead of
    // ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
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
        if (argc > 2) {
            const orix::tool::Command* c = Find(argv[2]);
            if (!c) {
                std::fprintf(stderr, "orix: unknown command '%s'\n", argv[2]);
                return 2;
            }
            orix::tool::PrintCommandHelp(*c, stdout);
            return 0;
        }
        PrintHelp(stdout);
        return 0;
    }
    if (const orix::tool::Command* c = Find(name)) {
        orix::tool::Args args(argv + 2, argv + argc);
        for (const std::string& a : args) {
            if (a == "--help" || a == "-h") {
                orix::tool::PrintCommandHelp(*c, stdout);
                return 0;
            }
        }
        return c->run(args);
    }
    std::fprintf(stderr, "orix: unknown command '%s'\n", name.c_str());
    PrintHelp(stderr);
    return 2;
}
