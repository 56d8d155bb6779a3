// orix dump: the records of a BNE file, one line each.
#include <cstdio>
#include <vector>

#include "files/input_file.h"
#include "modelfile/bne_dump.h"
#include "tool_support.h"

namespace orix::tool {

int RunDump(const Args& args) {
    if (args.size() != 1) return UsageError("dump needs one BNE file");
    std::vector<char> bytes;
    std::string error;
    if (!ReadWholeFile(args[0], &bytes, &error)) {
        std::fprintf(stderr, "orix: %s\n", error.c_str());
        return 1;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    BneWalkSummary summary = WalkBne(
        data, bytes.size(), [](const std::string& line) { std::printf("%s\n", line.c_str()); });
    if (summary.end == BneWalkEnd::BadMagic) {
        std::fprintf(stderr, "orix: %s is not a BNE file\n", args[0].c_str());
        return 1;
    }
    return summary.end == BneWalkEnd::FileEnd ? 0 : 1;
}

}  // namespace orix::tool
