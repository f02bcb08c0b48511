#include "platform/damaged_copy.h"

#include <ctime>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string Stamp(Time32 now) {
  const std::time_t t = now;
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

}  // namespace

std::string DamagedCopyName(const std::string& path, Time32 now) {
  const std::string base = path + ".damaged-" + Stamp(now);
  std::error_code ec;
  std::string name = base;
  for (int n = 2; fs::exists(fs::symlink_status(name, ec)); ++n) name = base + "-" + std::to_string(n);
  return name;
}

std::string KeepDamagedCopy(const std::string& path, Time32 now, std::string& why) {
  const std::string copy = DamagedCopyName(path, now);
  std::error_code ec;
  fs::rename(path, copy, ec);
  if (!ec) return copy;
  why = ec.message();
  return {};
}
