#if !__has_include("app/demo_scene.h")

#include "composed_scene.h"

#include "device/engine.h"
#include "device/globals.h"
#include "render/camera.h"
#include "render/render_state_group.h"
#include "scene/light.h"
#include "scene/mesh.h"
#include "scene/pavo_overlay_list.h"
#include "scene/pavo_render_state.h"
#include "scene/pavo_sprite.h"
#include "scene/scene.h"
#include "scene/skinned_character.h"

namespace orix {

void BuildDemoScene(Engine& engine, DemoScene& d) {
    d.scene = new Scene(&engine);
    d.camera = new Camera({0.0f, 90.0f, -180.0f}, {0.0f, 0.0f, 200.0f}, {0.0f, 1.0f, 0.0f});
    d.camera->position = Vector3{-90.0f, 75.0f, -75.0f};
    d.scene->AddChild(d.camera);
    d.scene->SetCamera(d.camera);
    currentScene = d.scene;
    d.overlays = new PavoOverlayList(engine);

    d.landGroup = new RenderStateGroup();
    d.landGroup->SetZEnable(0);
    d.landGroup->SetZWriteEnable(0);
    auto* land = new Mesh(1);
    d.land = land;
    land->LoadBne("gland.bne", 0);
    d.landGroup->AddChild(land);
    d.scene->AddChild(d.landGroup);

    MaterialRecord black = DefaultMaterialRecord();
    black.diffuse = black.ambient = black.emissive = ColorValue{0.0f, 0.0f, 0.0f, 0.0f};
    black.rampSize = 1;
    if (engine.device && engine.backgroundMaterial)
        engine.device->SetMaterial(engine.backgroundMaterial, black);

    d.light = new Light();
    d.light->SetPointLight(2.0f, 2.0f, 2.0f);
    d.light->Move(0.0f, 3000.0f, 0.0f, false);

    auto* character = new SkinnedCharacter(1);
    d.character = character;
    character->LoadBne(demo::kCharacterFile, 1);
    character->SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
    d.scene->AddChild(character);
    character->LoadSkin(demo::kSkinFile);
    if (SceneObject* pelvis = character->FindChild("Bip01 Pelvis")) {
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
    d.sprite->SetSize(150.0f, 150.0f);
    d.sprite->SetPosition(550.0f, 450.0f);
    d.sprite->SetColor(0.3f, 0.3f, 0.3f);
    d.sprite->LoadPicture("vireo.jpg", static_cast<int32_t>(0xFFFFFFFFu));
    d.renderStateOverlay->Add(d.sprite);
}

void DestroyDemoScene(DemoScene& d) {
    delete d.scene;
    delete d.overlays;
    delete d.light;
    delete d.character;
    delete d.land;
    delete d.landGroup;
    delete d.renderStateOverlay;
    delete d.sprite;
    delete d.camera;
    d = DemoScene();
}

}  // namespace orix

#endif
