#include "platform/qt/settings_preference_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/damaged_copy.h"
#include "platform/utf8_text.h"

SettingsPreferenceStore::SettingsPreferenceStore(QString path, FileReader read)
    : path_(std::move(path)), read_(std::move(read)) {}

SettingsPreferenceStore::~SettingsPreferenceStore() {
  Commit();
}

int SettingsPreferenceStore::ReadFile(const QString& path, QByteArray& bytes) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  int error = 0;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    bytes.append(buffer, n);
  }
  ::close(fd);
  return error;
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
  MakePrivate();
  return ok;
}

void SettingsPreferenceStore::MakePrivate() const {
  struct stat status {};
  const QByteArray file = QFile::encodeName(path_);
  if (::stat(file.constData(), &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & 077) != 0)
    ::chmod(file.constData(), status.st_mode & 0700);
}

QString SettingsPreferenceStore::DefaultPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = QDir::homePath() + "/.config";
  return base + "/Ostrand Software/Hopwise/1.2.conf";
}

PreferenceTrouble SettingsPreferenceStore::Trouble() const {
  if (!trouble_) trouble_ = Check();
  return *trouble_;
}

PreferenceTrouble SettingsPreferenceStore::Check() const {
  const QFileInfo info(path_);
  if (!info.exists()) return {};
  if (info.isDir()) return {PreferenceTrouble::Unreadable, std::strerror(EISDIR)};
  QByteArray bytes;
  const int error = read_(path_, bytes);
  if (error == ENOENT) return {};
  if (error != 0) return {PreferenceTrouble::Unreadable, std::strerror(error)};
  if (!IsUtf8(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))))
    return {PreferenceTrouble::Damaged, "it is not UTF-8 text"};
  // QSettings parses the lines of a section when they are first asked for.
  QSettings probe(path_, QSettings::IniFormat);
  probe.allKeys();
  if (probe.status() == QSettings::FormatError)
    return {PreferenceTrouble::Damaged, "it holds lines that are not settings"};
  return {};
}

// Called before anything is written: the QSettings of the damaged file holds no waiting writes,
// so dropping it does not write the file again.
std::string SettingsPreferenceStore::SetAside(Time32 now, std::string& why) {
  settings_.reset();
  const std::string file = ResolveLinks(path_.toStdString());
  const std::string copy = KeepDamagedCopy(file, now, why);
  if (copy.empty()) {
    frozen_ = true;
    return {};
  }
  // The new file takes the place of the old one (a link to it stays a link).
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
  trouble_ = PreferenceTrouble{};
  return copy;
}

bool SettingsPreferenceStore::KeyExists() const {
  return QFileInfo(path_).isFile() && Trouble().kind != PreferenceTrouble::Unreadable;
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
  if (frozen_ || !KeyExists()) return false;
  Settings().setValue(QString::fromStdString(name), QString::fromStdString(value));
  return true;
}

bool SettingsPreferenceStore::WriteDword(const std::string& name, uint32_t value) {
  if (frozen_ || !KeyExists()) return false;
  Settings().setValue(QString::fromStdString(name), static_cast<qulonglong>(value));
  return true;
}
