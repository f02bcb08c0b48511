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

struct ReplaceOptions {
  // The mode of a new file (less the umask). An existing file keeps its own mode where it is
  // stricter: the new mode is the old one with only the bits of this one left.
  unsigned mode = 0600;
  OutputOpener open = OpenFileOutput;
};

// Replaces the file at path by bytes, so that a failure can never leave a half-written file: the
// bytes go to a new temporary file ("NAME.tmp-PID-N") in the same folder, which is flushed, synced
// and renamed over the old one, and the folder is synced. A symbolic link is written through: its
// target is replaced and the link stays. On any failure the temporary file is removed, the old
// file stays as it was, the result is false and why (when given) holds the system's reason.
bool ReplaceFile(const std::string& path, std::string_view bytes, const ReplaceOptions& options = {},
                 std::string* why = nullptr);

// Writes a file's new bytes into out; false when it could not make them all (out failing counts
// as false too).
using ContentWriter = std::function<bool(std::ostream& out)>;

// The same for bytes written straight into the temporary file, so a large file is never held in
// memory whole: the file is replaced only when write made every byte and they were flushed. A
// std::bad_alloc inside write is a failure whose reason says memory ran out.
bool ReplaceFileWith(const std::string& path, const ContentWriter& write, const ReplaceOptions& options = {},
                     std::string* why = nullptr);

// A file's path and the bytes that are to replace it, or what writes them (then bytes is unused).
struct FileReplacement {
  std::string path;
  std::string bytes;
  ContentWriter write;
};

// Replaces several files, each as ReplaceFile does, but with one sync of the file system for them
// all instead of two syncs per file (a thousand small files take a fraction of a second rather
// than seconds): every file's bytes go to a temporary file beside it, the file system of each
// folder is synced once, then the temporary files are renamed over the files in the order given
// and each folder is synced once. After a crash every file is either the old or the new one.
// Returns, for each file, an empty text when it was replaced, else the system's reason; a file
// that was not replaced stays as it was.
std::vector<std::string> ReplaceFiles(const std::vector<FileReplacement>& files,
                                      const ReplaceOptions& options = {});

// The file a path names once symbolic links are followed (the path itself when it is none, or
// when a link leads nowhere readable).
std::string ResolveLinks(const std::string& path);

// Removes the temporary files that saves interrupted by the end of their process left in folder:
// only names of the form ReplaceFile makes, and only of processes that no longer run. Returns
// how many it removed.
int RemoveStaleTempFiles(const std::string& folder);
