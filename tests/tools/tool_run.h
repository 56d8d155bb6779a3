// Running the built orix tool: its exit status and output; whole-file reads and writes.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace orix_tool_test {

struct Result {
    int status = -1;
    std::string out;
};

// Runs a shell command: its exit status and stdout.
inline Result Shell(const std::string& command) {
    Result r;
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// Runs the tool offscreen with args (already quoted), capturing stdout; stderr is dropped, or
// captured after stdout with withStderr.
inline Result Tool(const std::string& args, bool withStderr = false) {
    return Shell(std::string("ORIX_OFFSCREEN=1 '") + ORIX_TOOL_PATH + "' " + args +
                 (withStderr ? " 2>&1" : " 2>/dev/null"));
}

inline void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace orix_tool_test
