#include "commands.h"

#include "model_options.h"

namespace orix::tool {

void PrintCommandHelp(const Command& command, std::FILE* out) {
    std::fprintf(out, "usage: orix %s %s\n  %s\n", command.name, command.usage, command.summary);
    if (command.help) std::fprintf(out, "\n%s", command.help);
}

namespace {

// A command's usage: its own arguments, then the model options it takes.
std::string Usage(const char* arguments, uint32_t modelOptions, const char* more = "") {
    return std::string(arguments) + " " + ModelOptionsUsage(modelOptions) + more;
}

// A command's help: its table's rows, the model options it takes, then its notes.
std::string Help(const CommandOptions& options, const char* notes) {
    return OptionsHelp(options) + notes;
}

const char kCompanionsNote[] =
    "  A skin (.skn) and a VUE animation (.vue) under the model's name beside it are loaded\n"
    "  (said on stderr) unless others are named or they are left out.\n";

const std::string kConvertUsage = Usage("IN.ase... | IN.ase OUT.bne", kConvertModelOptions);
const std::string kConvertHelp =
    Help(ConvertOptions(),
         "  The output is written to a temporary file and renamed into place when complete: a\n"
         "  failed conversion leaves an older file of that name as it was. A file BNE cannot hold\n"
         "  (over 255 materials, or sub-materials in one) is refused with the limit named.\n");
const std::string kInfoUsage = Usage("FILE", kInfoModelOptions, " [--json]");
const std::string kInfoHelp =
    Help(InfoOptions(),
         "  Pictures are looked for as named, beside the model, then by their base name beside\n"
         "  the model; missing ones are warnings (on stderr, and in --json).\n");
const std::string kPoseUsage =
    Usage("FILE --frame F|first|last", kPoseModelOptions, " [--vertices]");
const std::string kPoseHelp = Help(
    PoseOptions(),
    "  Output: one JSON object per node: name, kind, world matrix (16 numbers, row by row).\n");
const std::string kExportUsage = Usage("IN OUT.glb|OUT.gltf", kExportModelOptions);
const std::string kExportHelp = Help(ExportOptions(), kCompanionsNote);
const std::string kRenderUsage = Usage(
    "[--frames N] [--step-ms MS] [--out DIR] [--every K] [--size WxH] [--res DIR] [--driver N] "
    "[--scene demo|fountain]\n"
    "         | FILE [--frame F|first|last | --frames N [--every K] | --turntable N]\n"
    "           [--sheet OUT.png] [--size WxH] [--out DIR] [--grid]\n          ",
    kRenderModelOptions);
const char kRenderDemoNote[] =
    "  Without FILE, the demonstration (or the fountain) for N frames (90) of MS\n"
    "  milliseconds (33) each, every K-th frame (default: the last) written as\n"
    "  DIR/frame-NNNN.png, its files from --res DIR or the build's res/, on the stored\n"
    "  display driver or driver N of `orix device list`.\n"
    "  With FILE, a model as `orix view` shows it:\n";
const std::string kRenderHelp = kRenderDemoNote + Help(RenderModelOptions(), kCompanionsNote);
const std::string kViewUsage = Usage("FILE", kViewModelOptions);
const std::string kViewHelp = Help(ViewOptions(), kCompanionsNote);

}  // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"convert", kConvertUsage.c_str(),
         "ASE to BNE through the reader's copy (flags 1 unless given)", RunConvert,
         kConvertHelp.c_str()},
        {"dump", "FILE.bne", "one line per record: offset, tag, name, payload", RunDump,
         "  Exit status 1 when the file is no BNE file or ends before its File End record.\n"},
        {"info", kInfoUsage.c_str(),
         "what a model holds: meshes, helpers, materials, textures, keys, frames", RunInfo,
         kInfoHelp.c_str()},
        {"pose", kPoseUsage.c_str(),
         "world matrices of every node at frame F, one JSON object per line", RunPose,
         kPoseHelp.c_str()},
        {"export", kExportUsage.c_str(),
         "a model with its pictures, animation and skin as a glTF 2.0 file", RunExport,
         kExportHelp.c_str()},
        {"device", "list | set N | forget", "list or store the display driver the demo uses",
         RunDevice},
        {"render", kRenderUsage.c_str(),
         "the demo (or the fountain), or a model as `orix view` shows it, offscreen to PNG, "
         "with the real frame rate",
         RunRender, kRenderHelp.c_str()},
        {"view", kViewUsage.c_str(),
         "a model in a window: orbit, play, step, wireframe, bones, screenshots", RunView,
         kViewHelp.c_str()},
    };
    return commands;
}

}  // namespace orix::tool
