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

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"convert", "IN.ase [OUT.bne] [--flags N] [--as mesh]",
         "ASE to BNE through the reader's copy (flags 1 unless given)", RunConvert},
        {"dump", "FILE.bne", "one line per record: offset, tag, name, payload", RunDump},
        {"info", "FILE [--flags N] [--as mesh] [--json]",
         "what a model holds: meshes, helpers, materials, textures, keys, frames", RunInfo},
        {"pose", "FILE --frame F|first [--skin FILE.skn] [--vue FILE.vue] [--flags N] [--vertices]",
         "world matrices of every node at frame F, one JSON object per line", RunPose},
        {"export", "IN OUT.glb|OUT.gltf [--skin FILE.skn] [--vue FILE.vue] [--flags N] [--as mesh]",
         "a model with its pictures, animation and skin as a glTF 2.0 file", RunExport},
        {"device", "list | set N | forget", "list or store the display driver the demo uses",
         RunDevice},
        {"render",
         "[--frames N] [--step-ms MS] [--out DIR] [--every K] [--size WxH] [--res DIR] "
         "[--scene demo|fountain]",
         "the demo (or the fountain) offscreen to PNG frames, with the real frame rate", RunRender},
    };
    return commands;
}

}  // namespace orix::tool
