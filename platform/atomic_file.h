#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

// Opens the stream through which a file's new bytes are written. It is handed the path of the
// temporary file that will replace the file. Tests hand back a stream that fails part way.
using OutputOpener = std::function<std::unique_ptr<std::ostream>(const std::string& tempPath)>;

// The default opener: a binary std::ofstream on the temporary file.
std::unique_ptr<std::ostream> OpenFileOutput(const std::string& tempPath);

// Replaces the file at path by bytes, so that a failure can never leave a half-written file: the
// bytes go to a new temporary file in the same folder, which is flushed, synced and renamed over
// the old one, and the folder is synced. On any failure the temporary file is removed, the old
// file stays as it was, and the result is false. A file that exists keeps its permission bits; a
// new one gets newFileMode (less the umask).
bool ReplaceFile(const std::string& path, std::string_view bytes, const OutputOpener& open = OpenFileOutput,
                 unsigned newFileMode = 0666);
