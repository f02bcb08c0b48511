#include "store/prefs.h"

namespace {

// The stored integer values, in the order they are read and written.
struct DwordValue {
  const char* name;
  int32_t CPrefs::*field;
};

const char* const kColumnNames[4] = {"Column 0", "Column 1", "Column 2", "Column 3"};

constexpr DwordValue kTrailingDwords[] = {
    {"Max PageMarks", &CPrefs::maxPageMarks},
    {"Power User", &CPrefs::powerUser},
    {"Menu State", &CPrefs::menuState},
    {"Simple Sites", &CPrefs::simpleSites},
    {"Check Secure Pages", &CPrefs::checkSecurePages},
    {"Modern Sites", &CPrefs::modernSites},
    {"Sort Column", &CPrefs::sortColumn},
    {"Sort Flag", &CPrefs::sortFlag},
    {"Browser Import Offered", &CPrefs::browserImportOffered},
    {"Check Watched Pages Hours", &CPrefs::watchHours},
};

// The stored text values after "Browser" and "Browser Path".
struct StringValue {
  const char* name;
  std::string CPrefs::*field;
};

constexpr StringValue kTrailingStrings[] = {
    {"Search Address", &CPrefs::searchAddress},
    {"Expanded Sites", &CPrefs::expandedSites},
    {"Expanded Topics", &CPrefs::expandedTopics},
};

// True when the value was stored.
bool LoadDword(const PreferenceStore& store, const char* name, int32_t& field) {
  // The stored word is taken bit for bit; no value is limited or checked here.
  auto value = store.ReadDword(name);
  if (value) field = static_cast<int32_t>(*value);
  return value.has_value();
}

bool LoadString(const PreferenceStore& store, const char* name, std::string& field) {
  auto value = store.ReadString(name);
  if (value) field = *value;
  return value.has_value();
}

}  // namespace

void LoadPreferences(CPrefs& prefs, const PreferenceStore& store) {
  if (!store.KeyExists()) return;
  bool stored = LoadString(store, "Browser", prefs.browser);
  stored |= LoadString(store, "Browser Path", prefs.browserPath);
  for (size_t column = 0; column < 4; ++column)
    stored |= LoadDword(store, kColumnNames[column], prefs.columnWidths[column]);
  for (const DwordValue& value : kTrailingDwords) stored |= LoadDword(store, value.name, prefs.*value.field);
  for (const StringValue& value : kTrailingStrings)
    stored |= LoadString(store, value.name, prefs.*value.field);
  if (!stored) prefs.powerUser = 1;
}

void OpenPreferences(CPrefs& prefs, PreferenceStore& store, MessageBoxes& messages, Time32 now) {
  const PreferenceTrouble trouble = store.Trouble();
  LoadPreferences(prefs, store);
  const std::string where = store.Location();
  if (trouble.kind == PreferenceTrouble::Unreadable) {
    messages.Ok("Hopwise cannot read its preferences file " + where + ": " + trouble.detail +
                ".\nThe default preferences are used; the file is left as it is and will not be written "
                "while Hopwise runs.");
    return;
  }
  if (trouble.kind != PreferenceTrouble::Damaged) return;
  const std::string damaged = "The preferences file " + where + " is damaged: " + trouble.detail + ".";
  std::string why;
  const std::string copy = store.SetAside(now, why);
  if (copy.empty()) {
    messages.Ok(damaged + "\nIt could not be moved aside (" + why +
                "), so it is left as it is and will not be written while Hopwise runs.");
    return;
  }
  SavePreferences(prefs, store);
  messages.Ok(damaged +
              "\nThe preferences that could be read are kept in a new file; the damaged file was "
              "kept as " +
              copy + ".");
}

void SavePreferences(const CPrefs& prefs, PreferenceStore& store) {
  // Without the key nothing is stored; failed writes are ignored.
  if (!store.KeyExists()) return;
  store.WriteString("Browser", prefs.browser);
  store.WriteString("Browser Path", prefs.browserPath);
  for (size_t column = 0; column < 4; ++column)
    store.WriteDword(kColumnNames[column], static_cast<uint32_t>(prefs.columnWidths[column]));
  for (const DwordValue& value : kTrailingDwords)
    store.WriteDword(value.name, static_cast<uint32_t>(prefs.*value.field));
  for (const StringValue& value : kTrailingStrings) store.WriteString(value.name, prefs.*value.field);
  store.Commit();
}
