#include "browser/window_title.h"

namespace {
constexpr size_t kCaptionPrefix = 12;  // "Netscape - ["
}

std::string TitleFromCaption(const std::string& caption) {
  if (caption.size() < kCaptionPrefix + 1) return {};
  return caption.substr(kCaptionPrefix, caption.size() - kCaptionPrefix - 1);
}
