// orix export: a model, with its skin and VUE animation, as a glTF 2.0 file (.glb or .gltf).
#include <cstdio>
#include <string>

#include "export/gltf_export.h"
#include "files/file_identity.h"
#include "model_options.h"
#include "modelfile/orix_file_bne.h"
#include "printable_text.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_support.h"

namespace orix::tool {

int RunExport(const Args& args) {
    ModelSource options;
    std::string in, out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string error;
        OptionResult taken = TakeModelOption(args, &i, kExportModelOptions, &options, &error);
        if (taken == OptionResult::Bad) return UsageError(error);
        if (taken == OptionResult::Taken) continue;
        if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (in.empty()) {
            in = a;
        } else if (out.empty()) {
            out = a;
        } else {
            return UsageError("too many arguments");
        }
    }
    if (in.empty() || out.empty()) return UsageError("export needs a model and an output file");
    const std::string &skin = options.skin, &vue = options.vue;
    const bool asMesh = options.asMesh;
    const uint32_t flags = options.flags;
    std::string ext =
        out.substr(out.find_last_of('.') == std::string::npos ? out.size() : out.find_last_of('.'));
    for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (ext != ".gltf" && ext != ".glb") return UsageError("the output must end in .glb or .gltf");
    if (asMesh && (!skin.empty() || !vue.empty()))
        return UsageError("--skin and --vue need a character, not --as mesh");

    // The files named are checked before any work, the ones the load finds after it.
    std::vector<std::string> named = {in};
    for (const std::string* p : {&skin, &vue}) {
        if (!p->empty()) named.push_back(*p);
    }
    std::string clash = FindOutputClash(named, {out});
    if (!clash.empty()) return UsageError(clash);

    ToolEngine engine;
    LoadedModel model;
    if (!LoadModel(in, asMesh, flags, &model, 1, options.animation)) return 1;
    if (!asMesh) {
        // As the viewer does: a skin or VUE file under the model's name beside it.
        if (!LoadCompanions(model, in, vue, skin, options.noVue, options.noSkin)) return 1;
    }
    clash = FindOutputClash(model.inputs, {out});
    if (!clash.empty()) return UsageError(clash);

    gltf::ExportSource source;
    source.character = model.character.get();
    source.mesh = model.mesh.get();
    source.materialPictures = model.materialPictures;
    source.materialNames = model.materialNames;
    source.pictureFolder = FolderOf(in);
    source.firstFrame = model.firstFrame;
    source.lastFrame = model.lastFrame;
    source.framesPerSecond = model.framesPerSecond;
    source.blackIsTransparent = (flags & kBneBlackIsTransparent) != 0;
    source.collisionMeshes = model.collisionMeshes;
    source.inputs = model.inputs;
    gltf::ExportResult result = gltf::ExportGltf(source, out);
    for (const std::string& note : result.notes) PrintLine(stderr, "orix export: " + note);
    if (!result.written) {
        PrintLine(stderr, "orix: " + result.error);
        return 1;
    }
    return 0;
}

}  // namespace orix::tool
