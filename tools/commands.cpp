#include "commands.h"

namespace orix::tool {

namespace {

// Runs a command written against argc and argv.
int WithArgv(int (*command)(int, char**), const Args& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return command(int(args.size()), argv.data());
}

}  // namespace

int RunDevice(const Args& args) {
    return WithArgv(DeviceCommand, args);
}

int RunRender(const Args& args) {
    return WithArgv(RenderCommand, args);
}

const char* const kLoadFlagsHelp =
    "  --flags N     load flags, the sum of these bits (names as the readers spell them):\n"
    "                  1  kAseFinishNodes, kBneFinishNodes: read the animation and finish the\n"
    "                     nodes (frame range, static keys for nodes without keys)\n"
    "                  2  kAseBakePoses, kBneBakePoses: bake the poses of animated nodes\n"
    "                  4  kAseSkipMaterials: no material list, no material references (ASE)\n"
    "                  8  kAseBlackIsTransparent, kBneBlackIsTransparent: black texels are\n"
    "                     transparent (the textures' colour key)\n"
    "                 16  kAseWriteBne: write a BNE copy (convert always sets it; info and\n"
    "                     pose never write one)\n";

void PrintCommandHelp(const Command& command, std::FILE* out) {
    std::fprintf(out, "usage: orix %s %s\n  %s\n", command.name, command.usage, command.summary);
    if (command.help) std::fprintf(out, "\n%s", command.help);
}

namespace {

// The command's options, the load flags, then its notes.
std::string WithFlags(const char* options, const char* notes) {
    return std::string(options) + kLoadFlagsHelp + notes;
}

const std::string kConvertHelp = WithFlags(
    "  IN...         ASE exports (told by their content, UTF-16 included); each is written\n"
    "                beside itself as its name with the extension replaced by .bne\n"
    "  OUT.bne       with one input: the output's name; it must end in .bne and differ from\n"
    "                the input\n"
    "  --as mesh     read every object into one mesh, as the land is loaded\n",
    "  The output is written to a temporary file and renamed into place when complete: a\n"
    "  failed conversion leaves an older file of that name as it was. A file BNE cannot hold\n"
    "  (over 255 materials, or sub-materials in one) is refused with the limit named.\n");
const std::string kInfoHelp = WithFlags(
    "  FILE          an ASE export or a BNE file (told by its content)\n"
    "  --as mesh     read every object into one mesh\n"
    "  --json        one JSON object: meshes, helpers, materials, textures, frames, frame\n"
    "                speed, ticks per frame, bounds and the load's warnings\n",
    "  Pictures are looked for as named, beside the model, then by their base name beside\n"
    "  the model; missing ones are warnings (on stderr, and in --json).\n");
const std::string kPoseHelp = WithFlags(
    "  --frame F     a frame number (fractions allowed), first or last: the file's range\n"
    "  --skin FILE   bind a skin file (.skn) and deform the mesh it names\n"
    "  --vue FILE    add a VUE animation to the meshes\n"
    "  --vertices    also print every mesh vertex in world space\n",
    "  Output: one JSON object per node: name, kind, world matrix (16 numbers, row by row).\n");

}  // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"convert", "IN.ase... | IN.ase OUT.bne [--flags N] [--as mesh]",
         "ASE to BNE through the reader's copy (flags 1 unless given)", RunConvert,
         kConvertHelp.c_str()},
        {"dump", "FILE.bne", "one line per record: offset, tag, name, payload", RunDump,
         "  Exit status 1 when the file is no BNE file or ends before its File End record.\n"},
        {"info", "FILE [--flags N] [--as mesh] [--json]",
         "what a model holds: meshes, helpers, materials, textures, keys, frames", RunInfo,
         kInfoHelp.c_str()},
        {"pose",
         "FILE --frame F|first|last [--skin FILE.skn] [--vue FILE.vue] [--flags N] [--vertices]",
         "world matrices of every node at frame F, one JSON object per line", RunPose,
         kPoseHelp.c_str()},
        {"export",
         "IN OUT.glb|OUT.gltf [--skin FILE.skn] [--vue FILE.vue] [--no-skin] [--no-vue] [--flags "
         "N] [--as mesh]",
         "a model with its pictures, animation and skin as a glTF 2.0 file", RunExport},
        {"device", "list | set N | forget", "list or store the display driver the demo uses",
         RunDevice},
        {"render",
         "[--frames N] [--step-ms MS] [--out DIR] [--every K] [--size WxH] [--res DIR] [--driver "
         "N] "
         "[--scene demo|fountain]\n"
         "         | FILE [--frame F|first|last | --frames N [--every K] | --turntable N]\n"
         "           [--sheet OUT.png] [--size WxH] [--out DIR] [--grid] [--skin FILE.skn]\n"
         "           [--vue FILE.vue] [--no-skin] [--no-vue] [--flags N] [--as mesh]",
         "the demo (or the fountain), or a model as `orix view` shows it, offscreen to PNG, "
         "with the real frame rate",
         RunRender},
        {"view",
         "FILE [--skin FILE.skn] [--vue FILE.vue] [--no-skin] [--no-vue] [--flags N] [--as mesh]",
         "a model in a window: orbit, play, step, wireframe, bones, screenshots", RunView},
    };
    return commands;
}

}  // namespace orix::tool
