#pragma once

#include <cstdint>
#include <vector>

// Virtual-key codes the accelerator tables are written with: a letter is its upper-case
// character; the others are the platform's numbers.
inline constexpr uint16_t kVkEscape = 0x1B;
inline constexpr uint16_t kVkDelete = 0x2E;
inline constexpr uint16_t kVkF1 = 0x70;
inline constexpr uint16_t kVkF2 = 0x71;
inline constexpr uint16_t kVkF12 = 0x7B;

// One key of an accelerator table and the command it gives.
struct Accelerator {
  uint16_t virtualKey = 0;
  bool control = false;
  uint32_t command = 0;
};

// The entries of accelerator table number (res::kAccelSites, res::kAccelPageMarks,
// res::kAccelTopics), in table order; empty for an unknown number.
std::vector<Accelerator> LoadAcceleratorResource(int number);
