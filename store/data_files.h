#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/message_boxes.h"
#include "store/page_mark_store.h"
#include "store/records.h"

inline constexpr char kCacheCorrupted[] = "Doh!\nThe cache has been corrupted.\nIt will be purged.";
inline constexpr char kBranchCorrupted[] = "Doh!\nThis topic branch has been corrupted.\nIt will be pruned.";

// How loading a data file went.
enum class LoadOutcome {
  Missing,  // no file: nothing loaded
  Loaded,
  Damaged,     // the reader rejected the format: moved aside as NAME.damaged-YYYYMMDD-HHMMSS
  Unreadable,  // could not be read (permissions, I/O, memory ran out): left alone and never written
};

// What reading a whole file gave: its bytes, or the system's error (ENOENT: no such file).
struct FileBytes {
  int error = 0;
  std::string bytes;
};
using FileReader = std::function<FileBytes(const std::string& path)>;
FileBytes ReadWholeFile(const std::string& path);

// The load and save operations of cache.data, topics.data and the Topic branch files.
//
// Nothing the user has is destroyed here. A file that cannot be read is not damage: the user is
// told which file and why, and that file is not written for the rest of the run. A damaged file,
// or one written by a newer version, is moved aside in its folder and the user is told where it
// is; hopwise-archive recover reads back what it still holds. A failed save says why and keeps the
// previous file. A copy of the store that is already on disk is not written again.
class DataFiles {
 public:
  DataFiles(MessageBoxes& messages, const Clock& clock, OutputOpener open = OpenFileOutput,
            FileReader read = ReadWholeFile);
  ~DataFiles();
  DataFiles(const DataFiles&) = delete;
  DataFiles& operator=(const DataFiles&) = delete;

  // Loads the PageMarks of cache.data into the store (PageMarkStore::Load). Only Loaded changes
  // the store.
  LoadOutcome LoadCache(PageMarkStore& store, const std::string& path);
  // Writes a copy of the store to path unless that copy (or a newer one) is on disk already.
  // False (with the message) when the write failed. Any thread: the store is only copied, under
  // its lock.
  bool SaveCache(const PageMarkStore& store, const std::string& path);
  // The same, telling nobody: the message of a failed write is put in failure (empty when the
  // file may not be written in this run). For a worker, whose owner shows the message.
  bool SaveCache(const PageMarkStore& store, const std::string& path, std::string& failure);

  // Appends the topics of the file at path to topics (only when Loaded).
  LoadOutcome LoadBranch(const std::string& path, TopicArray& topics);
  // Writes topics to path, replacing the file. False (with the message) when the write failed.
  bool SaveBranch(const std::string& path, const TopicArray& topics);
  // Writes several branches at once, with one sync of the disk for them all (ReplaceFiles), in the
  // order given; a branch that fails gets the message as in SaveBranch, several one message
  // together. Returns, per branch, whether it was written.
  std::vector<bool> SaveBranches(const std::vector<std::pair<std::string, const TopicArray*>>& branches);

  // Where messages go from now on: at the end of the session no message box may hold the
  // process, so the application switches to a reporter that writes to stderr.
  void ReportTo(MessageBoxes& messages);
  // Whether path may be written in this run (false once it could not be read).
  bool MayWrite(const std::string& path) const;
  // How many files were left unread in this run (not readable, or damaged and not moved aside).
  std::size_t UnreadFiles() const;
  // Tells the user something about the data files (through the current reporter).
  void Tell(const std::string& text);

 private:
  // Reads path; Missing, Unreadable (told) or Loaded with the bytes.
  LoadOutcome Read(const std::string& path, std::string& bytes);
  // A file that could not be read though it may be sound (no permission, I/O, memory): left as it
  // is, never written in this run, and the user is told why.
  LoadOutcome NotRead(const std::string& path, const std::string& why);
  // Moves a damaged file aside and tells the user: first line(s) of the message, then the copy.
  void KeepDamaged(const std::string& path, const std::string& message);
  std::string Write(const std::string& path, const std::string& bytes);

  MessageBoxes* messages_;
  const Clock& clock_;
  OutputOpener open_;
  FileReader read_;

  std::mutex cacheWriteMutex_;  // one cache write at a time, in the order of their copies
  mutable std::mutex mutex_;    // the members below
  std::set<std::string> unwritable_;
  // The generation of the store copy on disk per cache path (loaded or written); an older copy
  // is never written over a newer one, and the same one is not written again.
  std::map<std::string, uint64_t> cacheGeneration_;
};
