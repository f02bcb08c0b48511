#include "platform/instance_hand_over.h"

#include <strings.h>

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

InstanceHandOver::InstanceHandOver(const std::string& runtimeDir) : transport_(runtimeDir) {}

bool InstanceHandOver::Listen(std::function<void()> onShow, std::function<void()> onFind) {
  onShow_ = std::move(onShow);
  onFind_ = std::move(onFind);
  return transport_.Initialize([this](const dde::Transaction& t) { return OnTransaction(t); }) &&
         transport_.RegisterService(kHandOverService);
}

// Only the two pokes are served; anything else on the name is refused or left unanswered.
dde::Result InstanceHandOver::OnTransaction(const dde::Transaction& t) {
  dde::Result result;
  if (t.type == dde::TransactionType::Connect) {
    result.value = SameName(t.service, kHandOverService) ? 1 : 0;
  } else if (t.type == dde::TransactionType::Poke && (t.item == kShowItem || t.item == kFindItem)) {
    const std::function<void()>& answer = t.item == kShowItem ? onShow_ : onFind_;
    if (answer) answer();
    result.value = dde::kFack;
  }
  return result;
}

bool InstanceHandOver::Ask(const std::string& runtimeDir, const char* item, int timeoutMs) {
  dde::Instance asker(runtimeDir);
  if (!asker.Initialize([](const dde::Transaction&) { return dde::Result{}; })) return false;
  const dde::ConvHandle conv = asker.Connect(kHandOverService, item, timeoutMs);
  if (conv == 0) return false;
  const bool taken = asker.Poke(conv, item, timeoutMs) == dde::kFack;
  asker.Disconnect(conv);
  return taken;
}
