#pragma once
// The identity the framework's test plug-ins give their bindings: values of the shape a product
// uses, so the bindings' packing (version, IDs) is tested without naming any product.
#include <cstdint>

namespace test_identity
{
inline constexpr char kEffectName[] = "Test Effect";
inline constexpr char kMakerName[] = "Test Maker";
inline constexpr int32_t kVersion = 0x31400; // major 3, minor * 10 + patch 20: version word 32000
inline constexpr int32_t kUniqueId = 0x6E753276;
inline constexpr int32_t kMakerId = 0x4F76446E;
} // namespace test_identity
