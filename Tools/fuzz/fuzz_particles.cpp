// Any bytes as a ".qlap" file: the reader must refuse them with a message or produce a record an
// emitter can use (counts, frames, lifetimes and state indices in range).
#include "graphics/GraphicsStateStack.h"
#include "particles/ParticleSystemReader.h"
#include "scene/ContentLog.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string_view>

using namespace Qel;

namespace
{
void Check(bool aCondition)
{
    if (!aCondition)
        __builtin_trap();
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    std::ostringstream output;
    ContentLog log(&output);
    ParticleSystem system;
    if (!ReadParticleSystem(std::string_view(reinterpret_cast<const char*>(aData), aSize), "fuzz.qlap", system, log))
    {
        Check(log.GetErrorCount() > 0);
        return 0;
    }
    Check(system.particleCount >= 0 && system.particleCount <= MAX_PARTICLES_PER_SYSTEM);
    Check(system.framesX >= 1 && system.framesY >= 1);
    Check(system.lifetimeRange.y > 0.0f && system.lifetimeRange.x <= system.lifetimeRange.y);
    Check(system.blendState < BLEND_STATE_COUNT && system.depthStencilState < DEPTH_STENCIL_STATE_COUNT);
    Check(system.warmupTime >= 0.0f && system.warmupTime <= MAX_PARTICLE_WARMUP);
    return 0;
}
