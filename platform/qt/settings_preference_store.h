#pragma once

#include <QSettings>
#include <QString>
#include <memory>

#include "platform/preference_store.h"

// Preferences in an INI file: the file plays the part of the registry key. While the file does
// not exist nothing is read or stored, and this class never creates it. Writes are kept until
// Commit (or the end of this object) and then stored in one save of the file.
class SettingsPreferenceStore : public PreferenceStore {
 public:
  explicit SettingsPreferenceStore(QString path);
  ~SettingsPreferenceStore() override;
  // $XDG_CONFIG_HOME/Ostrand Software/Hopwise/1.2.conf (~/.config when XDG_CONFIG_HOME is unset).
  static QString DefaultPath();

  bool KeyExists() const override;
  std::optional<std::string> ReadString(const std::string& name) const override;
  std::optional<uint32_t> ReadDword(const std::string& name) const override;
  bool WriteString(const std::string& name, const std::string& value) override;
  bool WriteDword(const std::string& name, uint32_t value) override;
  bool Commit() override;

 private:
  // The file's settings, open while writes wait for their commit.
  QSettings& Settings() const;

  QString path_;
  mutable std::unique_ptr<QSettings> settings_;
};
