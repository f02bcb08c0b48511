#pragma once

#include <string>
#include <vector>

#include "browser/url_opener.h"

// Keeps the addresses it was asked to open, in order.
class RecordingOpener : public UrlOpener {
 public:
  void OpenInBrowser(const std::string& url) override { opened.push_back(url); }
  std::vector<std::string> opened;
};
