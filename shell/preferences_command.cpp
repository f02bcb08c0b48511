#include "shell/preferences_command.h"

namespace {

// Stores a switched flag; a stored non-zero number that is still "on" is left as it is.
bool Switch(int32_t& field, bool on) {
  if ((field != 0) == on) return false;
  field = on ? 1 : 0;
  return true;
}

}  // namespace

void PreferencesCommand(const PreferenceChoices& chosen, CPrefs& prefs, PageMarkStore& store,
                        PopupMenus& menus) {
  bool rebuild = false;
  if (chosen.maxPageMarks != prefs.maxPageMarks) {
    const bool lower = chosen.maxPageMarks < prefs.maxPageMarks;
    prefs.maxPageMarks = chosen.maxPageMarks;
    if (lower) {
      store.TrimTo(store.PageMarkLimit());
      rebuild = true;
    }
  }
  rebuild |= Switch(prefs.menuState, chosen.topicsInMainMenu);
  bool regroup = Switch(prefs.simpleSites, chosen.simpleSites);
  regroup |= Switch(prefs.modernSites, chosen.modernSites);
  const bool relayout = Switch(prefs.powerUser, chosen.powerUser);
  Switch(prefs.checkSecurePages, chosen.checkSecurePages);
  prefs.watchHours = chosen.watchHours;
  prefs.searchAddress = chosen.searchAddress;

  // A rebuild lays the link submenus out as "Power User" wants them, and so does the one that
  // follows the store's regrouping.
  if (regroup)
    store.RegroupSites();
  else if (rebuild)
    menus.RebuildMenus();
  else if (relayout)
    menus.RelayoutLinkMenus();
}
