#include "app/resource_folder.h"

#include <system_error>

#ifndef ORIX_RES_FROM_BIN
#define ORIX_RES_FROM_BIN "../share/orix/res"
#endif

namespace orix {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self.parent_path();
}

fs::path InstalledResourceFolder(const fs::path& programFolder) {
    return (programFolder / ORIX_RES_FROM_BIN).lexically_normal();
}

fs::path FindResourceFolder(const fs::path& start) {
    std::error_code ec;
    if (fs::is_directory(start / "res", ec)) return start / "res";
    fs::path self = ProgramFolder();
    if (!self.empty()) {
        for (const fs::path& candidate :
             {self.parent_path() / "res", self / "res", InstalledResourceFolder(self)}) {
            if (fs::is_directory(candidate, ec)) return candidate;
        }
    }
    return start / "res";
}

}  // namespace orix
