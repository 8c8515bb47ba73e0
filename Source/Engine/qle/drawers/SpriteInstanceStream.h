#pragma once
// Where sprite instances go on their way to the GPU: one vertex buffer used as a ring, written
// front to back by unsynchronised maps, so a flush neither reallocates storage nor waits for
// earlier draws. The ring is split into four segments; leaving a segment fences it, and entering
// one waits for its fence from the last lap. A wait that would block grows the ring instead (up
// to a cap), so in steady state a frame's instances fit and nothing waits or allocates.
// With BeginFrame called each frame, a segment holds a frame: a fence also ends the rasteriser's
// batch of work, so one a frame costs least; a frame that spills into a second segment doubles
// the segments (up to the cap) for the frames after it.
#include "core/Types.h"
#include "graphics/GLObjects.h"

#include <cstddef>

namespace Qel
{
class SpriteInstanceStream
{
public:
    static constexpr u32 SEGMENT_COUNT = 4;

    SpriteInstanceStream() = default;
    ~SpriteInstanceStream();
    SpriteInstanceStream(const SpriteInstanceStream&) = delete;
    SpriteInstanceStream& operator=(const SpriteInstanceStream&) = delete;

    // Segments of aSegmentBytes to start with, growing by doubling up to aMaxSegmentBytes. A write
    // is at most aSegmentBytes. False when the buffer cannot be made.
    bool Init(size_t aSegmentBytes, size_t aMaxSegmentBytes);
    explicit operator bool() const { return static_cast<bool>(myBuffer); }

    // Copies aBytes (1 to the first segment size) into the ring; the offset in GetBuffer where
    // they are.
    size_t Write(const void* aData, size_t aBytes);

    // Maps room for up to aMaxBytes (1 to the first segment size) at the ring's front for writing
    // in place; aOffset is where the room starts in GetBuffer. Null when the driver cannot map (then
    // Write still works). Every Map is followed by one Unmap before the buffer is drawn from.
    void* Map(size_t aMaxBytes, size_t& aOffset);
    // Ends the mapping; the first aUsedBytes written stay (the ring moves on by that much).
    void Unmap(size_t aUsedBytes);
    bool IsMapped() const { return myMappedBytes != 0; }

    // A new frame starts: the last frame's segment is fenced and left (nothing when it wrote
    // nothing), or the segments grow when it did not fit in one.
    void BeginFrame();

    u32 GetBuffer() const { return myBuffer.Get(); }
    size_t GetSegmentBytes() const { return mySegmentBytes; }

private:
    void Allocate();
    void EnterNextSegment();
    void DeleteFences();

    impl::gl::Buffer myBuffer;
    size_t mySegmentBytes = 0;
    size_t myMaxSegmentBytes = 0;
    u32 mySegment = 0;
    size_t myOffset = 0;
    size_t myMappedBytes = 0;
    // A segment was left inside the frame (its instances did not fit in one).
    bool myFrameSpilled = false;
    // GLsync of each segment's last lap; null when none is pending.
    void* myFences[SEGMENT_COUNT] = {};
};
}
