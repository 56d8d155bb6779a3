// orix export: a model, with its skin and VUE animation, as a glTF 2.0 file (.glb or .gltf).
#include <cstdio>
#include <string>

#include "command_line.h"
#include "export/gltf_export.h"
#include "files/file_identity.h"
#include "model_load.h"
#include "model_options.h"
#include "model_paths.h"
#include "modelfile/orix_file_bne.h"
#include "printable_text.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_engine.h"

namespace orix::tool {

namespace {

// 0 when the output is a glTF file the options can make and no file named is the output; else
// the usage error's status.
int CheckNames(const std::string& in, const std::string& out, const ModelSource& options) {
    const std::string ext = LowerExtension(out);
    if (ext != ".gltf" && ext != ".glb") return UsageError("the output must end in .glb or .gltf");
    if (options.asMesh && (!options.skin.empty() || !options.vue.empty()))
        return UsageError("--skin and --vue need a character, not --as mesh");
    // The files named are checked before any work, the ones the load finds after it.
    std::vector<std::string> named = {in};
    for (const std::string* p : {&options.skin, &options.vue}) {
        if (!p->empty()) named.push_back(*p);
    }
    std::string clash = FindOutputClash(named, {out});
    return clash.empty() ? 0 : UsageError(clash);
}

}  // namespace

const CommandOptions& ExportOptions() {
    static const CommandOptions options = {
        {{"OUT", nullptr, nullptr,
          ".glb: one binary file; .gltf: JSON with its buffer and pictures\n"
          "                  beside it\n"}},
        kExportModelOptions,
        2};
    return options;
}

int RunExport(const Args& args) {
    ModelSource options;
    std::vector<std::string> files;
    if (int status = ParseArguments(args, ExportOptions(), &options, &files, NoOwnOption))
        return status;
    if (files.size() < 2 || files[0].empty() || files[1].empty())
        return UsageError("export needs a model and an output file");
    const std::string &in = files[0], &out = files[1];
    if (int status = CheckNames(in, out, options)) return status;

    ToolEngine engine;
    LoadedModel model;
    if (!LoadModel(in, options.asMesh, options.flags, &model, 1, options.animation)) return 1;
    // As the viewer does: a skin or VUE file under the model's name beside it.
    if (!options.asMesh &&
        !LoadCompanions(model, in, options.vue, options.skin, options.noVue, options.noSkin))
        return 1;
    std::string clash = FindOutputClash(model.inputs, {out});
    if (!clash.empty()) return UsageError(clash);

    const gltf::ExportSource source{model, FolderOf(in),
                                    (options.flags & kBneBlackIsTransparent) != 0};
    gltf::ExportResult result = gltf::ExportGltf(source, out);
    for (const std::string& note : result.notes) PrintLine(stderr, "orix export: " + note);
    if (!result.written) {
        PrintLine(stderr, "orix: " + result.error);
        return 1;
    }
    return 0;
}

}  // namespace orix::tool
