#include "platform/qt/settings_preference_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

SettingsPreferenceStore::SettingsPreferenceStore(QString path) : path_(std::move(path)) {}

QString SettingsPreferenceStore::DefaultPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = QDir::homePath() + "/.config";
  return base + "/Ostrand Software/Hopwise/1.2.conf";
}

bool SettingsPreferenceStore::KeyExists() const { return QFileInfo(path_).isFile(); }

std::optional<std::string> SettingsPreferenceStore::ReadString(const std::string& name) const {
  if (!KeyExists()) return std::nullopt;
  QSettings settings(path_, QSettings::IniFormat);
  QVariant value = settings.value(QString::fromStdString(name));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

std::optional<uint32_t> SettingsPreferenceStore::ReadDword(const std::string& name) const {
  if (!KeyExists()) return std::nullopt;
  QSettings settings(path_, QSettings::IniFormat);
  QVariant value = settings.value(QString::fromStdString(name));
  if (!value.isValid()) return std::nullopt;
  bool ok = false;
  // Values are stored as unsigned 32-bit words; a negative text ("-1") is read as its word.
  qlonglong number = value.toString().trimmed().toLongLong(&ok);
  if (!ok || number < INT32_MIN || number > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(number);
}

bool SettingsPreferenceStore::WriteString(const std::string& name, const std::string& value) {
  if (!KeyExists()) return false;
  QSettings settings(path_, QSettings::IniFormat);
  settings.setValue(QString::fromStdString(name), QString::fromStdString(value));
  settings.sync();
  return settings.status() == QSettings::NoError;
}

bool SettingsPreferenceStore::WriteDword(const std::string& name, uint32_t value) {
  if (!KeyExists()) return false;
  QSettings settings(path_, QSettings::IniFormat);
  settings.setValue(QString::fromStdString(name), static_cast<qulonglong>(value));
  settings.sync();
  return settings.status() == QSettings::NoError;
}
