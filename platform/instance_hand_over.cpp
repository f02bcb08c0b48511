#include "platform/instance_hand_over.h"

#include <strings.h>

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

InstanceHandOver::InstanceHandOver(const std::string& runtimeDir) : transport_(runtimeDir) {}

bool InstanceHandOver::Listen(std::function<void()> onShow) {
  onShow_ = std::move(onShow);
  return transport_.Initialize([this](const dde::Transaction& t) { return OnTransaction(t); }) &&
         transport_.RegisterService(kHandOverService);
}

// Only the one poke is served; anything else on the name is refused or left unanswered.
dde::Result InstanceHandOver::OnTransaction(const dde::Transaction& t) {
  dde::Result result;
  if (t.type == dde::TransactionType::Connect) {
    result.value = SameName(t.service, kHandOverService) ? 1 : 0;
  } else if (t.type == dde::TransactionType::Poke && t.item == kShowItem) {
    if (onShow_) onShow_();
    result.value = dde::kFack;
  }
  return result;
}

bool InstanceHandOver::AskToShow(const std::string& runtimeDir, int timeoutMs) {
  dde::Instance asker(runtimeDir);
  if (!asker.Initialize([](const dde::Transaction&) { return dde::Result{}; })) return false;
  const dde::ConvHandle conv = asker.Connect(kHandOverService, kShowItem, timeoutMs);
  if (conv == 0) return false;
  const bool taken = asker.Poke(conv, kShowItem, timeoutMs) == dde::kFack;
  asker.Disconnect(conv);
  return taken;
}
