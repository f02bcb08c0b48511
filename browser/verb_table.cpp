#include "browser/verb_table.h"

#include <array>

namespace {

struct VerbEntry {
  std::string_view name;
  int stringId;
};

constexpr std::array<VerbEntry, kVerbCount> kVerbs{{
    {"WWW_Activate", 105},
    {"WWW_Alert", 106},
    {"WWW_BeginProgress", 107},
    {"WWW_CancelProgress", 108},
    {"WWW_EndProgress", 109},
    {"WWW_Exit", 110},
    {"WWW_GetWindowInfo", 133},
    {"WWW_ListWindows", 113},
    {"WWW_MakingProgress", 114},
    {"WWW_OpenURL", 115},
    {"WWW_ParseAnchor", 116},
    {"WWW_QueryURLFile", 122},
    {"WWW_QueryViewer", 117},
    {"WWW_RegisterProtocol", 118},
    {"WWW_RegisterURLEcho", 119},
    {"WWW_RegisterViewer", 120},
    {"WWW_RegisterWindowChange", 121},
    {"WWW_SetProgressRange", 123},
    {"WWW_ShowFile", 124},
    {"WWW_UnRegisterProtocol", 125},
    {"WWW_UnRegisterURLEcho", 126},
    {"WWW_UnRegisterViewer", 127},
    {"WWW_UnRegisterWindowChange", 128},
    {"WWW_URLEcho", 129},
    {"WWW_Version", 130},
    {"WWW_ViewDocFile", 131},
    {"WWW_WindowChange", 132},
}};

char FoldCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string_view VerbName(int verb) {
  return verb >= 0 && verb < kVerbCount ? kVerbs[verb].name : std::string_view{};
}

int VerbStringId(int verb) {
  return verb >= 0 && verb < kVerbCount ? kVerbs[verb].stringId : 0;
}

int VerbIndex(std::string_view topic) {
  for (int i = 0; i < kVerbCount; ++i) {
    if (EqualIgnoringCase(kVerbs[i].name, topic)) return i;
  }
  return -1;
}
