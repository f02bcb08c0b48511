#include "windows/window_check.h"

#include "checker/check_texts.h"

WindowCheck::WindowCheck(QObject& window, WindowCheckView& view, HttpClient& http, const CPrefs& prefs,
                         MessageBoxes& messages)
    : view_(view), messages_(messages), bridge_(window, view), checker_(bridge_, http, prefs) {}

WindowCheck::~WindowCheck() {
  bridge_.Close();
}

void WindowCheck::OnCheckForUpdates(const std::function<std::optional<CheckScope>()>& askScope) {
  if (checker_.RequestStop()) {
    view_.SetStatusText(kStoppingStatus);
    view_.SetMenuLabel(kCheckMenuLabel);
    return;
  }
  std::optional<CheckScope> scope = askScope();
  if (!scope) return;
  view_.ClearVerdicts();
  if (checker_.Start(std::move(*scope))) view_.SetMenuLabel(kStopMenuLabel);
}

bool WindowCheck::MayClose() {
  if (!checker_.RunRegistered()) return true;
  messages_.Ok(kCloseGuardMessage);
  return false;
}
