#include "app/demo_scene.h"

#include <string>

#include "device/engine.h"
#include "device/globals.h"
#include "platform/d3d_constants.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/mesh.h"
#include "scene/pavo_overlay_list.h"
#include "scene/pavo_render_state.h"
#include "scene/pavo_sprite.h"
#include "scene/render_state_group.h"
#include "scene/scene.h"
#include "scene/skinned_character.h"

namespace orix {

namespace {

// The background clears to black: a default record with its colours zeroed and a ramp of one.
void MakeBackgroundBlack(Engine& engine) {
    MaterialRecord record = DefaultMaterialRecord();
    for (ColorValue* c : {&record.diffuse, &record.ambient, &record.emissive}) {
        c->r = 0.0f;
        c->g = 0.0f;
        c->b = 0.0f;
    }
    record.rampSize = 1;
    if (engine.device && engine.backgroundMaterial) {
        engine.device->SetMaterial(engine.backgroundMaterial, record);
    }
}

}  // namespace

void BuildDemoScene(Engine& engine, DemoScene& d) {
    d.scene = new Scene(&engine);

    d.camera = new Camera(demo::kCameraEye, demo::kCameraLookAt, demo::kCameraUp);
    d.camera->position = demo::kCameraPosition;
    d.scene->AddChild(d.camera);
    d.scene->SetCamera(d.camera);
    currentScene = d.scene;

    d.overlays = new PavoOverlayList(engine);

    d.landGroup = new RenderStateGroup();
    d.landGroup->SetZEnable(0);
    d.landGroup->SetZWriteEnable(0);

    auto* land = new Mesh(1);
    d.land = land;
    land->LoadBne(demo::kLandFile, 0);
    d.landGroup->AddChild(land);
    d.scene->AddChild(d.landGroup);

    MakeBackgroundBlack(engine);

    d.light = new Light();
    d.light->SetPointLight(demo::kLightColor, demo::kLightColor, demo::kLightColor);
    d.light->Move(demo::kLightMove.x, demo::kLightMove.y, demo::kLightMove.z, false);
    d.light->name = demo::kLightName;

    auto* character = new SkinnedCharacter(1);
    d.character = character;
    character->LoadBne(demo::kCharacterFile, 1);
    character->SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
    d.scene->AddChild(character);
    character->LoadSkin(demo::kSkinFile);

    // Without the pelvis there is nothing to follow: the camera holds the view it was made
    // with rather than aiming at a missing bone.
    if (SceneObject* pelvis = character->FindChild(demo::kTrackedBone)) {
        d.camera->SetTarget(pelvis, 0);
    } else {
        d.camera->motionMode = MotionMode::Fixed;
    }

    d.scene->AddObjects({d.light, nullptr});

    d.renderStateOverlay = new PavoRenderState(engine.device);
    d.renderStateOverlay->SetAlphaBlendEnable(1);
    d.renderStateOverlay->SetSrcBlend(BLEND_ONE);
    d.renderStateOverlay->SetDestBlend(BLEND_ONE);
    d.overlays->Add(d.renderStateOverlay);

    d.sprite = new PavoSprite();
    d.sprite->SetSize(demo::kSpriteSize, demo::kSpriteSize);
    d.sprite->SetPosition(demo::kSpriteX, demo::kSpriteY);
    d.sprite->SetColor(demo::kSpriteIntensity, demo::kSpriteIntensity, demo::kSpriteIntensity);
    d.sprite->LoadPicture(demo::kPictureFile, static_cast<int32_t>(0xFFFFFFFFu));
    d.renderStateOverlay->Add(d.sprite);
}

namespace {
// Deletes what p owns and leaves it null, so a second teardown is harmless.
template <typename T>
void DeleteAndClear(T*& p) {
    delete p;
    p = nullptr;
}
}  // namespace

void DestroyDemoScene(DemoScene& d) {
    DeleteAndClear(d.scene);
    DeleteAndClear(d.overlays);
    DeleteAndClear(d.light);
    DeleteAndClear(d.character);
    DeleteAndClear(d.land);
    DeleteAndClear(d.landGroup);
    DeleteAndClear(d.renderStateOverlay);
    DeleteAndClear(d.sprite);
    DeleteAndClear(d.camera);
}

}  // namespace orix
