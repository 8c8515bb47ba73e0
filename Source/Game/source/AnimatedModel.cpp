#include "AnimatedModel.h"

#include "engine/Engine.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/ModelDrawer.h"
#include "model/ModelFactory.h"
#include "scene/SceneAssets.h"
#include "settings/Settings.h"
#include "texture/TextureManager.h"

#include <algorithm>
#include <limits>
#include <string>

// A mesh's bounds hold its bind pose, but a clip can carry the mesh far from it (the ending's
// figure rises into the sky): move and widen them by the spread of the posed joints' offsets.
Qel::MeshBounds AnimatedModel::PosedBounds(const Qel::AnimatedModelInstance& aInstance, const Qel::MeshBounds& aBounds)
{
    if (!aInstance.myModel)
        return aBounds;
    const std::size_t count = std::min<std::size_t>(aInstance.myModel->mySkeleton.Joints.size(), Qel::MAX_ANIMATION_BONES);
    if (count == 0)
        return aBounds;
    float low[2] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    float high[2] = {std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest()};
    for (std::size_t joint = 0; joint < count; ++joint)
        for (int axis = 0; axis < 2; ++axis)
        {
            const float offset = aInstance.myBones[joint](4, axis + 1);
            low[axis] = std::min(low[axis], offset);
            high[axis] = std::max(high[axis], offset);
        }
    Qel::MeshBounds posed = aBounds;
    for (int axis = 0; axis < 2; ++axis)
        posed.myCenter[axis] += 0.5f * (low[axis] + high[axis]);
    posed.myRadius += 0.5f * std::max(high[0] - low[0], high[1] - low[1]);
    return posed;
}

int AnimatedModel::GetMeshCount() const
{
    if (!myInstance.myModel)
        return 0;
    return std::min<int>(static_cast<int>(myInstance.myModel->myMeshData.size()), MODEL_VISUAL_MESHES);
}

void AnimatedModel::Load(AnimatedModel& aModel, const Qel::SceneModel& aSceneModel, const Qel::Matrix4x4& aTransform)
{
    aModel.SetTransform(aTransform);
    if (aSceneModel.myPath.IsEmpty())
        return;
    const std::string path(aSceneModel.myPath.GetView());
    const bool builtIn = path == "Cube" || path == "Plane";
    if (!builtIn && Qel::ResolveAssetPath(path).empty())
        return;
    Qel::ModelFactory& factory = Qel::GetModelFactory();
    if (!factory.GetModel(path))
        return;
    aModel.myInstance = factory.GetAnimatedModelInstance(path);
    aModel.myInstance.SetTransform(aTransform);

    Qel::Engine* engine = Qel::Engine::GetInstance();
    Qel::TextureManager* textures = engine ? engine->GetTextureManager() : nullptr;
    const bool canShade = engine && engine->GetGraphicsEngine();
    const int meshes = aModel.GetMeshCount();
    for (int mesh = 0; mesh < meshes; ++mesh)
    {
        for (int slot = 0; slot < static_cast<int>(Qel::SCENE_TEXTURE_SLOT_COUNT) && textures; ++slot)
        {
            const Qel::StringId texturePath = aSceneModel.myTextures[mesh][slot];
            if (texturePath.IsEmpty())
                continue;
            const Qel::u32 mode = slot == 0 ? Qel::TEXTURE_COLOR_MODE_FORCE_SRGB : Qel::TEXTURE_COLOR_MODE_IGNORE_SRGB;
            if (Qel::Texture* texture = textures->TryLoadTexture(texturePath.GetView(), mode))
                aModel.myInstance.myTextures[mesh][slot] = texture;
        }
        if (canShade)
        {
            const Qel::StringId key = Qel::ModelDrawer::GetOrCreateAnimatedShader(
                aSceneModel.myVertexShader[mesh].GetString(), aSceneModel.myFragmentShader[mesh].GetString());
            aModel.myShaders[mesh] = &Qel::ModelDrawer::GetCachedAnimatedShader(key);
        }
        aModel.myBlendStates[mesh] = static_cast<Qel::u32>(std::max(aSceneModel.myBlendState[mesh], 0));
        aModel.myDepthStencilStates[mesh] = static_cast<Qel::u32>(std::max(aSceneModel.myDepthStencilState[mesh], 0));
    }
}

void AnimatedModel::Render(AnimatedModel& aModel)
{
    if (!aModel.HasModel())
        return;
    Qel::Engine* engine = Qel::Engine::GetInstance();
    Qel::GraphicsEngine* graphics = engine ? engine->GetGraphicsEngine() : nullptr;
    Qel::GraphicsStateStack* states = graphics ? graphics->GetGraphicsStateStack() : nullptr;
    Qel::ModelDrawer* drawer = graphics ? graphics->GetModelDrawer() : nullptr;
    if (!states || !drawer)
        return;
    const Qel::Camera& camera = states->GetCamera();
    const Qel::Vector3f eye = camera.GetPosition();
    const Qel::Vector2f view = camera.GetOrthographicSize();
    for (int mesh = 0; mesh < aModel.GetMeshCount(); ++mesh)
    {
        const Qel::MeshData& data = aModel.myInstance.myModel->myMeshData[static_cast<size_t>(mesh)];
        const Qel::MeshBounds bounds = PosedBounds(aModel.myInstance, data.myBounds);
        if (!IsMeshInView(aModel.GetTransform(), bounds, {eye.x, eye.y}, view))
            continue;
        states->Push();
        states->SetBlendState(aModel.myBlendStates[mesh]);
        states->SetDepthStencilState(aModel.myDepthStencilStates[mesh]);
        Qel::ModelShader& shader =
            aModel.myShaders[mesh] ? *aModel.myShaders[mesh] : drawer->GetDefaultAnimatedShader();
        drawer->Draw(aModel.myInstance, shader, mesh);
        states->Pop();
    }
}
