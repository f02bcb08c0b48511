#include "browser/browser_link.h"

#include "browser/address_guard.h"

BrowserLink::BrowserLink(DdeLink& link, const CPrefs& prefs, Launcher& launcher, MessageBoxes& messages)
    : endpoint_(std::make_unique<CDDEObject>(link, prefs, launcher)), messages_(messages) {}

BrowserLink::~BrowserLink() = default;

std::string BrowserLink::EndpointName() const {
  return endpoint_ ? endpoint_->name() : std::string();
}

void BrowserLink::OpenInBrowser(const std::string& url) {
  if (!endpoint_) return;
  if (auto refusal = BrowserRefusal(url)) {
    messages_.Ok(*refusal);
    return;
  }
  endpoint_->OpenUrl(url);
  if (endpoint_) endpoint_->Activate();
}

WindowInfo BrowserLink::GetWindowInfo(uint32_t windowId) {
  return endpoint_ ? endpoint_->GetWindowInfo(windowId) : WindowInfo{};
}

bool BrowserLink::TryRegisterForEchoes() {
  return endpoint_ && endpoint_->TryRegisterUrlEcho(endpoint_->name());
}

void BrowserLink::Close() {
  endpoint_.reset();
}
