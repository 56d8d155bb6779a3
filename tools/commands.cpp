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
        {"device", "list | set N | forget", "list or store the display driver the demo uses",
         RunDevice},
        {"render",
         "[--frames N] [--step-ms MS] [--out DIR] [--every K] [--size WxH] [--res DIR] "
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
