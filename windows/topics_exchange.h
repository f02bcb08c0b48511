#pragma once

#include <string>

#include "platform/message_boxes.h"
#include "store/topics_model.h"
#include "windows/window_services.h"

class QWidget;

// The Topics window's File menu commands that bring a bookmark file in and write the Topics out.
// Each returns the text the window's status bar shows afterwards (empty when the user gave up).

// Reads the file at path, asking first when it does not look like a bookmark file, with a progress
// dialog (which can cancel it) for a file that takes long; adds nothing unless the whole file was
// read. Trouble is told in a message box. The window may go away while the file is read (the
// program ending): then nothing is added.
std::string ImportBookmarksFile(QWidget& window, const std::string& path, TopicsModel& model,
                                MessageBoxes& messages);
// Writes the Topics to path as a bookmark file, with a busy pointer; trouble is told in a message
// box and leaves a file that was there as it was.
std::string ExportTopicsFile(const std::string& path, TopicsModel& model, MessageBoxes& messages);

// "Import From Browser...": the profiles of Chromium and Firefox found for the user to choose from,
// brought in with CBrowserImportDlg. The summary line, or empty when nothing was brought in (or
// the window went away meanwhile).
std::string ImportFromBrowser(QWidget& window, const WindowServices& services);

// The platform's open and save dialogs for those commands, both starting in the home folder (the
// program runs in its data folder, no place for the user's files); empty when cancelled.
std::string AskImportFile(QWidget& window);
std::string AskExportFile(QWidget& window);
