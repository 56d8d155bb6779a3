// orix export: a model, with its skin and VUE animation, as a glTF 2.0 file (.glb or .gltf).
#include <cstdio>
#include <string>

#include "export/gltf_export.h"
#include "files/file_identity.h"
#include "modelfile/orix_file_bne.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_support.h"

namespace orix::tool {

int RunExport(const Args& args) {
    std::string in, out, skin, vue;
    uint32_t flags = 1;
    bool asMesh = false, noSkin = false, noVue = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--flags" && i + 1 < args.size()) {
            if (!ParseUnsigned(args[++i], &flags)) return UsageError("bad --flags " + args[i]);
        } else if (a == "--skin" && i + 1 < args.size()) {
            skin = args[++i];
        } else if (a == "--vue" && i + 1 < args.size()) {
            vue = args[++i];
        } else if (a == "--no-skin") {
            noSkin = true;
        } else if (a == "--no-vue") {
            noVue = true;
        } else if (a == "--as" && i + 1 < args.size()) {
            if (args[++i] != "mesh") return UsageError("--as takes only mesh");
            asMesh = true;
        } else if (!a.empty() && a[0] == '-') {
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
    if (!LoadModel(in, asMesh, flags, &model)) return 1;
    if (!asMesh) {
        // As the viewer does: a skin or VUE file under the model's name beside it.
        if (!LoadCompanions(model, in, vue, skin, noVue, noSkin)) return 1;
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
    for (const std::string& note : result.notes)
        std::fprintf(stderr, "orix export: %s\n", note.c_str());
    if (!result.written) {
        std::fprintf(stderr, "orix: %s\n", result.error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace orix::tool
