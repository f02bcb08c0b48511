#include "bridge/host/host_manifests.h"

#include <nlohmann/json.hpp>

#include "bridge/host/replace_file.h"
#include "platform/utf8_text.h"

namespace bridge {
namespace {

bool Usable(const char* folder) {
  return folder && folder[0] == '/';
}

}  // namespace

std::string HostManifest(ManifestKind kind, const std::string& hostPath, const std::string& chromiumId) {
  nlohmann::json manifest{{"name", kHostName},
                          {"description", "Hopwise browser bridge"},
                          {"path", Utf8OrLatin1(hostPath)},
                          {"type", "stdio"}};
  if (kind == ManifestKind::Chromium) {
    manifest["allowed_origins"] =
        nlohmann::json::array({Utf8OrLatin1("chrome-extension://" + chromiumId + "/")});
  } else {
    manifest["allowed_extensions"] = nlohmann::json::array({kGeckoExtensionId});
  }
  return manifest.dump() + "\n";
}

std::vector<ManifestFile> UserManifestFiles(const char* home, const char* xdgConfigHome) {
  const std::string file = std::string("/") + kHostName + ".json";
  std::vector<ManifestFile> files;
  if (Usable(xdgConfigHome)) {
    files.push_back(
        {ManifestKind::Chromium, std::string(xdgConfigHome) + "/chromium/NativeMessagingHosts" + file});
  } else if (Usable(home)) {
    files.push_back(
        {ManifestKind::Chromium, std::string(home) + "/.config/chromium/NativeMessagingHosts" + file});
  }
  if (Usable(home)) {
    files.push_back({ManifestKind::Firefox, std::string(home) + "/.mozilla/native-messaging-hosts" + file});
  }
  return files;
}

bool InstallUserManifests(const std::string& hostPath, const std::string& chromiumId, const char* home,
                          const char* xdgConfigHome, std::ostream& out, std::ostream& err) {
  if (!Usable(hostPath.c_str())) {
    err << "the host's own path is not known\n";
    return false;
  }
  // JSON text is UTF-8: a path with other bytes would come out as another path.
  if (!IsUtf8(hostPath)) {
    err << "the host's path is not UTF-8, which a manifest cannot name: " << hostPath << "\n";
    return false;
  }
  const auto files = UserManifestFiles(home, xdgConfigHome);
  if (files.empty()) {
    err << "neither HOME nor XDG_CONFIG_HOME is an absolute path: no place for the manifests\n";
    return false;
  }
  bool allInPlace = true;
  for (const auto& file : files) {
    switch (WriteIfChanged(file.path, HostManifest(file.kind, hostPath, chromiumId))) {
      case WriteOutcome::Unchanged:
        break;
      case WriteOutcome::Written:
        out << "wrote " << file.path << "\n";
        break;
      case WriteOutcome::Failed:
        err << "could not write " << file.path << "\n";
        allInPlace = false;
        break;
    }
  }
  return allInPlace;
}

}  // namespace bridge
