// The options of every command, declared as tables: each row gives an option its name, the
// value it takes, the message for a missing value and its help lines, so that one table both
// parses the command's arguments and prints its `--help`. The options that say how to read a
// model and which skin and animation go with it are one shared table, taken by every command that
// loads one with the same spelling and meaning everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "commands.h"

namespace orix::tool {

struct ModelSource {
    std::string path;
    std::string skin;       // given with --skin
    std::string vue;        // given with --vue
    std::string animation;  // a glTF file's animation, given with --animation
    bool noSkin = false;
    bool noVue = false;
    bool asMesh = false;
    uint32_t flags = 1;
    bool flagsGiven = false;
};

// The model options, as bits of the set a command takes.
enum ModelOption : uint32_t {
    kSkinOption = 1,        // --skin FILE.skn
    kVueOption = 2,         // --vue FILE.vue
    kNoSkinOption = 4,      // --no-skin
    kNoVueOption = 8,       // --no-vue
    kAsOption = 16,         // --as mesh|character
    kFlagsOption = 32,      // --flags N
    kAnimationOption = 64,  // --animation N|NAME
    kAllModelOptions = 127,
};

// The model options each command takes.
constexpr uint32_t kConvertModelOptions = kAsOption | kFlagsOption | kAnimationOption;
constexpr uint32_t kInfoModelOptions = kAsOption | kFlagsOption | kAnimationOption;
constexpr uint32_t kPoseModelOptions = kSkinOption | kVueOption | kFlagsOption | kAnimationOption;
constexpr uint32_t kExportModelOptions = kAllModelOptions;
constexpr uint32_t kRenderModelOptions = kAllModelOptions;
constexpr uint32_t kViewModelOptions = kAllModelOptions;

// One option of a command, or (a name without "--") one of its arguments, shown in help only.
struct OptionRow {
    const char* name;   // "--frame", or "FILE"
    const char* value;  // the value in help lines ("F"); null for a switch or an argument
    const char* kind;   // the value as a missing-value message names it
    const char* help;   // continuation lines indented to column 18
};
using OptionTable = std::vector<OptionRow>;

// A command's table and what it takes besides: its model options and how many arguments.
struct CommandOptions {
    OptionTable rows;
    uint32_t model = 0;
    size_t maxArguments = 1;
};

// Called for each of a command's own options in the order given, value "" for a switch; false,
// with *error set, for a bad value.
using TakeOption =
    std::function<bool(const std::string& name, const std::string& value, std::string* error)>;

// The take of a command with no options of its own: never called.
bool NoOwnOption(const std::string& name, const std::string& value, std::string* error);

// Parses args by options: model options into *source, the command's own through take, the rest
// into *arguments. 0, or 2 after a usage error on stderr (a missing or bad value, an unknown
// option, more than options.maxArguments arguments), the first in argument order. Where the
// arguments are limited, an empty one leaves its place to the next.
int ParseArguments(const Args& args, const CommandOptions& options, ModelSource* source,
                   std::vector<std::string>* arguments, const TakeOption& take);

// "[--skin FILE.skn] [--vue FILE.vue] ..." for the options in accepted, in the table's order.
std::string ModelOptionsUsage(uint32_t accepted);
// The help lines of the table's rows, then of the model options it takes: each option's help
// starts in column 18.
std::string OptionsHelp(const CommandOptions& options);

// The value after the option args[*i], moving *i on to it; false, with "OPTION needs KIND" in
// *error, when the arguments end there or the next one is an option (starts with "--").
bool TakeOptionValue(const Args& args, size_t* i, const char* kind, std::string* value,
                     std::string* error);

}  // namespace orix::tool
