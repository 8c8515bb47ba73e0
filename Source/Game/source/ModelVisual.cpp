#include "ModelVisual.h"

#include "Box.h"

#include "engine/Engine.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/ModelDrawer.h"
#include "model/ModelFactory.h"
#include "scene/CopyOnWrite.h"
#include "scene/SceneAssets.h"
#include "settings/Settings.h"
#include "texture/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace
{
constexpr Qel::u32 SAMPLER_FILTER = 1;
constexpr Qel::u32 SAMPLER_ADDRESS = 1;

bool IsBuiltInModel(std::string_view aPath) { return aPath == "Cube" || aPath == "Plane"; }

Qel::GraphicsEngine* GetGraphics()
{
    Qel::Engine* engine = Qel::Engine::GetInstance();
    return engine ? engine->GetGraphicsEngine() : nullptr;
}
}

int ModelVisual::GetMeshCount() const
{
    if (!myInstance.myModel)
        return 0;
    return std::min<int>(static_cast<int>(myInstance.myModel->myMeshData.size()), MODEL_VISUAL_MESHES);
}

float TransformScale(const Qel::Matrix4x4& aTransform)
{
    float sum = 0.0f;
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 3; ++column)
            sum += aTransform(row, column) * aTransform(row, column);
    return std::sqrt(sum);
}

bool IsMeshInView(const Qel::Matrix4x4& aTransform, const Qel::MeshBounds& aBounds, const Qel::Vector2f& aViewCentre,
                  const Qel::Vector2f& aViewSize)
{
    const float size = 2.0f * aBounds.myRadius * TransformScale(aTransform);
    const Box mesh(aTransform(4, 1) + aBounds.myCenter[0], aTransform(4, 2) + aBounds.myCenter[1], size, size);
    const Box view(aViewCentre.x, aViewCentre.y, aViewSize.x, aViewSize.y);
    return mesh.Overlaps(view);
}

void SetupModelInstance(ModelVisual& aVisual, const Qel::SceneModel& aModel, const Qel::Matrix4x4& aTransform)
{
    aVisual.SetTransform(aTransform);
    if (aModel.myPath.IsEmpty())
        return;
    const std::string path(aModel.myPath.GetView());
    if (!IsBuiltInModel(path) && Qel::ResolveAssetPath(path).empty())
        return;
    Qel::ModelFactory& factory = Qel::GetModelFactory();
    if (!factory.GetModel(path))
        return;
    aVisual.myInstance = factory.GetModelInstance(path);
    aVisual.myInstance.SetTransform(aTransform);

    Qel::Engine* engine = Qel::Engine::GetInstance();
    Qel::TextureManager* textures = engine ? engine->GetTextureManager() : nullptr;
    const bool canShade = GetGraphics() != nullptr;
    const int meshes = aVisual.GetMeshCount();
    for (int mesh = 0; mesh < meshes; ++mesh)
    {
        for (int slot = 0; slot < static_cast<int>(Qel::SCENE_TEXTURE_SLOT_COUNT) && textures; ++slot)
        {
            const Qel::StringId texturePath = aModel.myTextures[mesh][slot];
            if (texturePath.IsEmpty())
                continue;
            const Qel::u32 mode = slot == 0 ? Qel::TEXTURE_COLOR_MODE_FORCE_SRGB : Qel::TEXTURE_COLOR_MODE_IGNORE_SRGB;
            if (Qel::Texture* texture = textures->TryLoadTexture(texturePath.GetView(), mode))
                aVisual.myInstance.myTextures[mesh][slot] = texture;
        }
        if (canShade)
        {
            const Qel::StringId key = Qel::ModelDrawer::GetOrCreateShader(aModel.myVertexShader[mesh].GetString(),
                                                                          aModel.myFragmentShader[mesh].GetString());
            aVisual.myShaders[mesh] = &Qel::ModelDrawer::GetCachedShader(key);
        }
        aVisual.myBlendStates[mesh] = static_cast<Qel::u32>(std::max(aModel.myBlendState[mesh], 0));
        aVisual.myDepthStencilStates[mesh] = static_cast<Qel::u32>(std::max(aModel.myDepthStencilState[mesh], 0));
    }
}

void SetupModelInstance(ModelVisual& aVisual, const Qel::CopyOnWriteWrapper<Qel::SceneModel>& aModel,
                        const Qel::Matrix4x4& aTransform)
{
    SetupModelInstance(aVisual, aModel.Get(), aTransform);
}

void RenderModelInstance(ModelVisual& aVisual, int aMeshIndex, bool aPushState)
{
    if (!aVisual.HasModel())
        return;
    Qel::GraphicsEngine* graphics = GetGraphics();
    Qel::GraphicsStateStack* states = graphics ? graphics->GetGraphicsStateStack() : nullptr;
    Qel::ModelDrawer* drawer = graphics ? graphics->GetModelDrawer() : nullptr;
    if (!states || !drawer)
        return;
    const Qel::Camera& camera = states->GetCamera();
    const Qel::Vector3f eye = camera.GetPosition();
    const Qel::Vector2f view = camera.GetOrthographicSize();
    const int meshes = aVisual.GetMeshCount();
    const int first = aMeshIndex < 0 ? 0 : aMeshIndex;
    const int last = aMeshIndex < 0 ? meshes - 1 : std::min(aMeshIndex, meshes - 1);
    for (int mesh = first; mesh <= last; ++mesh)
    {
        const Qel::MeshData& data = aVisual.myInstance.myModel->myMeshData[static_cast<size_t>(mesh)];
        if (!IsMeshInView(aVisual.GetTransform(), data.myBounds, {eye.x, eye.y}, view))
            continue;
        if (aPushState)
            states->Push();
        states->SetBlendState(aVisual.myBlendStates[mesh]);
        states->SetDepthStencilState(aVisual.myDepthStencilStates[mesh]);
        states->SetSamplerState(SAMPLER_FILTER, SAMPLER_ADDRESS);
        Qel::ModelShader& shader = aVisual.myShaders[mesh] ? *aVisual.myShaders[mesh] : drawer->GetDefaultShader();
        drawer->Draw(aVisual.myInstance, shader, mesh);
        if (aPushState)
            states->Pop();
    }
}
