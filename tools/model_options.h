// The options that say how to read a model and which skin and animation go with it, shared by
// every command that loads one: one table gives each its name, the value it takes, its usage and
// help lines and the message for a missing value. A command takes the ones it names, with the
// same spelling and meaning everywhere; the commands' own options use TakeOptionValue for the
// same messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

enum class OptionResult { NotMine, Taken, Bad };

// Takes args[*i] (and its value, moving *i on) when it is one of the options in accepted; Bad,
// with *error set ("--skin needs a file name", "bad --flags x"), for a missing or bad value.
OptionResult TakeModelOption(const Args& args, size_t* i, uint32_t accepted, ModelSource* source,
                             std::string* error);

// "[--skin FILE.skn] [--vue FILE.vue] ..." for the options in accepted, in the table's order.
std::string ModelOptionsUsage(uint32_t accepted);
// The help lines of the options in accepted, for `orix COMMAND --help`: each option's help
// starts in column 18, as the commands' own options' do.
std::string ModelOptionsHelp(uint32_t accepted);

// The value after the option args[*i], moving *i on to it; false, with "OPTION needs KIND" in
// *error, when the arguments end there or the next one is an option (starts with "--").
bool TakeOptionValue(const Args& args, size_t* i, const char* kind, std::string* value,
                     std::string* error);

}  // namespace orix::tool
