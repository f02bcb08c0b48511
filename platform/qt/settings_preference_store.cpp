#include "platform/qt/settings_preference_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

SettingsPreferenceStore::SettingsPreferenceStore(QString path) : path_(std::move(path)) {}

SettingsPreferenceStore::~SettingsPreferenceStore() {
  Commit();
}

QSettings& SettingsPreferenceStore::Settings() const {
  if (!settings_) settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
  return *settings_;
}

bool SettingsPreferenceStore::Commit() {
  if (!settings_) return true;
  settings_->sync();
  const bool ok = settings_->status() == QSettings::NoError;
  settings_.reset();  // the next read sees the file as it is now
  return ok;
}

QString SettingsPreferenceStore::DefaultPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = QDir::homePath() + "/.config";
  return base + "/Ostrand Software/Hopwise/1.2.conf";
}

bool SettingsPreferenceStore::KeyExists() const {
  return QFileInfo(path_).isFile();
}

std::optional<std::string> SettingsPreferenceStore::ReadString(const std::string& name) const {
  if (!KeyExists()) return std::nullopt;
  QVariant value = Settings().value(QString::fromStdString(name));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

std::optional<uint32_t> SettingsPreferenceStore::ReadDword(const std::string& name) const {
  if (!KeyExists()) return std::nullopt;
  QVariant value = Settings().value(QString::fromStdString(name));
  if (!value.isValid()) return std::nullopt;
  bool ok = false;
  // Values are stored as unsigned 32-bit words; a negative text ("-1") is read as its word.
  qlonglong number = value.toString().trimmed().toLongLong(&ok);
  if (!ok || number < INT32_MIN || number > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(number);
}

bool SettingsPreferenceStore::WriteString(const std::string& name, const std::string& value) {
  if (!KeyExists()) return false;
  Settings().setValue(QString::fromStdString(name), QString::fromStdString(value));
  return true;
}

bool SettingsPreferenceStore::WriteDword(const std::string& name, uint32_t value) {
  if (!KeyExists()) return false;
  Settings().setValue(QString::fromStdString(name), static_cast<qulonglong>(value));
  return true;
}
