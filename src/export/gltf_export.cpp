#include "export/gltf_export.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "device/globals.h"
#include "export/gltf_axes.h"
#include "export/gltf_builder.h"
#include "export/gltf_files.h"
#include "files/path_text.h"
#include "math/types.h"
#include "modelfile/utf8_text.h"
#include "render/texture.h"
#include "scene/frame_player.h"
#include "scene/frame_seek.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"

namespace orix::gltf {

namespace {

// The samples of all nodes together (64 bytes each while the export runs, and the time to
// play them); more come only from damaged files.
constexpr int64_t kMaxSamples = int64_t{1} << 21;

// What the export takes of a bound skin.
struct SkinPlanOut {
    MeshSkin mesh;
    std::vector<SceneObject*> bones;  // the joints, in binding order
    bool needsStill = false;          // some vertices follow no bone
};

SkinPlanOut PlanSkin(const SkinnedCharacter& c, std::vector<std::string>& notes) {
    SkinPlanOut out;
    const Mesh& m = *c.skinMesh;
    static const SkinShare kNoSkin;
    const SkinShare& skin = c.skin ? *c.skin : kNoSkin;
    const SkinPlan& plan = skin.plan;
    std::map<const SceneObject*, uint16_t> jointOf;
    std::vector<uint16_t> jointOfBinding(c.skinBindings.size(), 0);
    for (size_t b = 0; b < c.skinBindings.size(); ++b) {
        SceneObject* bone = c.skinBindings[b].bone;
        if (!bone) continue;
        auto known = jointOf.find(bone);
        if (known == jointOf.end()) {
            known = jointOf.emplace(bone, uint16_t(out.bones.size())).first;
            out.bones.push_back(bone);
        }
        jointOfBinding[b] = known->second;
    }
    const uint16_t still = uint16_t(out.bones.size());
    const bool lit = c.vertexFormat == 1;
    const size_t restCount = lit ? skin.litRestCopy.size() : skin.unlitRestCopy.size();
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        int32_t b = v < plan.bindingOfVertex.size() ? plan.bindingOfVertex[v] : -1;
        const SceneObject* bone = b >= 0 ? c.skinBindings[size_t(b)].bone : nullptr;
        Vector3 rest = m.VertexPosition(v);
        if (v < restCount) {
            const auto& at = [&](const auto& copy) {
                return Vector3{copy[v].x, copy[v].y, copy[v].z};
            };
            rest = lit ? at(skin.litRestCopy) : at(skin.unlitRestCopy);
        }
        if (bone) {
            // The rest copy holds the vertex in its bone's space; the bind pose puts it back.
            out.mesh.bindPositions.push_back(TransformPoint(rest, bone->nodeTransform));
            out.mesh.jointOfVertex.push_back(jointOfBinding[size_t(b)]);
        } else {
            out.mesh.bindPositions.push_back(rest);
            out.mesh.jointOfVertex.push_back(still);
            out.needsStill = true;
        }
    }
    // The copies made for split texture coordinates follow their representative.
    for (size_t i = 0; i + 1 < plan.copies.size(); i += 2) {
        uint32_t from = plan.copies[i], to = plan.copies[i + 1];
        if (from >= m.vertexCount || to >= m.vertexCount) continue;
        out.mesh.bindPositions[to] = out.mesh.bindPositions[from];
        out.mesh.jointOfVertex[to] = out.mesh.jointOfVertex[from];
    }
    if (plan.layered)
        notes.push_back("skin " + m.name +
                        ": vertices listed under several bones move with the last one only "
                        "(glTF blends bones, the engine chains them)");
    return out;
}

// The frames the engine plays: the scene's range, longer when a VUE track runs past it.
int64_t FrameCount(const ExportSource& source, const std::vector<SceneObject*>& objects) {
    int64_t last = source.model.lastFrame;
    for (const SceneObject* o : objects) {
        if (o->motionMode == MotionMode::MatrixTrack && o->MatrixKeyCount() > 0)
            last =
                std::max<int64_t>(last, int64_t{o->firstFrame} + int64_t(o->MatrixKeyCount()) - 1);
    }
    return std::max<int64_t>(1, last - source.model.firstFrame + 1);
}

// The rest transform of a node: its first frame, as translation, rotation and scale, or as a
// matrix where a still node holds a shear.
void SetRestTransform(const NodeTrack& track, tinygltf::Node* node) {
    const Matrix& rest = track.locals[0];
    if (rest == Matrix::Identity()) return;
    Trs trs;
    bool moves = false;
    for (const Matrix& m : track.locals) moves = moves || MaxDifference(m, rest) > 1e-6f;
    if (!Decompose(rest, &trs) && !moves) {
        std::array<double, 16> cm = ColumnMajor(rest);
        node->matrix.assign(cm.begin(), cm.end());
        return;
    }
    node->translation.assign(trs.t, trs.t + 3);
    node->rotation.assign(trs.r, trs.r + 4);
    node->scale.assign(trs.s, trs.s + 3);
}

// The skin over the bones (joint nodes given), and the still joint when there is one: each
// bone's inverse bind matrix undoes its node transform, the bind pose the rest copy was made in.
void AddSkin(const Mesh& skinMesh, const std::vector<SceneObject*>& bones,
             const std::vector<int>& jointNodes, int stillNode, GltfBuilder& b,
             std::vector<size_t>& replaced) {
    tinygltf::Skin s;
    s.name = AsUtf8(skinMesh.name);
    s.joints = jointNodes;
    std::vector<float> inverse;
    for (size_t j = 0; j < bones.size(); ++j) {
        Matrix unbind = AffineInverse(bones[j]->nodeTransform);
        replaced[size_t(jointNodes[j])] += FiniteOrIdentity(&unbind);
        std::array<double, 16> cm = ColumnMajor(ToGltf(unbind));
        inverse.insert(inverse.end(), cm.begin(), cm.end());
    }
    if (stillNode >= 0) {
        s.joints.push_back(stillNode);
        std::array<double, 16> cm = ColumnMajor(Matrix::Identity());
        inverse.insert(inverse.end(), cm.begin(), cm.end());
    }
    s.inverseBindMatrices = b.AddFloats(inverse, TINYGLTF_TYPE_MAT4, 0, false);
    b.model.skins.push_back(s);
}

// Plays the model frame by frame from its first frame, as the engine plays it, and records
// every node's local transform in glTF space. The skin mesh stays at the origin; the still
// joint (when there is one) stands where the skin mesh is.
std::vector<NodeTrack> PlayAndSample(SceneObject* player, const SkinnedCharacter* c,
                                     const std::vector<SceneObject*>& objects, const Mesh* skinMesh,
                                     int stillNode, const std::vector<int>& parentOf,
                                     int64_t frames) {
    const size_t nodes = parentOf.size();
    std::vector<NodeTrack> tracks(nodes);
    for (size_t i = 0; i < nodes; ++i) tracks[i].node = int(i);
    FramePlayer play(*player);
    std::vector<Matrix> placed(nodes);
    for (int64_t f = 0; f < frames; ++f) {
        play.PlayTo(double(f));
        // Poses relative to the character, which stands at the glTF scene's origin.
        Matrix toModel = c ? AffineInverse(c->world) : Matrix::Identity();
        for (size_t i = 0; i < objects.size(); ++i) {
            placed[i] = objects[i] == skinMesh ? Matrix::Identity() : objects[i]->world * toModel;
        }
        if (stillNode >= 0) placed[size_t(stillNode)] = skinMesh->world * toModel;
        for (size_t i = 0; i < nodes; ++i) {
            int p = parentOf[i];
            Matrix local = p < 0 ? placed[i] : placed[i] * AffineInverse(placed[size_t(p)]);
            tracks[i].replaced += FiniteOrIdentity(&local);
            tracks[i].locals.push_back(ToGltf(local));
        }
    }
    return tracks;
}

}  // namespace

ExportResult ExportGltf(const ExportSource& source, const std::string& path) {
    ExportResult result;
    std::string ext = FileExtension(path);
    const bool binary = ext == "glb";
    if (!binary && ext != "gltf") {
        result.error = path + ": the name must end in .glb or .gltf";
        return result;
    }
    SkinnedCharacter* c = source.model.character.get();
    std::vector<SceneObject*> objects;
    if (c) {
        for (int32_t i = 0; i < c->meshCount; ++i) objects.push_back(c->meshes[i]);
        for (int32_t i = 0; i < c->helperCount; ++i) objects.push_back(c->helpers[i]);
    } else if (source.model.mesh.get()) {
        objects.push_back(source.model.mesh.get());
    }
    if (objects.empty()) {
        result.error = "the model holds no mesh or helper to export";
        return result;
    }
    for (const std::string& name : source.model.collisionMeshes)
        result.notes.push_back("collision mesh " + name + " left out: it is never drawn");

    GltfBuilder b;
    tinygltf::Model& model = b.model;
    model.asset.version = "2.0";
    model.asset.generator = "Orix";

    // Nodes, in the order the engine holds them.
    std::map<const SceneObject*, int> nodeOf;
    for (SceneObject* o : objects) {
        nodeOf[o] = int(model.nodes.size());
        tinygltf::Node node;
        node.name =
            AsUtf8(o->name.empty() ? std::string(o->kind == 2 ? "helper" : "mesh") : o->name);
        model.nodes.push_back(node);
    }
    const Mesh* skinMesh = c && c->skinLoaded ? c->skinMesh : nullptr;
    if (skinMesh && !nodeOf.count(skinMesh)) skinMesh = nullptr;
    SkinPlanOut skin;
    if (skinMesh) skin = PlanSkin(*c, result.notes);

    std::vector<int> parentOf(objects.size(), -1);
    for (size_t i = 0; i < objects.size(); ++i) {
        const SceneObject* parent = objects[i]->boneParent;
        // glTF draws a skinned mesh where its joints are, whatever its parents; it stays a root.
        if (objects[i] == skinMesh || !parent || !nodeOf.count(parent)) continue;
        parentOf[i] = nodeOf[parent];
    }
    // The joint that vertices bound to no bone follow: it holds the skin mesh's own place.
    int stillNode = -1;
    if (skinMesh && skin.needsStill) {
        stillNode = int(model.nodes.size());
        tinygltf::Node node;
        node.name = AsUtf8(skinMesh->name) + " (unbound vertices)";
        model.nodes.push_back(node);
        // Under the joints' common root, where there is one, as glTF asks of a skin's joints.
        const SceneObject* root = nullptr;
        bool common = !skin.bones.empty();
        for (const SceneObject* bone : skin.bones) {
            const SceneObject* top = bone;
            while (top->boneParent && nodeOf.count(top->boneParent)) top = top->boneParent;
            if (root && top != root) common = false;
            root = top;
        }
        parentOf.push_back(common && root ? nodeOf[root] : -1);
    }

    const int64_t frames = FrameCount(source, objects);
    const int64_t lastFrame = int64_t{source.model.firstFrame} + frames - 1;
    if (!FramesStepExactly(source.model.firstFrame, lastFrame)) {
        result.error = "frames " + std::to_string(source.model.firstFrame) + " to " +
                       std::to_string(lastFrame) + " reach past frame " +
                       std::to_string(kMaxSteppedFrame) +
                       " (2^24), where the engine's time stops advancing";
        return result;
    }
    if (frames > kMaxSamples / int64_t(model.nodes.size())) {
        result.error = std::to_string(frames) + " frames of " + std::to_string(model.nodes.size()) +
                       " nodes exceed the export's " + std::to_string(kMaxSamples) + " samples";
        return result;
    }

    // Meshes, before the model is played: the skin's bind pose is read from its rest copy.
    std::vector<size_t> replaced(model.nodes.size(), 0);  // non-finite numbers, per node
    MeshWriter meshes(source, b, binary, result.notes);
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->kind != 1) continue;
        const Mesh* m = static_cast<const Mesh*>(objects[i]);
        int index = meshes.AddMesh(*m, m == skinMesh ? &skin.mesh : nullptr, &replaced[i]);
        model.nodes[i].mesh = index;
    }
    SceneObject* player = c ? static_cast<SceneObject*>(c) : source.model.mesh.get();
    std::vector<NodeTrack> tracks =
        PlayAndSample(player, c, objects, skinMesh, stillNode, parentOf, frames);
    const size_t nodes = model.nodes.size();

    for (size_t i = 0; i < nodes; ++i) SetRestTransform(tracks[i], &model.nodes[i]);
    for (size_t i = 0; i < nodes; ++i) {
        if (parentOf[i] >= 0) model.nodes[size_t(parentOf[i])].children.push_back(int(i));
    }

    if (skinMesh) {
        std::vector<int> joints;
        for (SceneObject* bone : skin.bones) joints.push_back(nodeOf[bone]);
        AddSkin(*skinMesh, skin.bones, joints, stillNode, b, replaced);
        model.nodes[size_t(nodeOf[skinMesh])].skin = int(model.skins.size() - 1);
    }
    std::vector<double> times;
    const double fps = source.model.framesPerSecond > 0.0 ? source.model.framesPerSecond : 30.0;
    for (int64_t f = 0; f < frames; ++f) times.push_back(double(f) / fps);
    std::vector<NodeTrack> moving;
    for (size_t i = 0; i < nodes; ++i) {
        if (objects.size() > i && objects[i] == skinMesh) continue;
        moving.push_back(std::move(tracks[i]));
    }
    AddAnimation(b, moving, times, result.notes);
    for (const NodeTrack& track : moving) replaced[size_t(track.node)] += track.replaced;
    for (size_t i = 0; i < nodes; ++i) {
        if (replaced[i] > 0)
            result.notes.push_back("node " + model.nodes[i].name + ": " +
                                   std::to_string(replaced[i]) +
                                   " numbers that were not finite replaced (a transform by the "
                                   "identity, a vertex by the origin)");
    }

    tinygltf::Scene scene;
    for (size_t i = 0; i < nodes; ++i) {
        if (parentOf[i] < 0) scene.nodes.push_back(int(i));
    }
    model.scenes.push_back(scene);
    model.defaultScene = 0;
    for (tinygltf::Material& m : model.materials) m.name = AsUtf8(m.name);
    for (tinygltf::Mesh& m : model.meshes) m.name = AsUtf8(m.name);
    for (tinygltf::Image& im : model.images) im.name = AsUtf8(im.name);

    if (!model.buffers.empty() && model.buffers[0].data.empty()) model.buffers.clear();
    if (!WriteGltfFiles(model, b.pictureFiles, path, binary, source.model.inputs, &result.error))
        return result;
    result.written = true;
    return result;
}

}  // namespace orix::gltf
