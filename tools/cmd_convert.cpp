// orix convert: an ASE export to a BNE file, written by the ASE reader's copy.
#include <cstdio>

#include "modelfile/orix_file_ase.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_support.h"

namespace orix::tool {

int RunConvert(const Args& args) {
    std::string in, out;
    uint32_t flags = kAseFinishNodes;
    bool asMesh = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--flags" && i + 1 < args.size()) {
            if (!ParseUnsigned(args[++i], &flags)) return UsageError("bad --flags " + args[i]);
        } else if (a == "--as" && i + 1 < args.size()) {
            std::string kind = args[++i];
            if (kind != "mesh" && kind != "character") return UsageError("bad --as " + kind);
            asMesh = kind == "mesh";
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
    if (in.empty()) return UsageError("convert needs an ASE file");
    if (out.empty()) out = OrixFileAse::CopyNameFor(in);
    std::FILE* probe = std::fopen(in.c_str(), "rb");
    if (!probe) {
        std::fprintf(stderr, "orix: cannot open %s\n", in.c_str());
        return 1;
    }
    std::fclose(probe);

    ToolEngine engine;
    SkinnedCharacter character(1);
    Mesh mesh(1);
    bool ok = false;
    bool copyFailed = false;
    {
        std::unique_ptr<OrixFileAse> reader = asMesh ? std::make_unique<OrixFileAse>(&mesh)
                                                     : std::make_unique<OrixFileAse>(&character);
        reader->SetTextureFailureFatal(false);
        reader->SetCopyName(out);
        ok = reader->Load(in, flags | kAseWriteBne);
        copyFailed = reader->CopyFailed();
    }  // the reader's destruction ends the copy
    if (!ok || copyFailed) {
        std::fprintf(stderr, "orix: could not convert %s to %s\n", in.c_str(), out.c_str());
        if (!ok) std::remove(out.c_str());
        return 1;
    }
    std::printf("%s\n", out.c_str());
    return 0;
}

}  // namespace orix::tool
