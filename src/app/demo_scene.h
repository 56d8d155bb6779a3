/// \file
/// The demonstration scene: a land drawn without depth testing, a skinned character that plays
/// its animation, a point light high above, a camera that follows the character's pelvis, a
/// black background and a picture blended additively into the lower right corner. Shared by the
/// program (Application) and the headless `orix render`, so both show the same thing.
///
/// Depends on the Engine (its device, background material and links to the scene root and the
/// overlay list) and on the scene, render and overlay classes. File names are relative to the
/// working directory, which must be the resource folder. Loading failures are reported by the
/// objects themselves; a picture that cannot be loaded ends the program with -1.
#pragma once

#include "math/vector3.h"

namespace orix {

class Camera;
class Engine;
class Light;
class PavoOverlayList;
class PavoRenderState;
class PavoSprite;
class RenderStateGroup;
class Scene;
class SceneObject;

/// The objects the demonstration is made of; each owned by whoever holds the record.
struct DemoScene {
    Scene* scene = nullptr;
    PavoOverlayList* overlays = nullptr;
    Camera* camera = nullptr;
    SceneObject* character = nullptr;  ///< a SkinnedCharacter
    SceneObject* land = nullptr;       ///< a Mesh
    Light* light = nullptr;
    RenderStateGroup* landGroup = nullptr;
    PavoSprite* sprite = nullptr;
    PavoRenderState* renderStateOverlay = nullptr;
};

// The demonstration's fixed values.
namespace demo {
constexpr Vector3 kCameraEye{0.0f, 90.0f, -180.0f};
constexpr Vector3 kCameraLookAt{0.0f, 0.0f, 200.0f};
constexpr Vector3 kCameraUp{0.0f, 1.0f, 0.0f};
constexpr Vector3 kCameraPosition{-90.0f, 75.0f, -75.0f};
constexpr const char* kLandFile = "gland.bne";
constexpr const char* kCharacterFile = "girl-t.bne";
constexpr const char* kSkinFile = "girl.skn";
constexpr const char* kTrackedBone = "Bip01 Pelvis";
constexpr const char* kLightName = "Light";
constexpr float kLightColor = 2.0f;
constexpr Vector3 kLightMove{0.0f, 3000.0f, 0.0f};
constexpr const char* kPictureFile = "vireo.jpg";
constexpr float kSpriteSize = 150.0f;
constexpr float kSpriteX = 550.0f;
constexpr float kSpriteY = 450.0f;
constexpr float kSpriteIntensity = 0.3f;
}  // namespace demo

/// Composes the demonstration into objects (which must be empty) on engine, in the fixed order:
/// scene root and camera, overlay list, land in its depth-off group, black background, light,
/// character with its skin, the camera aimed at the pelvis, the additive picture. When the
/// pelvis bone is missing the camera stays fixed on its constructor view.
void BuildDemoScene(Engine& engine, DemoScene& objects);

/// Destroys every object present in the fixed order (scene root, overlay list, light,
/// character, land, render-state group, render-state overlay, sprite, camera) and empties the
/// record. The engine must still be alive.
void DestroyDemoScene(DemoScene& objects);

}  // namespace orix
