// orix convert: ASE exports and glTF files to BNE files: an ASE export through the ASE reader's
// copy, a glTF file through its import, with its skin file and pictures beside the BNE file.
//
// A conversion never destroys a file: the copy goes through the file layer, so a failed
// conversion leaves an older file of that name as it was, and an output that is one of the
// inputs, or two outputs that are one file, are refused before anything is read.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>

#include "command_line.h"
#include "files/file_identity.h"
#include "files/output_file.h"
#include "import/gltf_import.h"
#include "import/model_import.h"
#include "model_load.h"
#include "model_options.h"
#include "model_paths.h"
#include "modelfile/model_input.h"
#include "modelfile/orix_file_ase.h"
#include "printable_text.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_engine.h"

namespace orix::tool {

namespace {

bool EndsWithBne(const std::string& path) {
    return HasExtension(path, ".bne");
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
    if (!ReadModelInput(in, &input)) return false;
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

using Job = std::pair<std::string, std::string>;  // an input and its output

// IN OUT.bne names the output; otherwise every name is an input converted beside itself. 0, or
// the usage error's status.
int PlanJobs(const std::vector<std::string>& names, std::vector<Job>* jobs) {
    if (names.size() == 2 && EndsWithBne(names[1])) {
        jobs->push_back({names[0], names[1]});
        return 0;
    }
    for (const std::string& in : names) {
        if (EndsWithBne(in)) {
            return UsageError(names.size() == 2 ? "the output " + in + " comes second"
                                                : "an output name with several inputs: " + in);
        }
        jobs->push_back({in, BneNameFor(in)});
    }
    return 0;
}

// 0 when no input is named twice and no output is an input; else the usage error's status.
int CheckJobs(const std::vector<Job>& jobs) {
    std::vector<std::string> inputs, outputs;
    for (const Job& job : jobs) {
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
    return clash.empty() ? 0 : UsageError(clash);
}

}  // namespace

const CommandOptions& ConvertOptions() {
    static const CommandOptions options = {
        {{"IN...", nullptr, nullptr,
          "ASE exports (told by their content, UTF-16 included); each is written\n"
          "                  beside itself as its name with the extension replaced by .bne\n"},
         {"OUT.bne", nullptr, nullptr,
          "with one input: the output's name; it must end in .bne and differ\n"
          "                  from the input\n"}},
        kConvertModelOptions,
        SIZE_MAX};
    return options;
}

int RunConvert(const Args& args) {
    std::vector<std::string> names;
    ModelSource options;
    options.flags = kAseFinishNodes;
    if (int status = ParseArguments(args, ConvertOptions(), &options, &names, NoOwnOption))
        return status;
    if (names.empty()) return UsageError("convert needs an ASE or glTF file");
    std::vector<Job> jobs;
    if (int status = PlanJobs(names, &jobs)) return status;
    if (int status = CheckJobs(jobs)) return status;
    ToolEngine engine;
    int status = 0;
    for (const Job& job : jobs) {
        if (!ConvertOne(job.first, job.second, options.asMesh, options.flags, options.animation))
            status = 1;
    }
    return status;
}

}  // namespace orix::tool
