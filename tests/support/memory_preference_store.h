#pragma once

#include <map>
#include <variant>

#include "platform/preference_store.h"

// Preferences in memory. Starts without a key unless told otherwise.
class MemoryPreferenceStore : public PreferenceStore {
 public:
  using Value = std::variant<std::string, uint32_t>;

  explicit MemoryPreferenceStore(bool keyExists = false) : exists_(keyExists) {}
  void CreateKey() { exists_ = true; }

  bool KeyExists() const override { return exists_; }
  std::optional<std::string> ReadString(const std::string& name) const override {
    auto it = values_.find(name);
    if (!exists_ || it == values_.end() || !std::holds_alternative<std::string>(it->second))
      return std::nullopt;
    return std::get<std::string>(it->second);
  }
  std::optional<uint32_t> ReadDword(const std::string& name) const override {
    auto it = values_.find(name);
    if (!exists_ || it == values_.end() || !std::holds_alternative<uint32_t>(it->second)) return std::nullopt;
    return std::get<uint32_t>(it->second);
  }
  bool WriteString(const std::string& name, const std::string& value) override {
    if (!exists_) return false;
    values_[name] = value;
    writes_.push_back(name);
    return true;
  }
  bool WriteDword(const std::string& name, uint32_t value) override {
    if (!exists_) return false;
    values_[name] = value;
    writes_.push_back(name);
    return true;
  }

  const std::map<std::string, Value>& Values() const { return values_; }
  // Value names in the order they were written.
  const std::vector<std::string>& Writes() const { return writes_; }

 private:
  bool exists_;
  std::map<std::string, Value> values_;
  std::vector<std::string> writes_;
};
