#include "model_options.h"

#include <cstdint>

#include "command_line.h"

namespace orix::tool {

namespace {

struct ModelOptionRow {
    ModelOption option;
    OptionRow row;
};

const ModelOptionRow kModelOptions[] = {
    {kSkinOption,
     {"--skin", "FILE.skn", "a file name", "bind this skin file: it deforms the mesh it names\n"}},
    {kVueOption, {"--vue", "FILE.vue", "a file name", "add this VUE animation to the meshes\n"}},
    {kNoSkinOption,
     {"--no-skin", nullptr, nullptr, "no skin file found beside the model under its name\n"}},
    {kNoVueOption,
     {"--no-vue", nullptr, nullptr, "no VUE animation found beside the model under its name\n"}},
    {kAsOption,
     {"--as", "mesh|character", "mesh or character",
      "read every object into one mesh, as the land is loaded, or into a\n"
      "                  character with its nodes (the default)\n"}},
    {kFlagsOption,
     {"--flags", "N", "a number",
      "load flags, the sum of these bits (names as the readers spell them):\n"
      "                    1  kAseFinishNodes, kBneFinishNodes: read the animation and finish\n"
      "                       the nodes (frame range, static keys for nodes without keys)\n"
      "                    2  kAseBakePoses, kBneBakePoses: bake the poses of animated nodes\n"
      "                    4  kAseSkipMaterials: no material list, no material references\n"
      "                       (ASE)\n"
      "                    8  kAseBlackIsTransparent, kBneBlackIsTransparent: black texels\n"
      "                       are transparent (the textures' colour key)\n"
      "                   16  kAseWriteBne: write a BNE copy (convert always sets it; info\n"
      "                       and pose never write one)\n"}},
    {kAnimationOption,
     {"--animation", "N|NAME", "an animation's number or name",
      "the glTF file's animation to take (the first by default; `orix info`\n"
      "                  lists them)\n"}},
};

std::string Spelled(const OptionRow& row) {
    return row.value ? std::string(row.name) + " " + row.value : std::string(row.name);
}

// spelled ("  --skin FILE.skn") and its help as help lines.
std::string HelpLine(const std::string& spelled, const std::string& help) {
    const size_t column = 18;
    // One too long for the column has its help on the next line.
    if (spelled.size() >= column) return spelled + "\n" + std::string(column, ' ') + help;
    return spelled + std::string(column - spelled.size(), ' ') + help;
}

bool IsOption(const std::string& arg) {
    return !arg.empty() && arg[0] == '-';
}

const ModelOptionRow* FindModelOption(const std::string& name, uint32_t accepted) {
    for (const ModelOptionRow& r : kModelOptions) {
        if ((accepted & r.option) && name == r.row.name) return &r;
    }
    return nullptr;
}

const OptionRow* FindOption(const std::string& name, const OptionTable& rows) {
    for (const OptionRow& r : rows) {
        if (IsOption(r.name) && name == r.name) return &r;
    }
    return nullptr;
}

// The model option's value stored in source; false, with why, for a bad one.
bool StoreModelOption(ModelOption option, const std::string& value, ModelSource* source,
                      std::string* error) {
    switch (option) {
        case kSkinOption:
            source->skin = value;
            break;
        case kVueOption:
            source->vue = value;
            break;
        case kNoSkinOption:
            source->noSkin = true;
            break;
        case kNoVueOption:
            source->noVue = true;
            break;
        case kAsOption:
            if (value != "mesh" && value != "character") {
                *error = "--as takes mesh or character, not " + value;
                return false;
            }
            source->asMesh = value == "mesh";
            break;
        case kFlagsOption:
            if (!ParseUnsigned(value, &source->flags)) {
                *error = "bad --flags " + value;
                return false;
            }
            source->flagsGiven = true;
            break;
        case kAnimationOption:
            source->animation = value;
            break;
        case kAllModelOptions:
            break;
    }
    return true;
}

// args[*i], an option, taken with its value (moving *i on); false, with why.
bool TakeOne(const Args& args, size_t* i, const CommandOptions& options, ModelSource* source,
             const TakeOption& take, std::string* error) {
    const std::string name = args[*i];
    std::string value;
    if (const ModelOptionRow* m = FindModelOption(name, options.model)) {
        if (m->row.kind && !TakeOptionValue(args, i, m->row.kind, &value, error)) return false;
        return StoreModelOption(m->option, value, source, error);
    }
    const OptionRow* row = FindOption(name, options.rows);
    if (!row) {
        *error = "unknown option " + name;
        return false;
    }
    if (row->value && !TakeOptionValue(args, i, row->kind, &value, error)) return false;
    return take(name, value, error);
}

}  // namespace

bool TakeOptionValue(const Args& args, size_t* i, const char* kind, std::string* value,
                     std::string* error) {
    const size_t next = *i + 1;
    if (next >= args.size() || args[next].compare(0, 2, "--") == 0) {
        *error = args[*i] + " needs " + kind;
        return false;
    }
    *value = args[next];
    *i = next;
    return true;
}

bool NoOwnOption(const std::string&, const std::string&, std::string*) {
    return true;
}

int ParseArguments(const Args& args, const CommandOptions& options, ModelSource* source,
                   std::vector<std::string>* arguments, const TakeOption& take) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string error;
        if (IsOption(args[i])) {
            if (!TakeOne(args, &i, options, source, take, &error)) return UsageError(error);
        } else if (options.maxArguments != SIZE_MAX && !arguments->empty() &&
                   arguments->back().empty()) {
            arguments->back() = args[i];  // an empty argument fills no place
        } else if (arguments->size() < options.maxArguments) {
            arguments->push_back(args[i]);
        } else {
            return UsageError("too many arguments");
        }
    }
    return 0;
}

std::string ModelOptionsUsage(uint32_t accepted) {
    std::string usage;
    for (const ModelOptionRow& r : kModelOptions) {
        if (accepted & r.option) usage += (usage.empty() ? "[" : " [") + Spelled(r.row) + "]";
    }
    return usage;
}

std::string OptionsHelp(const CommandOptions& options) {
    std::string help;
    for (const OptionRow& r : options.rows) help += HelpLine("  " + Spelled(r), r.help);
    for (const ModelOptionRow& r : kModelOptions) {
        if (options.model & r.option) help += HelpLine("  " + Spelled(r.row), r.row.help);
    }
    return help;
}

}  // namespace orix::tool
