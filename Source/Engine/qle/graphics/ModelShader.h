#pragma once
// The shader pair that draws one mesh of a model: the 180-byte model vertex layout, a 64-byte
// object block (binding 4, world x state transform) and an 8 KB bone block (binding 5, 128
// matrices). Copies share the blocks.
#include "graphics/GLObjects.h"
#include "graphics/Shader.h"
#include "math/Matrix4x4.h"

#include <memory>

namespace Qel
{
class Texture;
struct MeshData;

inline constexpr const char* MODEL_SHADER_VS = "shaders/model_shader_VS";
inline constexpr const char* ANIMATED_MODEL_SHADER_VS = "shaders/animated_model_shader_VS";
inline constexpr const char* MODEL_SHADER_PS = "shaders/model_shader_PS";
inline constexpr const char* PBR_MODEL_SHADER_VS = "Shaders/PbrModelShaderVS";
inline constexpr const char* ANIMATED_PBR_MODEL_SHADER_VS = "Shaders/AnimatedPbrModelShaderVS";
inline constexpr const char* PBR_MODEL_SHADER_PS = "Shaders/PbrModelShaderPS";
inline constexpr const char* LAMBERT_MODEL_SHADER_PS = "Shaders/LambertModelShaderPS";

inline constexpr u32 BONE_BUFFER_SIZE = 128 * 64;
inline constexpr u32 OBJECT_BUFFER_SIZE = 64;

class ModelShader : public Shader
{
public:
    ModelShader() = default;
    ~ModelShader() override;
    ModelShader(const ModelShader&) = default;
    ModelShader& operator=(const ModelShader&) = default;

    // The default pair (model_shader_VS with model_shader_PS).
    bool Init() override;
    // Creates both blocks, then loads the pair. False (not loaded) when either fails.
    bool Init(const char* aVertexShader, const char* aPixelShader);

    // Binds the leading non-null textures of the four at units 1.., then, when loaded, draws the
    // mesh with the world matrix and the bone palette (null for static meshes).
    void Render(Texture* const* aTextures, const MeshData& aMesh, const Matrix4x4& aTransform,
                const Matrix4x4* aBones);

    static std::span<const InputElementDesc> GetModelLayout();

protected:
    bool CreateInputLayout(const std::string& aBytecode) override;

private:
    std::shared_ptr<impl::gl::Buffer> myBoneBuffer;
    std::shared_ptr<impl::gl::Buffer> myObjectBuffer;
};
}
