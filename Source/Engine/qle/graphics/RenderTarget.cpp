#include "graphics/RenderTarget.h"

#include "core/Assert.h"
#include "graphics/DX11.h"
#include "graphics/GL.h"

namespace Qel
{
namespace
{
bool FramebufferComplete(GLuint aFramebuffer)
{
    glBindFramebuffer(GL_FRAMEBUFFER, aFramebuffer);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}
}

RenderTarget::~RenderTarget() { Release(); }

void RenderTarget::CreateFromTexture(u32 aTexture, u32 aWidth, u32 aHeight, bool aSrgbWrite)
{
    Release();
    myTexture = aTexture;
    mySrgbWrite = aSrgbWrite;
    if (aTexture == 0)
        return;
    glGenFramebuffers(1, &myColorFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, myColorFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, aTexture, 0);
    const bool result = FramebufferComplete(myColorFramebuffer);
    QEL_ASSERT_TEXT(result, "SUCCEEDED(result)");
    auto viewport = std::make_shared<Viewport>();
    viewport->Width = static_cast<float>(aWidth);
    viewport->Height = static_cast<float>(aHeight);
    myViewport = viewport;
}

void RenderTarget::Release()
{
    // Its framebuffers die here: the device must not bind them again.
    if (DX11::GetBoundTarget() == this)
        DX11::SetBoundFramebuffer(nullptr, 0, nullptr);
    if (DX11::IsContextAlive())
    {
        if (myColorFramebuffer)
            glDeleteFramebuffers(1, &myColorFramebuffer);
        if (myDepthFramebuffer)
            glDeleteFramebuffers(1, &myDepthFramebuffer);
    }
    myColorFramebuffer = myDepthFramebuffer = myDepthTextureInFramebuffer = 0;
    myTexture = 0;
    myViewport.reset();
}

u32 RenderTarget::GetFramebuffer(DepthBuffer* aDepthBuffer)
{
    if (!aDepthBuffer || !aDepthBuffer->IsValid())
        return myColorFramebuffer;
    if (myDepthFramebuffer == 0)
        glGenFramebuffers(1, &myDepthFramebuffer);
    if (myDepthTextureInFramebuffer != aDepthBuffer->GetTexture())
    {
        glBindFramebuffer(GL_FRAMEBUFFER, myDepthFramebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, myTexture, 0);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, aDepthBuffer->GetTexture(), 0);
        const bool result = FramebufferComplete(myDepthFramebuffer);
        QEL_ASSERT_TEXT(result, "SUCCEEDED(result)");
        myDepthTextureInFramebuffer = aDepthBuffer->GetTexture();
    }
    return myDepthFramebuffer;
}

void RenderTarget::Clear(const float aColor[4])
{
    if (!IsValid())
        return;
    // Clears ignore the pipeline state: force the masks the state stack may have narrowed.
    glBindFramebuffer(GL_FRAMEBUFFER, myColorFramebuffer);
    if (mySrgbWrite)
        glEnable(GL_FRAMEBUFFER_SRGB);
    else
        glDisable(GL_FRAMEBUFFER_SRGB);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(aColor[0], aColor[1], aColor[2], aColor[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    DX11::InvalidateOutputState();
    DX11::RebindActiveFramebuffer();
}

void RenderTarget::Clear(const float aColor[4], DepthBuffer& aDepthBuffer, float aDepth, AfterClear aAfter)
{
    const auto [width, height] = GetSize();
    const Viewport& depthViewport = aDepthBuffer.GetViewport();
    if (!IsValid() || !aDepthBuffer.IsValid() || depthViewport.Width != static_cast<float>(width) ||
        depthViewport.Height != static_cast<float>(height))
    {
        // Sizes that differ share only part of a framebuffer: clear each whole on its own.
        Clear(aColor);
        aDepthBuffer.Clear(aDepth, 0);
        return;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, GetFramebuffer(&aDepthBuffer));
    if (mySrgbWrite)
        glEnable(GL_FRAMEBUFFER_SRGB);
    else
        glDisable(GL_FRAMEBUFFER_SRGB);
    // Clears ignore the pipeline state: force the masks the state stack may have narrowed.
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(aColor[0], aColor[1], aColor[2], aColor[3]);
    glClearDepth(aDepth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DX11::InvalidateOutputState();
    if (aAfter == AfterClear::RestoreBinding)
        DX11::RebindActiveFramebuffer();
}

std::pair<i32, i32> RenderTarget::GetSize() const
{
    if (!myViewport)
        return {0, 0};
    return {static_cast<i32>(myViewport->Width), static_cast<i32>(myViewport->Height)};
}

void RenderTarget::SetAsActiveTarget(DepthBuffer* aDepthBuffer)
{
    if (!IsValid())
        return;
    const u32 framebuffer = GetFramebuffer(aDepthBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    if (mySrgbWrite)
        glEnable(GL_FRAMEBUFFER_SRGB);
    else
        glDisable(GL_FRAMEBUFFER_SRGB);
    glViewport(0, 0, static_cast<GLsizei>(myViewport->Width), static_cast<GLsizei>(myViewport->Height));
    DX11::SetBoundFramebuffer(this, framebuffer, aDepthBuffer && aDepthBuffer->IsValid() ? aDepthBuffer : nullptr);
}

DepthBuffer::~DepthBuffer() { Release(); }

void DepthBuffer::Create(u32 aWidth, u32 aHeight)
{
    Release();
    QEL_ASSERT_TEXT(aWidth > 0 && aHeight > 0, "SUCCEEDED(result)");
    glGenTextures(1, &myTexture);
    glBindTexture(GL_TEXTURE_2D, myTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, static_cast<GLsizei>(aWidth), static_cast<GLsizei>(aHeight), 0,
                 GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_NONE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &myClearFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, myClearFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, myTexture, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    const bool result = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    QEL_ASSERT_TEXT(result, "SUCCEEDED(result)");
    myViewport = Viewport{0.0f, 0.0f, static_cast<float>(aWidth), static_cast<float>(aHeight), 0.0f, 1.0f};
    DX11::RebindActiveFramebuffer();
}

void DepthBuffer::Clear(float aDepth, u8 aStencil)
{
    (void)aStencil;   // 32-bit float depth: no stencil to clear
    if (!IsValid())
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, myClearFramebuffer);
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glClearDepth(aDepth);
    glClear(GL_DEPTH_BUFFER_BIT);
    DX11::InvalidateOutputState();
    DX11::RebindActiveFramebuffer();
}

void DepthBuffer::Release()
{
    if (DX11::IsContextAlive())
    {
        if (myClearFramebuffer)
            glDeleteFramebuffers(1, &myClearFramebuffer);
        if (myTexture)
            glDeleteTextures(1, &myTexture);
    }
    myClearFramebuffer = 0;
    myTexture = 0;
    myViewport = Viewport{};
}
}
