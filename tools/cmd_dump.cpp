// orix dump: the records of a BNE file, one line each.
#include <cstdio>
#include <vector>

#include "modelfile/bne_dump.h"
#include "tool_support.h"

namespace orix::tool {

int RunDump(const Args& args) {
    if (args.size() != 1) return UsageError("dump needs one BNE file");
    std::FILE* f = std::fopen(args[0].c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "orix: cannot open %s\n", args[0].c_str());
        return 1;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    BneWalkSummary summary = WalkBne(bytes.data(), bytes.size(), [](const std::string& line) {
        std::printf("%s\n", line.c_str());
    });
    if (summary.end == BneWalkEnd::BadMagic) {
        std::fprintf(stderr, "orix: %s is not a BNE file\n", args[0].c_str());
        return 1;
    }
    return summary.end == BneWalkEnd::FileEnd ? 0 : 1;
}

}  // namespace orix::tool
