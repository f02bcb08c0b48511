#include "bridge/firefox_session.h"

#include <filesystem>
#include <fstream>

#include "bridge/host/host_manifests.h"
#include "bridge/test_files.h"

namespace bridgetest {

std::string FirefoxSession::Find() {
  return FindProgram({"/usr/bin/firefox-esr", "/usr/bin/firefox"});
}

// An unsigned extension loads only with signatures off (ESR honours that), and one put into the
// profile stays disabled until the user agrees unless its scope is exempt. The rest keeps the
// first run from opening pages of its own.
void FirefoxSession::MakeProfile() const {
  std::filesystem::create_directories(profile_ + "/extensions");
  std::ofstream(profile_ + "/user.js")
      << "user_pref(\"xpinstall.signatures.required\", false);\n"
         "user_pref(\"extensions.autoDisableScopes\", 0);\n"
         "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
         "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
      << extraPrefs;
  std::ofstream(profile_ + "/extensions/" + bridge::kGeckoExtensionId)
      << HOPWISE_SOURCE_DIR << "/bridge/extension";
}

bool FirefoxSession::Start(const BrowserHome& home, const std::string& startUrl) {
  profile_ = ProfileFolder(home);
  logPath_ = home.root + "/firefox.log";
  MakeProfile();
  ChildProcess::Options options;
  options.env = home.Environment();
  options.outputPath = logPath_;
  process_ = std::make_unique<ChildProcess>(
      Find(), std::vector<std::string>{"--headless", "--no-remote", "--profile", profile_, startUrl},
      options);
  return process_->Started();
}

std::string FirefoxSession::Log() const {
  return ReadFile(logPath_);
}

std::unique_ptr<BrowserSession> MakeFirefox() {
  return std::make_unique<FirefoxSession>();
}

}  // namespace bridgetest
