// Splits a line into fields at a separator and removes every blank from each field.
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

constexpr size_t kMaxFieldLength = 60;

// Fills fields[1..count] (the array holds `capacity` fields numbered from 1,
// that is, it has capacity + 1 elements) and leaves the others as they were.
// Fields past the capacity are dropped; the return value says how many.
unsigned SplitString(const std::string& s, std::string* fields, size_t capacity, uint16_t& count,
                     const std::string& sep);

}  // namespace tarn
