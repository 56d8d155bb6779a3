// orix convert: ASE exports and glTF files to BNE files: an ASE export through the ASE reader's
// copy, a glTF file through its import, with its skin file and pictures beside the BNE file.
//
// A conversion never destroys a file: the copy goes through the file layer, so a failed
// conversion leaves an older file of that name as it was, and an output that is one of the
// inputs, or two outputs that are one file, are refused before anything is read.
#include <cstdio>
#include <memory>

#include "files/file_identity.h"
#include "files/output_file.h"
#include "import/gltf_import.h"
#include "import/model_import.h"
#include "model_options.h"
#include "modelfile/model_input.h"
#include "modelfile/orix_file_ase.h"
#include "printable_text.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_support.h"

namespace orix::tool {

namespace {

bool EndsWithBne(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".bne";
}

// A glTF file to its BNE file, skin file and pictures beside out, all written or none.
bool ConvertGltf(const std::string& in, const ModelInput& input, const std::string& out,
                 const std::string& animation) {
    gltf::ImportOptions options;
    options.animation = animation;
    options.modelName = ModelNameOf(out);
    gltf::ImportedModel model;
    std::string error;
    if (!gltf::ImportGltf(input.bytes.data(), input.bytes.size(), FolderOf(in), options, &model,
                          &error)) {
        PrintLine(stderr, "orix: " + in + ": " + error);
        return false;
    }
    for (const std::string& w : model.warnings) PrintLine(stderr, in + ": " + w);
    std::vector<std::string> inputs = model.sideFiles, outputs;
    inputs.push_back(in);
    OutputSet set;
    std::string folder = FolderOf(out);
    for (const gltf::ImportedPicture& p : model.pictures) {
        std::string path = folder.empty() ? p.name : folder + "/" + p.name;
        outputs.push_back(path);
        if (!set.AddBytes(path, p.bytes.data(), p.bytes.size(), &error)) break;
    }
    if (error.empty() && !model.skinText.empty()) {
        outputs.push_back(SideNameFor(out, ".skn"));
        set.AddBytes(outputs.back(), model.skinText.data(), model.skinText.size(), &error);
    }
    outputs.push_back(out);
    std::string clash = FindOutputClash(inputs, outputs);
    if (!clash.empty()) error = clash;
    if (error.empty()) set.AddBytes(out, model.bne.data(), model.bne.size(), &error);
    if (!error.empty() || !set.Commit(&error)) {
        PrintLine(stderr, "orix: could not convert " + in + ": " + error);
        return false;
    }
    for (const std::string& o : outputs) PrintLine(stdout, o);
    return true;
}

// One input to one output; false (with the reason on stderr) when nothing was written.
bool ConvertOne(const std::string& in, const std::string& out, bool asMesh, uint32_t flags,
                const std::string& animation) {
    ModelInput input;
    std::string error;
    std::vector<std::string> importWarnings;
    if (!ReadAnyModelFile(in, &input, &importWarnings, &error)) {
        PrintLine(stderr, "orix: " + error);
        return false;
    }
    for (const std::string& w : importWarnings) PrintLine(stderr, in + ": " + w);
    const ModelFileType type = input.type;
    if (type == ModelFileType::Gltf) return ConvertGltf(in, input, out, animation);
    if (type != ModelFileType::Ase) {
        PrintLine(stderr, "orix: " + in + " " +
                              (type == ModelFileType::Bne ? "is a BNE file already"
                                                          : "is not a model file Orix reads"));
        return false;
    }
    SkinnedCharacter character(1);
    Mesh mesh(1);
    bool ok = false;
    bool copyFailed = false;
    std::vector<std::string> warnings;
    {
        std::unique_ptr<OrixFileAse> reader = asMesh ? std::make_unique<OrixFileAse>(&mesh)
                                                     : std::make_unique<OrixFileAse>(&character);
        reader->SetTextureFailureFatal(false);
        reader->SetPictureFolder(FolderOf(in));
        reader->SetCopyName(out);
        ok = reader->LoadBytes(input.bytes.data(), input.bytes.size(), in, flags | kAseWriteBne);
        // A failed load leaves its copy unfinished, and so never put in place.
        copyFailed = !ok || !reader->FinishCopy();
        warnings = reader->Builder().Warnings();
    }
    for (const std::string& w : warnings) PrintLine(stderr, in + ": " + w);
    if (!ok || copyFailed) {
        PrintLine(stderr, "orix: could not convert " + in + " to " + out);
        return false;
    }
    PrintLine(stdout, out);
    return true;
}

}  // namespace

std::string BneNameFor(const std::string& aseName) {
    size_t slash = aseName.find_last_of("/\\");
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = aseName.rfind('.');
    // A dot that starts the name ("./m.ase" has its dot in the folder) is no extension's.
    if (dot == std::string::npos || dot <= nameStart) return aseName + ".bne";
    return aseName.substr(0, dot) + ".bne";
}

int RunConvert(const Args& args) {
    std::vector<std::string> names;
    ModelSource options;
    options.flags = kAseFinishNodes;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string error;
        OptionResult taken = TakeModelOption(args, &i, kConvertModelOptions, &options, &error);
        if (taken == OptionResult::Bad) return UsageError(error);
        if (taken == OptionResult::Taken) continue;
        if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else {
            names.push_back(a);
        }
    }
    if (names.empty()) return UsageError("convert needs an ASE or glTF file");
    // IN OUT.bne names the output; otherwise every name is an input converted beside itself.
    std::vector<std::pair<std::string, std::string>> jobs;
    if (names.size() == 2 && EndsWithBne(names[1])) {
        jobs.push_back({names[0], names[1]});
    } else {
        for (const std::string& in : names) {
            if (EndsWithBne(in)) {
                return UsageError(names.size() == 2 ? "the output " + in + " comes second"
                                                    : "an output name with several inputs: " + in);
            }
            jobs.push_back({in, BneNameFor(in)});
        }
    }
    std::vector<std::string> inputs, outputs;
    for (const auto& job : jobs) {
        inputs.push_back(job.first);
        outputs.push_back(job.second);
    }
    for (size_t i = 0; i < jobs.size(); ++i) {
        for (size_t k = 0; k < i; ++k) {
            if (SameFile(jobs[i].first, jobs[k].first))
                return UsageError(jobs[i].first + " is named twice");
        }
    }
    std::string clash = FindOutputClash(inputs, outputs);
    if (!clash.empty()) return UsageError(clash);
    ToolEngine engine;
    int status = 0;
    for (const auto& job : jobs) {
        if (!ConvertOne(job.first, job.second, options.asMesh, options.flags, options.animation))
            status = 1;
    }
    return status;
}

}  // namespace orix::tool
