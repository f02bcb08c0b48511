#include "platform/autostart_entry.h"

#include <filesystem>
#include <fstream>

#include "platform/atomic_file.h"

namespace fs = std::filesystem;

namespace {

// An argument of Exec= in double quotes, with the characters the desktop entry format reserves
// escaped; then the backslashes doubled once more, as every string value of the file is read.
std::string ExecArgument(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string value;
  for (char c : quoted) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return value;
}

std::string StringValue(const std::string& text) {
  std::string value;
  for (char c : text) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return value;
}

bool HasControlCharacter(const std::string& text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

}  // namespace

std::string AutostartFile(const char* home, const char* xdgConfigHome) {
  const std::string xdg = xdgConfigHome ? xdgConfigHome : "";
  const fs::path config =
      !xdg.empty() && xdg.front() == '/' ? fs::path(xdg) : fs::path(home ? home : "") / ".config";
  return (config / "autostart" / "hopwise.desktop").string();
}

std::string StartCommandFor(const std::string& programPath) {
  const fs::path folder = fs::path(programPath).parent_path();
  if (folder.filename() == "hopwise" && folder.parent_path().filename() == "libexec")
    return (folder.parent_path().parent_path() / "bin" / "hopwise").string();
  return (folder / "hopwise-start").string();
}

std::string AutostartEntryText(const std::string& startCommand) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Hopwise\n"
         "Comment=Every page your browser shows, two clicks away from the tray\n"
         "Exec=" +
         ExecArgument(startCommand) +
         "\n"
         "TryExec=" +
         StringValue(startCommand) +
         "\n"
         "Icon=hopwise\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartIsOn(const std::string& file) {
  std::ifstream in(file);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") return false;
  }
  return true;
}

std::string SetAutostart(const std::string& file, bool on, const std::string& startCommand) {
  std::error_code ec;
  if (!on) {
    if (fs::remove(file, ec) || !ec) return {};
    return "Hopwise cannot remove " + file + ": " + ec.message() + ".";
  }
  if (HasControlCharacter(startCommand))
    return "Hopwise cannot start at log-in from " + StringValue(startCommand) +
           ": its path holds a control character.";
  const fs::path folder = fs::path(file).parent_path();
  fs::create_directories(folder, ec);
  if (ec) return "Hopwise cannot make the folder " + folder.string() + ": " + ec.message() + ".";
  ReplaceOptions options;
  options.mode = 0644;
  std::string why;
  if (!ReplaceFile(file, AutostartEntryText(startCommand), options, &why))
    return "Hopwise cannot write " + file + ": " + why + ".";
  return {};
}
