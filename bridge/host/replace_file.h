#pragma once

#include <string>

namespace bridge {

enum class WriteOutcome { Unchanged, Written, Failed };

// Puts text into the file at path unless it already holds exactly that. The new text goes to a
// temporary file in the same folder that is then renamed over the old one, so a reader sees the
// old file or the new one, never half of it; a failed write leaves the old file as it was.
// Missing folders are made (mode 0700); the file gets mode 0644.
WriteOutcome WriteIfChanged(const std::string& path, const std::string& text);

}  // namespace bridge
