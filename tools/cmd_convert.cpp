// orix convert: ASE exports to BNE files, written by the ASE reader's copy.
//
// A conversion never destroys a file: the copy is written under a temporary name beside its
// destination and renamed into place only once complete, so a failed conversion leaves an
// older file of that name as it was, and an output that names its own input is refused.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "model_options.h"
#include "modelfile/model_text.h"
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

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code errorA, errorB;
    if (std::filesystem::equivalent(a, b, errorA)) return true;
    auto ca = std::filesystem::weakly_canonical(a, errorA);
    auto cb = std::filesystem::weakly_canonical(b, errorB);
    return errorA || errorB ? a == b : ca == cb;
}

// One input to one output; false (with the reason on stderr) when nothing was written.
bool ConvertOne(const std::string& in, const std::string& out, bool asMesh, uint32_t flags) {
    std::vector<char> bytes;
    if (!ReadFileBytes(in, &bytes)) {
        PrintLine(stderr, "orix: cannot open " + in);
        return false;
    }
    ModelFileType type = DetectModelFileType(bytes.data(), bytes.size());
    if (type != ModelFileType::Ase) {
        PrintLine(stderr, "orix: " + in + " " +
                              (type == ModelFileType::Bne ? "is a BNE file already"
                                                          : "is not an ASE export"));
        return false;
    }
    std::string temporary = out + ".orix-partial-" + std::to_string(getpid());
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
        reader->SetCopyName(temporary);
        ok = reader->LoadBytes(bytes.data(), bytes.size(), in, flags | kAseWriteBne);
        copyFailed = reader->CopyFailed();
        warnings = reader->Builder().Warnings();
    }  // the reader's destruction ends the copy
    for (const std::string& w : warnings) PrintLine(stderr, in + ": " + w);
    std::error_code error;
    if (ok && !copyFailed) std::filesystem::rename(temporary, out, error);
    if (!ok || copyFailed || error) {
        std::remove(temporary.c_str());
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
    if (names.empty()) return UsageError("convert needs an ASE file");
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
    for (size_t i = 0; i < jobs.size(); ++i) {
        for (size_t k = 0; k < jobs.size(); ++k) {
            if (SameFile(jobs[i].second, jobs[k].first))
                return UsageError("the output " + jobs[i].second + " is an input");
            if (k != i && SameFile(jobs[i].first, jobs[k].first))
                return UsageError(jobs[i].first + " is named twice");
        }
    }
    ToolEngine engine;
    int status = 0;
    for (const auto& job : jobs) {
        if (!ConvertOne(job.first, job.second, options.asMesh, options.flags)) status = 1;
    }
    return status;
}

}  // namespace orix::tool
