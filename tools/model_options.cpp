#include "model_options.h"

#include "tool_support.h"

namespace orix::tool {

namespace {

struct ModelOptionRow {
    ModelOption option;
    const char* name;
    const char* kind;   // the value it takes, as messages name it; null for none
    const char* value;  // the value in usage lines
    const char* help;   // continuation lines indented to the help column
};

const ModelOptionRow kModelOptions[] = {
    {kSkinOption, "--skin", "a file name", "FILE.skn",
     "bind this skin file: it deforms the mesh it names\n"},
    {kVueOption, "--vue", "a file name", "FILE.vue", "add this VUE animation to the meshes\n"},
    {kNoSkinOption, "--no-skin", nullptr, nullptr,
     "no skin file found beside the model under its name\n"},
    {kNoVueOption, "--no-vue", nullptr, nullptr,
     "no VUE animation found beside the model under its name\n"},
    {kAsOption, "--as", "mesh or character", "mesh|character",
     "read every object into one mesh, as the land is loaded, or into a\n"
     "                  character with its nodes (the default)\n"},
    {kFlagsOption, "--flags", "a number", "N",
     "load flags, the sum of these bits (names as the readers spell them):\n"
     "                    1  kAseFinishNodes, kBneFinishNodes: read the animation and finish\n"
     "                       the nodes (frame range, static keys for nodes without keys)\n"
     "                    2  kAseBakePoses, kBneBakePoses: bake the poses of animated nodes\n"
     "                    4  kAseSkipMaterials: no material list, no material references\n"
     "                       (ASE)\n"
     "                    8  kAseBlackIsTransparent, kBneBlackIsTransparent: black texels\n"
     "                       are transparent (the textures' colour key)\n"
     "                   16  kAseWriteBne: write a BNE copy (convert always sets it; info\n"
     "                       and pose never write one)\n"},
    {kAnimationOption, "--animation", "an animation's number or name", "N|NAME",
     "the glTF file's animation to take (the first by default; `orix info`\n"
     "                  lists them)\n"},
};

std::string Spelled(const ModelOptionRow& row) {
    return row.value ? std::string(row.name) + " " + row.value : std::string(row.name);
}

// spelled ("  --skin FILE.skn") and its help as help lines.
std::string HelpLine(const std::string& spelled, const std::string& help) {
    const size_t column = 18;
    // One too long for the column has its help on the next line.
    if (spelled.size() >= column) return spelled + "\n" + std::string(column, ' ') + help;
    return spelled + std::string(column - spelled.size(), ' ') + help;
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

OptionResult TakeModelOption(const Args& args, size_t* i, uint32_t accepted, ModelSource* source,
                             std::string* error) {
    const ModelOptionRow* row = nullptr;
    for (const ModelOptionRow& r : kModelOptions) {
        if ((accepted & r.option) && args[*i] == r.name) row = &r;
    }
    if (!row) return OptionResult::NotMine;
    std::string value;
    if (row->kind && !TakeOptionValue(args, i, row->kind, &value, error)) return OptionResult::Bad;
    switch (row->option) {
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
                return OptionResult::Bad;
            }
            source->asMesh = value == "mesh";
            break;
        case kFlagsOption:
            if (!ParseUnsigned(value, &source->flags)) {
                *error = "bad --flags " + value;
                return OptionResult::Bad;
            }
            source->flagsGiven = true;
            break;
        case kAnimationOption:
            source->animation = value;
            break;
        case kAllModelOptions:
            break;
    }
    return OptionResult::Taken;
}

std::string ModelOptionsUsage(uint32_t accepted) {
    std::string usage;
    for (const ModelOptionRow& r : kModelOptions) {
        if (accepted & r.option) usage += (usage.empty() ? "[" : " [") + Spelled(r) + "]";
    }
    return usage;
}

std::string ModelOptionsHelp(uint32_t accepted) {
    std::string help;
    for (const ModelOptionRow& r : kModelOptions) {
        if (!(accepted & r.option)) continue;
        help += HelpLine("  " + Spelled(r), r.help);
    }
    return help;
}

}  // namespace orix::tool
