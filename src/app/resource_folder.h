/// \file
/// Where the demonstration's resource folder is: "res" under the folder the program starts in,
/// as the demonstration has always looked for it; in a build tree the res/ folder the build
/// makes beside the program's folder (or in it); once installed, the data folder that
/// `cmake --install` fills, found relative to the program itself, so the installed programs
/// work from any folder.
/// Depends on the standard library (and Linux's /proc/self/exe for the program's own place).
#pragma once

#include <filesystem>

namespace orix {

/// The folder holding the running program; empty when it cannot be told.
std::filesystem::path ProgramFolder();

/// The installed data folder for a program in programFolder (\<prefix\>/bin gives
/// \<prefix\>/share/orix/res, or what the install's data folder was configured to be).
std::filesystem::path InstalledResourceFolder(const std::filesystem::path& programFolder);

/// The first of: start/res, the build's res/ beside or in the program's folder, the installed
/// data folder; start/res when none exists (its absence is then the caller's message).
std::filesystem::path FindResourceFolder(const std::filesystem::path& start);

}  // namespace orix
