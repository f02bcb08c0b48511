#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The place the preferences live: named string and 32-bit values under one key.
// The key may be absent; then nothing is read and nothing is stored. The program never creates it.
class PreferenceStore {
 public:
  virtual ~PreferenceStore() = default;
  virtual bool KeyExists() const = 0;
  // Missing or unreadable values give nothing.
  virtual std::optional<std::string> ReadString(const std::string& name) const = 0;
  virtual std::optional<uint32_t> ReadDword(const std::string& name) const = 0;
  // Return false when nothing can be stored (no key). A write may wait for Commit.
  virtual bool WriteString(const std::string& name, const std::string& value) = 0;
  virtual bool WriteDword(const std::string& name, uint32_t value) = 0;
  // Stores the values written since the last commit, in one go. False when that failed.
  virtual bool Commit() { return true; }
};
