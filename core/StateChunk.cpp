#include "core/StateChunk.h"

#include <cstring>
#include <new>

namespace
{
void PutLE(uint8_t* dst, uint64_t v, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint64_t GetLE(const uint8_t* src, int n)
{
    uint64_t v = 0;
    for (int i = 0; i < n; ++i)
        v |= static_cast<uint64_t>(src[i]) << (8 * i);
    return v;
}
} // namespace

bool StateChunk::Reserve(int64_t needed)
{
    if (needed > INT32_MAX || needed < 0) return false;
    if (needed <= static_cast<int64_t>(bytes.size())) return true;
    const int64_t rounded = (needed + kGranularity - 1) / kGranularity * kGranularity;
    // Allocation failure must not throw through a host's C call.
    try
    {
        bytes.resize(static_cast<size_t>(rounded > INT32_MAX ? INT32_MAX : rounded));
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    return true;
}

bool StateChunk::Resize(int32_t n, bool zeroFill)
{
    if (n < 0 || !Reserve(n)) return false;
    if (zeroFill && n > size) std::memset(bytes.data() + size, 0, static_cast<size_t>(n - size));
    size = n;
    return true;
}

bool StateChunk::AppendBytes(const void* src, int32_t count)
{
    if (count < 0 || (count > 0 && !src)) return false;
    if (!Reserve(static_cast<int64_t>(size) + count)) return false;
    if (count > 0) std::memcpy(bytes.data() + size, src, static_cast<size_t>(count));
    size += count;
    return true;
}

bool StateChunk::AppendInt32(int32_t v)
{
    uint8_t b[4];
    PutLE(b, static_cast<uint32_t>(v), 4);
    return AppendBytes(b, 4);
}

bool StateChunk::AppendDouble(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    uint8_t b[8];
    PutLE(b, bits, 8);
    return AppendBytes(b, 8);
}

int32_t StateChunk::ReadDouble(double* out, int32_t p) const
{
    if (p < 0 || static_cast<int64_t>(p) + 8 > size) return -1;
    const uint64_t bits = GetLE(bytes.data() + p, 8);
    if (out) std::memcpy(out, &bits, 8);
    return p + 8;
}

int32_t StateChunk::ReadInt32(int32_t* out, int32_t p) const
{
    if (p < 0 || static_cast<int64_t>(p) + 4 > size) return -1;
    if (out) *out = static_cast<int32_t>(static_cast<uint32_t>(GetLE(bytes.data() + p, 4)));
    return p + 4;
}
