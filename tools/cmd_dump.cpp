// orix dump: the records of a BNE file, one line each.
#include <cstdio>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "modelfile/bne_dump.h"
#include "modelfile/model_input.h"

namespace orix::tool {

int RunDump(const Args& args) {
    if (args.size() != 1) return UsageError("dump needs one BNE file");
    ModelInput input;
    std::string error;
    if (!ReadModelFile(args[0], &input, &error)) {
        std::fprintf(stderr, "orix: %s\n", error.c_str());
        return 1;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(input.bytes.data());
    BneWalkSummary summary = WalkBne(data, input.bytes.size(), [](const std::string& line) {
        std::printf("%s\n", line.c_str());
    });
    if (input.type != ModelFileType::Bne || summary.end == BneWalkEnd::BadMagic) {
        std::fprintf(stderr, "orix: %s is not a BNE file\n", args[0].c_str());
        return 1;
    }
    return summary.end == BneWalkEnd::FileEnd ? 0 : 1;
}

}  // namespace orix::tool
