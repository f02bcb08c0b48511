#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/curl_http_client.h"
#include "support/data_fixture.h"
#include "support/recording_opener.h"
#include "windows/window_services.h"

namespace windowstest {

// Runs the event loop until done() holds; false when it still does not after timeoutMs. (QtTest's
// QTRY macros report to QtTest, not to GoogleTest: a failure would pass unseen.)
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(10);
  }
  return true;
}

// Runs act on the modal dialog that the next call opens, once it is up (a dialog's exec() does
// not return until act has closed it).
inline void WhenModal(std::function<void(QWidget&)> act) {
  auto attempt = std::make_shared<std::function<void()>>();
  *attempt = [act, attempt] {
    if (QWidget* modal = QApplication::activeModalWidget()) return act(*modal);
    QTimer::singleShot(10, *attempt);
  };
  QTimer::singleShot(0, *attempt);
}

// A store, Topics and data files in a temporary working folder, and recording fakes for the rest.
class WindowsFixture : public DataFixture {
 protected:
  WindowsFixture() : DataFixture("hopwise-windows") {}

  // A visit ten seconds after the last one.
  const CPez& Visit(const std::string& url, const std::string& title) {
    clock.Advance(10);
    store.RecordVisit(url, title);
    return *store.FindPageMarkByUrl(url);
  }

  RecordingOpener opener;
  CurlHttpClient http;
  WatchedPages watched{clock};
  WindowServices services{prefs, store, topics, opener, messages, http, watched};
};

// "site: page, page | site: ..." as a tree model gives it.
inline std::string SiteOutline(const QAbstractItemModel& model) {
  std::string text;
  for (int i = 0; i < model.rowCount(); ++i) {
    const QModelIndex site = model.index(i, 0);
    text += (i ? " | " : "") + site.data().toString().toStdString() + ":";
    for (int j = 0; j < model.rowCount(site); ++j)
      text += (j ? ", " : " ") + model.index(j, 0, site).data().toString().toStdString();
  }
  return text;
}

}  // namespace windowstest
