#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "store/records.h"

// The object stream of cache.data, topics.data and the Topic branch files.
//
// A file is one array: its count, then one element per record. Each element starts with a tag that
// either describes its class (0xFFFF, schema, name) or refers to a class described earlier
// (0x8000 + n, or 0x7FFF + 32-bit n with bit 31 set). Classes and objects share one numbering that
// starts at 1. Everything is little-endian. Written files describe their one class at the first
// element, so every later element starts with 0x8001.

// A stream that cannot be read (damaged, cut short, foreign) or written.
class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A record of a schema this program does not know (a file of a newer version).
class UnknownSchemaError : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

inline constexpr char kUnknownPezSchema[] = "Unknown Pez Object Schema";
inline constexpr char kUnknownTopicSchema[] = "Unknown Topic Object Schema";

inline constexpr uint16_t kPezSchema = 2;
inline constexpr uint16_t kTopicSchema = 2;
inline constexpr char kPezClass[] = "CPez";
inline constexpr char kTopicClass[] = "CTopic";

// The class of one element as the file describes it.
struct ArchiveClass {
  std::string name;
  uint16_t schema = 0;
};

// Reads the primitives and element tags of one file. Every read throws ArchiveError when the stream
// ends early or holds something the format does not allow. Long strings are read piece by piece, so
// a damaged length never allocates more than the stream actually holds.
class ArchiveReader {
 public:
  // expectedClass: the only class the file may describe; empty lets the first description decide.
  ArchiveReader(std::istream& in, std::string expectedClass);

  uint8_t ReadByte();
  uint16_t ReadWord();
  uint32_t ReadDword();
  Time32 ReadTime();
  std::string ReadString();
  uint32_t ReadCount();
  // Reads one element's tag and numbers the object that follows. Null elements, references to
  // objects, unknown numbers and foreign class names are failures: every element is a new record.
  const ArchiveClass& ReadElementClass();

  // Bytes consumed so far (for messages).
  uint64_t Offset() const { return offset_; }

 private:
  void ReadBytes(char* into, size_t count, const char* what);
  const ArchiveClass& DescribeClass();
  const ArchiveClass& ClassNumbered(uint64_t number);

  std::istream& in_;
  std::string expectedClass_;
  uint64_t offset_ = 0;
  uint64_t nextNumber_ = 1;
  std::map<uint64_t, ArchiveClass> classes_;
};

// Writes the primitives and element tags of one file. Throws ArchiveError when the stream fails.
class ArchiveWriter {
 public:
  explicit ArchiveWriter(std::ostream& out);

  void WriteWord(uint16_t value);
  void WriteDword(uint32_t value);
  void WriteTime(Time32 value);
  void WriteString(const std::string& text);
  void WriteCount(uint64_t count);
  // The class description the first time a class is written, a reference to it afterwards.
  void WriteElementClass(const std::string& name, uint16_t schema);

 private:
  void WriteBytes(const char* bytes, size_t count);

  std::ostream& out_;
  uint64_t nextNumber_ = 1;
  std::map<std::string, uint64_t> classNumbers_;
};

// The fields of one record in the layout of its schema. Returns false, reading nothing, for a
// schema the record class does not know. Schema 1 topics keep the times stored in the file here;
// the array reader replaces them.
bool ReadPezFields(ArchiveReader& reader, uint16_t schema, CPez& pez);
bool ReadTopicFields(ArchiveReader& reader, uint16_t schema, CTopic& topic);
void WritePezFields(ArchiveWriter& writer, const CPez& pez);
void WriteTopicFields(ArchiveWriter& writer, const CTopic& topic);

// Whole files. The readers throw ArchiveError for anything that makes the file unreadable, and
// UnknownSchemaError (whose text is "Unknown Pez Object Schema" or "Unknown Topic Object Schema")
// for a record of a schema they do not know: its fields cannot be read, nor anything after it.
// Schema 1 topics get loadTime in both visit times.
std::vector<std::unique_ptr<CPez>> ReadPezArray(std::istream& in);
TopicArray ReadTopicArray(std::istream& in, Time32 loadTime);
void WritePezArray(std::ostream& out, const std::vector<CPez>& pages);
void WriteTopicArray(std::ostream& out, const TopicArray& topics);
