#pragma once
// Helpers shared by the tests.
#include <cstdint>
#include <string>
#include <vector>

// A deterministic byte pattern of the given size.
std::vector<uint8_t> PatternBytes(size_t size, uint32_t seed = 1);
