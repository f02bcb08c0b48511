#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <functional>
#include <memory>

#include "platform/preference_store.h"

// Preferences in an INI file: the file plays the part of the registry key. While the file does
// not exist nothing is read or stored, and this class never creates it. Writes are kept until
// Commit (or the end of this object) and then stored in one save of the file, readable by the
// user alone.
//
// The file is checked when it is first read. One that cannot be read (or a folder in its place) is
// Unreadable: nothing is read from it or written to it for as long as this object lives. One that
// QSettings finds malformed (a line that is neither blank, a comment, a [section] nor a
// key=value; a section that is not closed) or that is not UTF-8 is Damaged: the values that parse
// can be read, and SetAside keeps the file aside and starts an empty one.
class SettingsPreferenceStore : public PreferenceStore {
 public:
  // Reads the whole file into bytes; 0, or the system's error number. Tests, which run as root,
  // put in one that fails.
  using FileReader = std::function<int(const QString& path, QByteArray& bytes)>;

  explicit SettingsPreferenceStore(QString path, FileReader read = ReadFile);
  ~SettingsPreferenceStore() override;
  // $XDG_CONFIG_HOME/Ostrand Software/Hopwise/1.2.conf (~/.config when XDG_CONFIG_HOME is unset).
  static QString DefaultPath();
  static int ReadFile(const QString& path, QByteArray& bytes);

  bool KeyExists() const override;
  std::optional<std::string> ReadString(const std::string& name) const override;
  std::optional<uint32_t> ReadDword(const std::string& name) const override;
  bool WriteString(const std::string& name, const std::string& value) override;
  bool WriteDword(const std::string& name, uint32_t value) override;
  bool Commit() override;
  PreferenceTrouble Trouble() const override;
  std::string Location() const override { return path_.toStdString(); }
  std::string SetAside(Time32 now, std::string& why) override;

 private:
  // The file's settings, open while writes wait for their commit.
  QSettings& Settings() const;
  PreferenceTrouble Check() const;
  // Group and others lose any access to the file.
  void MakePrivate() const;

  QString path_;
  FileReader read_;
  mutable std::unique_ptr<QSettings> settings_;
  mutable std::optional<PreferenceTrouble> trouble_;  // found at the first read
  bool frozen_ = false;  // a damaged file that could not be moved aside: never written
};
