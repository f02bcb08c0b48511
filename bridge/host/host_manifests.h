#pragma once

#include <ostream>
#include <string>
#include <vector>

// The native-messaging host manifests: the small JSON files by which a browser finds the host
// program for the extension, one per browser.
namespace bridge {

// The name the extension connects to.
inline constexpr char kHostName[] = "hopwise.browser_bridge";
// Firefox's id of the extension (browser_specific_settings.gecko.id of its manifest.json).
inline constexpr char kGeckoExtensionId[] = "browser-bridge@hopwise";

enum class ManifestKind { Chromium, Firefox };

// The manifest that lets one browser start the host at hostPath (absolute) for the extension:
// Chromium allows the origin "chrome-extension://ID/" (trailing slash included), Firefox the gecko
// id. One line of JSON and a newline; a path that is not UTF-8 is read as Latin-1.
std::string HostManifest(ManifestKind kind, const std::string& hostPath, const std::string& chromiumId);

struct ManifestFile {
  ManifestKind kind;
  std::string path;
};

// Where each browser looks for the user's own host manifests: Chromium under its default profile
// folder ($XDG_CONFIG_HOME/chromium, else ~/.config/chromium) in NativeMessagingHosts, Firefox in
// ~/.mozilla/native-messaging-hosts. Unset, empty or relative variables count as absent; with
// no usable HOME there is no place for Firefox, and for Chromium only an absolute XDG_CONFIG_HOME.
std::vector<ManifestFile> UserManifestFiles(const char* home, const char* xdgConfigHome);

// Puts both user manifests in place for the host at hostPath, rewriting a file only when its text
// differs. Tells out of each file it wrote and err of each it could not. True when all are in
// place. Nothing is written when hostPath is not absolute, or not UTF-8 (JSON would name another
// path), or there is no place at all.
bool InstallUserManifests(const std::string& hostPath, const std::string& chromiumId, const char* home,
                          const char* xdgConfigHome, std::ostream& out, std::ostream& err);

}  // namespace bridge
