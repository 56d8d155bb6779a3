/// \file
/// FountainScene: a scene that shows falling particles with their trails. A stone nozzle stands
/// on a dark land made in code; above it a spawner sends out a burst of particles every few
/// frames, each burst a copy of the first emitting mesh turned about y, each particle dragging a
/// ribbon that fades to black (drawn additively, so it fades out). Spent bursts are removed; the
/// ribbons remove themselves once faded. Nothing is read from files.
///
/// Depends on Scene, Camera, Light, Mesh, RenderStateGroup, FallingParticle and TrailRibbon, and
/// on the engine whose scene is given (its device and background material). The scene must
/// outlive the FountainScene; everything added to it is taken out and deleted again on
/// destruction. Single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orix {

class Camera;
class FallingParticle;
class Light;
class Mesh;
class RenderStateGroup;
class Scene;
class SceneObject;

struct FountainSettings {
    int32_t particlesPerBurst = 14;
    float burstEvery = 6.0f;  ///< frame steps (thirtieths of a second) between bursts
    bool land = true;         ///< the land and the nozzle (leave out for bare particle runs)
};

class FountainScene {
public:
    /// Builds everything into scene and makes its camera the active one.
    explicit FountainScene(Scene& scene, const FountainSettings& settings = FountainSettings());
    ~FountainScene();
    FountainScene(const FountainScene&) = delete;
    FountainScene& operator=(const FountainScene&) = delete;

    /// Falling particles alive now, over all bursts.
    size_t LiveParticles() const;
    /// Ribbons in the scene now (fading or still fed).
    size_t LiveRibbons() const;
    /// Bursts in the scene now, the first one included.
    size_t LiveEmitters() const;

    Camera* camera = nullptr;

private:
    Scene& scene_;
    Light* light_ = nullptr;
    Mesh* land_ = nullptr;
    Mesh* nozzle_ = nullptr;
    SceneObject* templates_ = nullptr;  ///< the template particles, never drawn
    SceneObject* spawner_ = nullptr;
    RenderStateGroup* ribbons_ = nullptr;
    std::vector<SceneObject*> added_;  ///< the scene's children we put there, in order
};

}  // namespace orix
