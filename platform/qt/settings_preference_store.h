#pragma once

#include <QString>

#include "platform/preference_store.h"

// Preferences in an INI file: the file plays the part of the registry key. While the file does
// not exist nothing is read or stored, and this class never creates it.
class SettingsPreferenceStore : public PreferenceStore {
 public:
  explicit SettingsPreferenceStore(QString path);
  // $XDG_CONFIG_HOME/Ostrand Software/Hopwise/1.2.conf (~/.config when XDG_CONFIG_HOME is unset).
  static QString DefaultPath();

  bool KeyExists() const override;
  std::optional<std::string> ReadString(const std::string& name) const override;
  std::optional<uint32_t> ReadDword(const std::string& name) const override;
  bool WriteString(const std::string& name, const std::string& value) override;
  bool WriteDword(const std::string& name, uint32_t value) override;

 private:
  QString path_;
};
