/// \file
/// ModelView: one model in a scene of its own, as `orix view` and `orix render FILE` show it:
/// framed by its bounding box from a three-quarter view above, lit by a light at the camera, on
/// a dark background over a ground grid, played at the file's frame speed from its first frame.
/// It is an application of the engine, like the demonstration: a scene root, a camera, a light
/// and the model's own meshes or character, drawn by the engine's render pass.
///
/// The view owns its scene objects, never the model: Show takes a model the caller keeps alive
/// until the next Show (or the view's end). The engine (and its device) must outlive the view.
/// Playback: the view plays the model to its own frame as `orix pose` does (FramePlayer), so the
/// picture depends on the frame alone, never on the frame clock. Single-threaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/vector3.h"
#include "platform/device_types.h"
#include "viewer/orbit_view.h"

namespace orix {

class FramePlayer;

class Camera;
class Engine;
class Light;
class Scene;
class SceneObject;
class GroundGrid;
class AxisMarkers;
struct MaterialSet;

/// The frames of a model file and how fast they play.
struct ModelFrames {
    int32_t first = 0;
    int32_t last = 0;
    double framesPerSecond = 30.0;
};

/// The box around every finite vertex of the enabled meshes under root (root included) as
/// posed now; without vertices, around the nodes' origins; false (box untouched) when there is
/// nothing at all.
bool ModelBounds(const SceneObject& root, Vector3* lo, Vector3* hi);

class ModelView {
public:
    explicit ModelView(Engine& engine);
    ~ModelView();
    ModelView(const ModelView&) = delete;
    ModelView& operator=(const ModelView&) = delete;

    /// Puts model (null: none) in the scene in place of the last one, at its first frame,
    /// playing, and frames it.
    void Show(SceneObject* model, const ModelFrames& frames);
    /// Frames the model as posed at the current frame (F).
    void Reframe();

    /// --- playback ------------------------------------------------------------------------------
    /// Moves the frame on by seconds at the file's frame speed when playing, wrapping from the
    /// last frame to the first.
    void Advance(double seconds);
    /// Clamped to first..last.
    void SetFrame(double frame);
    /// One whole frame on (or back), pausing playback; wraps at either end.
    void Step(int frames);
    double frame() const { return frame_; }
    const ModelFrames& frames() const { return frames_; }
    bool playing = true;

    /// --- what is drawn --------------------------------------------------------------------------
    bool wireframe = false;
    bool markers = false;  ///< bones and helpers as axis markers with their names
    bool grid = true;
    /// Textures on or off (off: every material draws with its colour alone).
    void SetTextures(bool on);
    bool textures() const { return textures_; }

    /// The camera, for the mouse and for turntables.
    OrbitView orbit;

    /// Poses the model at the current frame, places camera and light, and runs the engine's
    /// render pass; then the marker names. Does not present.
    void Draw();

    /// Whether the model has any vertex to show.
    bool HasGeometry() const;

    Scene* scene() const { return scene_; }
    SceneObject* model() const { return model_; }

private:
    void Pose();
    float Aspect() const;
    void MarkNodes();
    void DrawLabels();
    std::vector<MaterialSet*> Materials() const;

    Engine& engine_;
    Scene* scene_ = nullptr;
    Camera* camera_ = nullptr;
    Light* light_ = nullptr;
    std::unique_ptr<GroundGrid> grid_;
    std::unique_ptr<AxisMarkers> markers_;
    SceneObject* model_ = nullptr;
    ModelFrames frames_;
    double frame_ = 0.0;
    std::unique_ptr<FramePlayer> player_;
    bool textures_ = true;
    std::vector<std::pair<MaterialSet*, std::vector<TextureHandle>>> savedTextures_;
};

}  // namespace orix
