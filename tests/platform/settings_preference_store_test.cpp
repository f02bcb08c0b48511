#include "platform/qt/settings_preference_store.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "store/prefs.h"

namespace {

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

}  // namespace
