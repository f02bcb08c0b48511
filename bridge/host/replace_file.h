#pragma once

#include <string>

namespace bridge {

enum class WriteOutcome { Unchanged, Written, Failed };

// Puts text into the file at path unless it already holds exactly that. The file is replaced
// atomically (ReplaceFile: a temporary file in the same folder, synced, renamed over the old one,
// the folder synced), so a reader sees the old file or the new one, never half of it; a failed
// write leaves the old file as it was. Missing folders are made (mode 0700); a new file gets mode
// 0644 (less the umask), a replaced one keeps its mode.
WriteOutcome WriteIfChanged(const std::string& path, const std::string& text);

}  // namespace bridge
