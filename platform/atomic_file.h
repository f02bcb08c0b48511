#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

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

// A file's path and the bytes that are to replace it.
struct FileReplacement {
  std::string path;
  std::string bytes;
};

// Replaces several files, each as ReplaceFile does, but with one sync of the file system for them
// all instead of two syncs per file (a thousand small files take a fraction of a second rather
// than seconds): every file's bytes go to a temporary file beside it, the file system of each
// folder is synced once, then the temporary files are renamed over the files in the order given
// and each folder is synced once. After a crash every file is either the old or the new one.
// Returns, for each file, whether it was replaced; a file that was not stays as it was.
std::vector<bool> ReplaceFiles(const std::vector<FileReplacement>& files,
                               const OutputOpener& open = OpenFileOutput, unsigned newFileMode = 0666);
