#pragma once

#include <cstdint>
#include <string_view>

// The 27 "WWW_" topic names of the browser link, in their table order (alphabetical), with the
// string-table ids they are kept under. A topic is one verb: every transaction names its verb as
// the conversation's topic.
enum VerbId : int {
  WWW_Activate,
  WWW_Alert,
  WWW_BeginProgress,
  WWW_CancelProgress,
  WWW_EndProgress,
  WWW_Exit,
  WWW_GetWindowInfo,
  WWW_ListWindows,
  WWW_MakingProgress,
  WWW_OpenURL,
  WWW_ParseAnchor,
  WWW_QueryURLFile,
  WWW_QueryViewer,
  WWW_RegisterProtocol,
  WWW_RegisterURLEcho,
  WWW_RegisterViewer,
  WWW_RegisterWindowChange,
  WWW_SetProgressRange,
  WWW_ShowFile,
  WWW_UnRegisterProtocol,
  WWW_UnRegisterURLEcho,
  WWW_UnRegisterViewer,
  WWW_UnRegisterWindowChange,
  WWW_URLEcho,
  WWW_Version,
  WWW_ViewDocFile,
  WWW_WindowChange,
};

inline constexpr int kVerbCount = 27;

// The browser's service name (string 134) and the stem of an endpoint's name (string 103).
inline constexpr std::string_view kBrowserService = "NETSCAPE";
inline constexpr int kBrowserServiceStringId = 134;
inline constexpr std::string_view kEndpointNameStem = "HOPWISE";
inline constexpr int kEndpointNameStringId = 103;

// The window id that stands for "any window" / "the most recently used window".
inline constexpr uint32_t kAnyWindow = 4294967295u;

// The topic name of a verb; empty for an index outside the table.
std::string_view VerbName(int verb);
// The string-table id of a verb's name; 0 for an index outside the table.
int VerbStringId(int verb);
// The index of a topic name in the table, without regard to case (names compare the way the
// transport compares them); -1 when it is not there.
int VerbIndex(std::string_view topic);
