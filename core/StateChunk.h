#pragma once
// Growable byte buffer that state and presets are serialised into. Every multi-byte value is
// little-endian whatever the platform; doubles are stored as their IEEE-754 bytes.
#include <cstdint>
#include <vector>

class StateChunk
{
public:
    static constexpr int32_t kGranularity = 4096;

    void Clear() { size = 0; }
    // Grows or shrinks to n bytes; new bytes are zero-filled when asked. False on allocation failure.
    bool Resize(int32_t n, bool zeroFill = true);
    bool AppendInt32(int32_t v);
    bool AppendDouble(double v);
    bool AppendBytes(const void* bytes, int32_t count);
    // Yields the value and p + 8, or -1 when fewer than 8 bytes remain at p (or p is negative).
    int32_t ReadDouble(double* out, int32_t p) const;
    int32_t ReadInt32(int32_t* out, int32_t p) const;

    const uint8_t* Data() const { return bytes.data(); }
    uint8_t* Data() { return bytes.data(); }
    int32_t Size() const { return size; }
    int32_t Capacity() const { return static_cast<int32_t>(bytes.size()); }

private:
    bool Reserve(int64_t needed);

    std::vector<uint8_t> bytes; // capacity, grown in steps of kGranularity
    int32_t size = 0;
};
