// The orix tool's commands: one entry per command, each in its own cmd_*.cpp, dispatched by
// orix_main.cpp. A command gets its arguments after the command name and returns the exit
// status, the same for every command: 0 done (a model that loaded with warnings included),
// 1 the input could not be used (a file that could not be read, converted or written),
// 2 bad arguments. `orix COMMAND --help` (and `orix help COMMAND`) prints the row's usage,
// summary and help for every command, before the command sees its arguments; a command's help
// is drawn from the table of its options (model_options.h) that also parses them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace orix::tool {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;    // the arguments, for `orix help`
    const char* summary;  // one line
    int (*run)(const Args& args);
    const char* help = nullptr;  // what `orix COMMAND --help` adds: options, one per line
};

// Prints command's usage, summary and help to out.
void PrintCommandHelp(const Command& command, std::FILE* out);

int RunConvert(const Args& args);
int RunDump(const Args& args);
int RunInfo(const Args& args);
int RunPose(const Args& args);
int RunExport(const Args& args);
// orix device [list | set N | forget]: the display driver the demo renders with.
int RunDevice(const Args& args);
// orix render [--frames N] [--step-ms MS] ... [--scene demo|fountain]: the demonstration (or
// the fountain) offscreen with a fixed frame step, frames as PNG, the real frame rate; with a
// file first, RunRenderModel.
int RunRender(const Args& args);
// orix render FILE ...: a model drawn by the model view (cmd_render_model.cpp).
int RunRenderModel(const Args& args);
// orix view FILE ...: a model in a window (cmd_view.cpp).
int RunView(const Args& args);

// The options each command takes, as tables (model_options.h), beside the command that takes
// them.
struct CommandOptions;
const CommandOptions& ConvertOptions();
const CommandOptions& InfoOptions();
const CommandOptions& PoseOptions();
const CommandOptions& ExportOptions();
const CommandOptions& RenderModelOptions();
const CommandOptions& ViewOptions();

// Every command, in the order `orix help` lists them.
const std::vector<Command>& Commands();

}  // namespace orix::tool
