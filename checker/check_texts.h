#pragma once

// The update checker's texts: its menu item's two labels, the status texts of a run and the
// message of the close guard.
inline constexpr char kCheckMenuLabel[] = "Check For &Updated PageMarks";
inline constexpr char kStopMenuLabel[] = "&Stop Checking For Updated PageMarks";

inline constexpr char kStoppingStatus[] = "Stopping PageMark Checker, please wait...";
inline constexpr char kStoppedStatus[] = "Stopped...";
inline constexpr char kAllDoneStatus[] = "All done!";
inline constexpr char kReconcilingStatus[] = "Reconciling PageMarks...";
inline constexpr char kCheckingPageMarksStatus[] = "Checking PageMarks...";
// The run ended at once: no HTTP session could be opened, so nothing was asked of any server.
inline constexpr char kNoSessionStatus[] = "Cannot check PageMarks: no HTTP session could be opened.";

inline constexpr char kCloseGuardMessage[] =
    "Please wait for Hopwise to finish checking PageMarks, or choose Stop Checking from the menu.";
