#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"

// What was wrong with the place of the preferences when it was first read.
struct PreferenceTrouble {
  enum Kind {
    None,
    Unreadable,  // it cannot be read (permissions, I/O, a folder in its place): nothing is read or stored
    Damaged,     // it holds entries that do not parse; the ones that do can be read
  };
  Kind kind = None;
  std::string detail;  // Unreadable: the system's reason; Damaged: what is wrong
};

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

  // What is wrong with the key, found when it is first read.
  virtual PreferenceTrouble Trouble() const { return {}; }
  // Where the key is, as the user would look for it (a file's path).
  virtual std::string Location() const { return {}; }
  // Moves a damaged key aside (NAME.damaged-YYYYMMDD-HHMMSS) and puts an empty one in its place,
  // to be filled by the next writes. Returns the name of the copy; when the key cannot be moved,
  // an empty text with why set, and nothing is stored for as long as this object lives.
  virtual std::string SetAside(Time32 now, std::string& why) {
    why = "not supported";
    return {};
  }
};
