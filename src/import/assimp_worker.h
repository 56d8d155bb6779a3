/// \file
/// The child's side of ImportWithAssimp (assimp_import.h): the limits it puts on itself, the
/// import, the turn into glTF's space, and what it writes on the pipe.
///
/// The pipe carries records: a kind byte, the payload's length as 8 little-endian bytes, the
/// payload. Warnings come first, then one GLB or one error. A child that ran out of memory exits
/// with kOutOfMemoryExit and writes nothing more.
#pragma once

#include <cstdint>
#include <string>

struct aiScene;

namespace orix::assimp_worker {

enum RecordKind : char { kWarning = 'W', kError = 'E', kGlb = 'G' };
constexpr int kHeaderBytes = 9;
constexpr int kOutOfMemoryExit = 86;
/// Read in the child only: "crash", "allocate", "spin" or "sleep" stand in for a parser that
/// crashes, allocates without end, or loops on the processor or waiting, so tests can show each
/// becomes a clean error.
constexpr const char* kTestFaultVariable = "ORIX_ASSIMP_TEST_FAULT";

struct Job {
    std::string path;            ///< the model file
    std::string format;          ///< the extension assimp is told
    uint64_t addressSpaceLimit;  ///< absolute, for RLIMIT_AS
    int cpuSeconds;
    int pipeFd;  ///< the write end
};

/// Runs in the forked child; never returns.
[[noreturn]] void Run(const Job& job);

/// Turns the scene into glTF's y-up space in metres where its file names a unit: an FBX's axis
/// settings and UnitScaleFactor (kept in the scene's metadata) applied at the root node. Other
/// importers turn their own files already.
void PlaceFbxScene(aiScene* scene);

}  // namespace orix::assimp_worker
