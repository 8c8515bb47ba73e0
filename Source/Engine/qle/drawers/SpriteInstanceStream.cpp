#include "drawers/SpriteInstanceStream.h"

#include "core/Assert.h"
#include "graphics/DX11.h"
#include "graphics/GL.h"

#include <cstring>

namespace Qel
{
namespace
{
GLsync AsSync(void* aFence) { return static_cast<GLsync>(aFence); }
}

SpriteInstanceStream::~SpriteInstanceStream() { DeleteFences(); }

void SpriteInstanceStream::DeleteFences()
{
    for (void*& fence : myFences)
    {
        if (fence && DX11::IsContextAlive())
            glDeleteSync(AsSync(fence));
        fence = nullptr;
    }
}

bool SpriteInstanceStream::Init(size_t aSegmentBytes, size_t aMaxSegmentBytes)
{
    DeleteFences();
    myBuffer = impl::gl::CreateVertexBuffer(aSegmentBytes * SEGMENT_COUNT, nullptr, impl::gl::BufferUsage::Stream);
    mySegmentBytes = aSegmentBytes;
    myMaxSegmentBytes = aMaxSegmentBytes < aSegmentBytes ? aSegmentBytes : aMaxSegmentBytes;
    mySegment = 0;
    myOffset = 0;
    myMappedBytes = 0;
    myFrameSpilled = false;
    return static_cast<bool>(myBuffer);
}

void SpriteInstanceStream::Allocate()
{
    // Fresh storage: draws still reading the old keep it until they are done.
    DeleteFences();
    glBindBuffer(GL_ARRAY_BUFFER, myBuffer.Get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mySegmentBytes * SEGMENT_COUNT), nullptr, GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    mySegment = 0;
    myOffset = 0;
}

void SpriteInstanceStream::EnterNextSegment()
{
    myFences[mySegment] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    const u32 next = (mySegment + 1) % SEGMENT_COUNT;
    if (void* fence = myFences[next])
    {
        GLenum state = glClientWaitSync(AsSync(fence), 0, 0);
        if (state == GL_TIMEOUT_EXPIRED && mySegmentBytes * 2 <= myMaxSegmentBytes)
        {
            // The ring holds less than the draws in flight: make it larger rather than wait.
            mySegmentBytes *= 2;
            Allocate();
            return;
        }
        while (state == GL_TIMEOUT_EXPIRED)
            state = glClientWaitSync(AsSync(fence), GL_SYNC_FLUSH_COMMANDS_BIT, 100'000'000);
        glDeleteSync(AsSync(fence));
        myFences[next] = nullptr;
    }
    mySegment = next;
    myOffset = static_cast<size_t>(next) * mySegmentBytes;
}

void SpriteInstanceStream::BeginFrame()
{
    QEL_ASSERT(myMappedBytes == 0);
    if (myFrameSpilled && mySegmentBytes * 2 <= myMaxSegmentBytes)
    {
        mySegmentBytes *= 2;
        Allocate();
    }
    else if (myOffset != static_cast<size_t>(mySegment) * mySegmentBytes)   // the frame wrote something
    {
        EnterNextSegment();
    }
    myFrameSpilled = false;
}

void* SpriteInstanceStream::Map(size_t aMaxBytes, size_t& aOffset)
{
    QEL_ASSERT(aMaxBytes > 0 && aMaxBytes <= mySegmentBytes && myMappedBytes == 0);
    if (myOffset + aMaxBytes > (static_cast<size_t>(mySegment) + 1) * mySegmentBytes)
    {
        EnterNextSegment();
        myFrameSpilled = true;
    }
    aOffset = myOffset;
    glBindBuffer(GL_ARRAY_BUFFER, myBuffer.Get());
    // As in Write: nothing in flight reads this range. Only the part written is flushed.
    void* target = glMapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(myOffset), static_cast<GLsizeiptr>(aMaxBytes),
                                    GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT |
                                        GL_MAP_FLUSH_EXPLICIT_BIT);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (target)
        myMappedBytes = aMaxBytes;
    return target;
}

void SpriteInstanceStream::Unmap(size_t aUsedBytes)
{
    if (myMappedBytes == 0)
        return;
    QEL_ASSERT(aUsedBytes <= myMappedBytes);
    glBindBuffer(GL_ARRAY_BUFFER, myBuffer.Get());
    if (aUsedBytes > 0)
        glFlushMappedBufferRange(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(aUsedBytes));
    glUnmapBuffer(GL_ARRAY_BUFFER);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    myOffset += aUsedBytes;
    myMappedBytes = 0;
}

size_t SpriteInstanceStream::Write(const void* aData, size_t aBytes)
{
    QEL_ASSERT(aBytes > 0 && aBytes <= mySegmentBytes && myMappedBytes == 0);
    if (myOffset + aBytes > (static_cast<size_t>(mySegment) + 1) * mySegmentBytes)
    {
        EnterNextSegment();
        myFrameSpilled = true;
    }
    const size_t offset = myOffset;
    myOffset += aBytes;
    glBindBuffer(GL_ARRAY_BUFFER, myBuffer.Get());
    // Nothing in flight reads this range (the segment's fence said so): no need to synchronise.
    void* target = glMapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(aBytes),
                                    GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
    if (target)
    {
        std::memcpy(target, aData, aBytes);
        glUnmapBuffer(GL_ARRAY_BUFFER);
    }
    else
    {
        glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(aBytes), aData);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return offset;
}
}
