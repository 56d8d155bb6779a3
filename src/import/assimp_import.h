/// \file
/// The formats people hold that Orix has no reader of its own for (FBX, OBJ with MTL, Collada,
/// 3DS, DirectX X, B3D, MD5, MilkShape, SMD, PLY, STL and the rest assimp reads), turned into
/// glTF 2.0 binary (GLB) bytes for the glTF import to read as it reads a .glb from memory.
///
/// assimp is a large third-party parser, and crafted or broken files have crashed it, looped it
/// and made it allocate without end. So it never runs in the caller's process: a forked child
/// imports the file under an address-space limit (RLIMIT_AS, on top of what it inherits) and a CPU
/// limit (RLIMIT_CPU), exports the scene with assimp's own glTF 2 exporter ("glb2") to memory and
/// writes it to a pipe; the parent reads it under kMaxInputBytes, kills the child past a
/// wall-clock limit, always reaps it, and turns a crash, a memory or time overrun or assimp's own
/// error into an error message. The caller's process only ever sees bytes or a message.
///
/// Why fork() without exec: re-running /proc/self/exe with a hidden worker entry needs every
/// program that links the library (the tool, the demo, the test and fuzz programs, anyone
/// embedding the engine) to route that entry in its main() first, and a program that forgot would
/// start itself again in full (a window, a command) on the child's arguments. A forked child needs
/// nothing from main(), and under the sanitizers it keeps the shadow memory already mapped, which
/// a fresh exec could not reserve under the address-space limit. The price: the child is a copy of
/// a process that may have other threads, so it does only what is safe after fork (malloc, which
/// glibc keeps usable across fork, assimp's import and export, reads through the file layer, raw
/// write() on the pipe) and leaves with _exit(), never running the parent's exit handlers. It
/// closes every descriptor but the pipe and stderr, so a concurrent import's pipe is not held open.
///
/// Placement: what the GLB holds is glTF's space, right-handed and y-up, in metres where the file
/// names its unit (FBX's UnitScaleFactor, Collada's \<unit\>, as assimp's Collada reader applies
/// it) and in the file's own numbers where it names none (OBJ, STL, PLY, ...). A Z-up file
/// (Collada, 3DS, an FBX whose axis settings say so) is turned to y-up at its root node. Faces are
/// triangulated, and at most four joints weigh each skinned vertex (the rest renormalised).
///
/// Side files: the file and everything assimp asks for next to it (an OBJ's MTL, MD5's
/// animations, pictures) are read only through the file layer, under kMaxInputBytes, from the
/// model's folder or folders below it; a name reaching elsewhere (absolute, "..", a Windows path)
/// is looked up by its last component in the model's folder. Pictures the materials name are
/// embedded in the GLB, so the bytes stand alone; one that cannot be read is dropped from its
/// material with a warning.
///
/// Depends on assimp (libassimp), the file layer and POSIX. Call from any thread; each call forks
/// one child and waits for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orix {

/// What the child may spend on one file.
struct ImportLimits {
    /// Address space the child may add to what it inherits.
    uint64_t memoryBytes = uint64_t{4} << 30;
    /// Processor seconds, then wall-clock seconds, before the child is stopped.
    int cpuSeconds = 60;
    int wallSeconds = 120;
};

/// The format of the file at path as the extension assimp is told (e.g. "fbx", "dae", "3ds"): told
/// by the first bytes (head, size) where the format has a signature (binary and text FBX, Collada,
/// 3DS, X, PLY, B3D, MS3D, MD2/MD3, MD5, LWO, blend), else by path's extension. "" when the bytes
/// are BNE, ASE or glTF (their own readers take them, whatever the name) or neither tells a format
/// assimp reads.
std::string AssimpFormatOf(const std::string& path, const char* head, size_t size);

/// True when path's extension (or path itself, when it holds no '.' or '/') names a format that
/// goes through ImportWithAssimp: any assimp reads, but ASE, BNE, glTF and GLB. Says nothing of
/// the content; a caller that has the first bytes should ask AssimpFormatOf.
bool AssimpCanRead(const std::string& pathOrExtension);

/// Imports the model at path in a child process and gives its GLB bytes in *glb, and in *warnings
/// one line for each thing that could not come along (a picture that could not be read). False,
/// with *error naming path: "PATH: the importer crashed (...)", "PATH: the importer ran out of
/// memory (more than N MiB)", "PATH: the importer took longer than N s", "PATH: " and assimp's own
/// message, or why the file was not handed over (cannot be opened, empty, not a format assimp reads
/// here). *glb is then empty. No child outlives the call.
bool ImportWithAssimp(const std::string& path, const ImportLimits& limits, std::vector<char>* glb,
                      std::vector<std::string>* warnings, std::string* error);

}  // namespace orix
