#include "platform/qt/settings_preference_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cerrno>

#include "store/prefs.h"
#include "support/recording_message_boxes.h"

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t ModeOf(const QString& path) {
  struct stat status {};
  ::stat(QFile::encodeName(path).constData(), &status);
  return status.st_mode & 0777;
}

constexpr Time32 kNow = 1700000000;

TEST(SettingsPreferenceStoreTest, WithoutTheFileNothingIsReadOrCreated) {
  QTemporaryDir dir;
  const QString path = dir.filePath("1.2.conf");
  SettingsPreferenceStore store(path);
  EXPECT_FALSE(store.KeyExists());
  CPrefs prefs;
  prefs.maxPageMarks = 77;
  SavePreferences(prefs, store);
  EXPECT_FALSE(store.WriteDword("Max PageMarks", 5));
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_FALSE(store.ReadDword("Max PageMarks").has_value());
}

TEST(SettingsPreferenceStoreTest, PreferencesSurviveTheFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("1.2.conf");
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  SettingsPreferenceStore store(path);
  CPrefs saved;
  saved.browser = "x-www-browser";
  saved.browserPath = "/usr/local/my browsers";
  saved.columnWidths = {10, 20, 30, 40};
  saved.maxPageMarks = -1;
  saved.simpleSites = 1;
  SavePreferences(saved, store);

  CPrefs loaded;
  LoadPreferences(loaded, SettingsPreferenceStore(path));
  EXPECT_EQ(saved.browser, loaded.browser);
  EXPECT_EQ(saved.browserPath, loaded.browserPath);
  EXPECT_EQ(saved.columnWidths, loaded.columnWidths);
  EXPECT_EQ(-1, loaded.maxPageMarks);
  EXPECT_EQ(1, loaded.simpleSites);
  EXPECT_EQ(0, loaded.menuState);

  // Writes wait for the commit and are stored in one save of the file.
  store.WriteDword("Max PageMarks", 123);
  store.WriteString("Browser", "later");
  auto onDisk = [&] {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  };
  EXPECT_FALSE(onDisk().contains("later"));
  EXPECT_EQ(123u, store.ReadDword("Max PageMarks")) << "a store reads its own waiting writes";
  ASSERT_TRUE(store.Commit());
  EXPECT_TRUE(onDisk().contains("later"));
}

// A file written by hand, by another program or half by a full disk: what can still be read is
// kept, the file itself goes aside unchanged, and the user hears of it once.
TEST(SettingsPreferenceStoreTest, ADamagedFileIsKeptAsideAndWhatCanBeReadIsKept) {
  const QByteArray damagedFiles[] = {
      "[General]\nBrowser=firefox\nthis line is no setting\nMax%20PageMarks=300\n",
      "[General\nBrowser=firefox\nMax%20PageMarks=300\n",
      QByteArray("Browser=firefox\nMax%20PageMarks=300\n") + QByteArray(4, '\0') + "\xff\xfe=1\n",
  };
  for (const QByteArray& damaged : damagedFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("1.2.conf");
    WriteFile(path, damaged);
    RecordingMessageBoxes messages;
    CPrefs prefs;
    {
      SettingsPreferenceStore store(path);
      OpenPreferences(prefs, store, messages, kNow);
      EXPECT_EQ("firefox", prefs.browser) << damaged.constData();
      prefs.menuState = 1;
      SavePreferences(prefs, store);
    }
    const QStringList copies = QDir(dir.path()).entryList({"1.2.conf.damaged-*"});
    ASSERT_EQ(1, copies.size()) << damaged.constData();
    EXPECT_EQ(damaged, ReadFile(dir.filePath(copies[0]))) << "the damaged file is kept as it was";
    EXPECT_TRUE(copies[0].contains(QRegularExpression("^1\\.2\\.conf\\.damaged-\\d{8}-\\d{6}$")));
    ASSERT_EQ(1u, messages.Shown().size());
    EXPECT_NE(std::string::npos, messages.Shown()[0].find(dir.filePath(copies[0]).toStdString()));

    CPrefs again;
    RecordingMessageBoxes quiet;
    SettingsPreferenceStore reopened(path);
    OpenPreferences(again, reopened, quiet, kNow + 60);
    EXPECT_TRUE(quiet.Shown().empty()) << "the new file is sound";
    EXPECT_EQ("firefox", again.browser);
    EXPECT_EQ(1, again.menuState);
    EXPECT_EQ(0600u, ModeOf(path));
  }
}

// Tests run as root, so "cannot be read" comes from the reader put in the store's place.
TEST(SettingsPreferenceStoreTest, AnUnreadableFileOrAFolderGivesTheDefaultsAndIsNeverWritten) {
  QTemporaryDir dir;
  const QString path = dir.filePath("1.2.conf");
  const QByteArray held = "[General]\nBrowser=firefox\nMax%20PageMarks=300\n";
  WriteFile(path, held);
  RecordingMessageBoxes messages;
  CPrefs prefs;
  {
    SettingsPreferenceStore store(path, [](const QString&, QByteArray&) { return EACCES; });
    OpenPreferences(prefs, store, messages, kNow);
    EXPECT_EQ("", prefs.browser);
    EXPECT_EQ(1000, prefs.maxPageMarks);
    SavePreferences(prefs, store);
  }
  EXPECT_EQ(held, ReadFile(path));
  ASSERT_EQ(1u, messages.Shown().size());
  EXPECT_EQ(0u, messages.Shown()[0].find("Hopwise cannot read its preferences file " + path.toStdString() +
                                         ": Permission denied."));

  const QString folder = dir.filePath("folder.conf");
  ASSERT_TRUE(QDir().mkdir(folder));
  messages.Clear();
  SettingsPreferenceStore store(folder);
  OpenPreferences(prefs, store, messages, kNow);
  ASSERT_EQ(1u, messages.Shown().size());
  EXPECT_NE(std::string::npos, messages.Shown()[0].find("Is a directory"));
}

TEST(SettingsPreferenceStoreTest, TheFileIsWrittenForTheUserAlone) {
  QTemporaryDir dir;
  const QString path = dir.filePath("1.2.conf");
  WriteFile(path, "");
  ::chmod(QFile::encodeName(path).constData(), 0644);  // as earlier versions left it
  SettingsPreferenceStore store(path);
  SavePreferences(CPrefs{}, store);
  EXPECT_EQ(0600u, ModeOf(path));
}

}  // namespace
