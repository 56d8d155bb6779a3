#include "import/assimp_worker.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <vector>

#include "files/input_file.h"
#include "files/path_text.h"
#include "import/assimp_io.h"
#include "render/texture.h"

namespace orix::assimp_worker {

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool WriteRecord(int fd, RecordKind kind, const char* data, uint64_t size) {
    char header[kHeaderBytes];
    header[0] = kind;
    for (int i = 0; i < 8; ++i) header[1 + i] = char(uint8_t(size >> (8 * i)));
    return WriteAll(fd, header, sizeof header) && WriteAll(fd, data, size_t(size));
}

bool WriteText(int fd, RecordKind kind, const std::string& text) {
    return WriteRecord(fd, kind, text.data(), text.size());
}

// operator new's last resort: the address-space limit was reached. Nothing is allocated here.
void OutOfMemory() {
    _exit(kOutOfMemoryExit);
}

void LimitSelf(const Job& job) {
    rlimit space = {rlim_t(job.addressSpaceLimit), rlim_t(job.addressSpaceLimit)};
    setrlimit(RLIMIT_AS, &space);
    // SIGXCPU at the soft limit, SIGKILL a second later should it be caught.
    rlimit cpu = {rlim_t(job.cpuSeconds), rlim_t(job.cpuSeconds) + 1};
    setrlimit(RLIMIT_CPU, &cpu);
    // A crash here is a refused file, not worth a core dump.
    rlimit core = {0, 0};
    setrlimit(RLIMIT_CORE, &core);
    std::set_new_handler(OutOfMemory);
    // Whatever the parent caught or blocked (SDL, a sanitizer) must not hide a crash.
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGXCPU, SIGPIPE})
        std::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // stdout may be the tool's own output; a parser's chatter goes where messages go.
    dup2(STDERR_FILENO, STDOUT_FILENO);
    if (job.pipeFd > 3) close_range(3, unsigned(job.pipeFd) - 1, 0);
    close_range(unsigned(job.pipeFd) + 1, ~0U, 0);
}

// Stand-ins for hostile files, for the tests.
void TestFault(const std::string& fault) {
    if (fault == "crash") raise(SIGSEGV);
    if (fault == "allocate") {
        // Blocks kept through a volatile, so the optimiser cannot drop them, until operator new
        // gives up.
        static void* volatile kept = nullptr;
        for (;;) {
            auto* block = new void*[size_t(8) << 20];
            block[0] = kept;
            kept = block;
        }
    }
    if (fault == "spin") {
        volatile uint64_t n = 0;
        for (;;) n = n + 1;
    }
    if (fault == "sleep") {
        for (;;) pause();
    }
}

// The name assimp is told: the file's own, with the extension of the format its bytes showed,
// so assimp picks its importer by content and MD5's companions keep their stem.
std::string ModelName(const std::string& path, const std::string& format) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                           ? path.substr(0, dot)
                           : path;
    return stem + "." + format;
}

aiTexture* PictureTexture(const std::string& name, const std::vector<char>& bytes) {
    auto* texture = new aiTexture();
    texture->mWidth = unsigned(bytes.size());
    texture->mHeight = 0;
    texture->pcData = new aiTexel[(bytes.size() + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
    std::memcpy(texture->pcData, bytes.data(), bytes.size());
    std::string hint = FileExtension(name);
    if (hint == "jpeg") hint = "jpg";
    std::strncpy(texture->achFormatHint, hint.c_str(), HINTMAXTEXTURELEN - 1);
    texture->mFilename = aiString(name);
    return texture;
}

// Pictures named by path are read now and embedded, so the GLB needs no folder.
void EmbedPictures(aiScene* scene, const std::string& modelFolder,
                   std::vector<std::string>* warnings) {
    std::vector<aiTexture*> textures(scene->mTextures, scene->mTextures + scene->mNumTextures);
    std::map<std::string, int> embedded;  // picture name -> texture index, -1 when unreadable
    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        aiMaterial* material = scene->mMaterials[m];
        for (int type = aiTextureType_NONE; type <= AI_TEXTURE_TYPE_MAX; ++type) {
            auto textureType = aiTextureType(type);
            unsigned count = material->GetTextureCount(textureType);
            for (unsigned i = 0; i < count; ++i) {
                aiString path;
                if (material->GetTexture(textureType, i, &path) != AI_SUCCESS) continue;
                std::string name = path.C_Str();
                if (name.empty() || name[0] == '*' || scene->GetEmbeddedTexture(name.c_str()))
                    continue;
                auto found = embedded.find(name);
                if (found == embedded.end()) {
                    std::vector<char> bytes;
                    std::string error;
                    int index = -1;
                    if (ReadWholeFile(SideFilePath(name, modelFolder), &bytes, &error) &&
                        !bytes.empty()) {
                        index = int(textures.size());
                        textures.push_back(PictureTexture(name, bytes));
                    } else {
                        warnings->push_back("picture " + name +
                                            " dropped: " + (error.empty() ? "it is empty" : error));
                    }
                    found = embedded.emplace(name, index).first;
                }
                if (found->second < 0) {
                    material->RemoveProperty(_AI_MATKEY_TEXTURE_BASE, textureType, i);
                    continue;
                }
                aiString reference(("*" + std::to_string(found->second)).c_str());
                material->AddProperty(&reference, AI_MATKEY_TEXTURE(textureType, i));
            }
        }
    }
    if (textures.size() == scene->mNumTextures) return;
    delete[] scene->mTextures;
    scene->mTextures = new aiTexture*[textures.size()];
    std::copy(textures.begin(), textures.end(), scene->mTextures);
    scene->mNumTextures = unsigned(textures.size());
}

// What assimp's glTF exporter leaves out, said rather than dropped silently.
void ReportUncarried(const aiScene* scene, std::vector<std::string>* warnings) {
    if (scene->mNumCameras > 0)
        warnings->push_back(std::to_string(scene->mNumCameras) + " camera(s) dropped");
    if (scene->mNumLights > 0)
        warnings->push_back(std::to_string(scene->mNumLights) + " light(s) dropped");
}

bool ImportAndSend(const Job& job) {
    std::string name = ModelName(job.path, job.format);
    auto* io = new FileLayerIOSystem(name, job.path);
    std::string folder = io->ModelFolder();
    Assimp::Importer importer;
    importer.SetIOHandler(io);  // the importer owns it
    // Pivots baked into the nodes, not kept as helper nodes of assimp's own naming.
    importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
    importer.SetPropertyInteger(AI_CONFIG_PP_LBW_MAX_WEIGHTS, 4);
    unsigned steps = aiProcess_ValidateDataStructure | aiProcess_Triangulate |
                     aiProcess_SortByPType | aiProcess_JoinIdenticalVertices |
                     aiProcess_LimitBoneWeights;
    if (importer.ReadFile(name, steps) == nullptr) {
        WriteText(job.pipeFd, kError, importer.GetErrorString());
        return false;
    }
    aiScene* scene = importer.GetOrphanedScene();
    if (job.format == "fbx") PlaceFbxScene(scene);
    std::vector<std::string> warnings;
    EmbedPictures(scene, folder, &warnings);
    ReportUncarried(scene, &warnings);
    for (const std::string& warning : warnings) WriteText(job.pipeFd, kWarning, warning);

    Assimp::Exporter exporter;
    const aiExportDataBlob* blob = exporter.ExportToBlob(scene, "glb2");
    if (blob == nullptr) {
        WriteText(job.pipeFd, kError,
                  std::string("cannot write it as glTF: ") + exporter.GetErrorString());
        return false;
    }
    return WriteRecord(job.pipeFd, kGlb, static_cast<const char*>(blob->data), blob->size);
}

}  // namespace

void PlaceFbxScene(aiScene* scene) {
    if (scene->mRootNode == nullptr) return;
    auto setting = [&](const char* key, int32_t fallback) {
        int32_t value = fallback;
        if (scene->mMetaData != nullptr) scene->mMetaData->Get(key, value);
        return value;
    };
    auto axis = [&](const char* key, const char* signKey, int32_t fallback) {
        aiVector3D v;
        int32_t index = setting(key, fallback);
        if (index < 0 || index > 2) index = fallback;
        v[unsigned(index)] = setting(signKey, 1) < 0 ? -1.0f : 1.0f;
        return v;
    };
    // The file's right, up and front axes become glTF's +x, +y and +z.
    aiVector3D right = axis("CoordAxis", "CoordAxisSign", 0);
    aiVector3D up = axis("UpAxis", "UpAxisSign", 1);
    aiVector3D front = axis("FrontAxis", "FrontAxisSign", 2);
    if ((right ^ up) * (right ^ up) < 0.5f || (up ^ front) * (up ^ front) < 0.5f ||
        (front ^ right) * (front ^ right) < 0.5f) {
        right = {1, 0, 0};
        up = {0, 1, 0};
        front = {0, 0, 1};
    }
    // Lengths are in units of UnitScaleFactor centimetres. assimp 5.2 leaves them as they are
    // (AI_CONFIG_FBX_CONVERT_TO_M changes nothing there), so the unit is applied here.
    float unit = 1.0f;
    double unitDouble = 1.0;
    if (scene->mMetaData != nullptr && !scene->mMetaData->Get("UnitScaleFactor", unit) &&
        scene->mMetaData->Get("UnitScaleFactor", unitDouble))
        unit = float(unitDouble);
    float metres = std::isfinite(unit) && unit > 0 ? unit / 100.0f : 0.01f;
    aiMatrix4x4 turn(right.x, right.y, right.z, 0, up.x, up.y, up.z, 0, front.x, front.y, front.z,
                     0, 0, 0, 0, 1);
    aiMatrix4x4 scale;
    aiMatrix4x4::Scaling(aiVector3D(metres), scale);
    scene->mRootNode->mTransformation = scale * turn * scene->mRootNode->mTransformation;
}

void Run(const Job& job) {
    LimitSelf(job);
    if (const char* fault = std::getenv(kTestFaultVariable)) TestFault(fault);
    bool sent = false;
    try {
        sent = ImportAndSend(job);
    } catch (...) {
        WriteText(job.pipeFd, kError, "the importer failed unexpectedly");
    }
    _exit(sent ? 0 : 1);
}

}  // namespace orix::assimp_worker
