#include "store/archive.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace {

constexpr uint16_t kNullTag = 0x0000;
constexpr uint16_t kLongTag = 0x7FFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint32_t kLongClassBit = 0x80000000u;
constexpr size_t kStringPiece = 64 * 1024;

std::string At(uint64_t offset) {
  return " at byte " + std::to_string(offset);
}

}  // namespace

ArchiveReader::ArchiveReader(std::istream& in, std::string expectedClass)
    : in_(in), expectedClass_(std::move(expectedClass)) {}

void ArchiveReader::ReadBytes(char* into, size_t count, const char* what) {
  if (count == 0) return;
  in_.read(into, static_cast<std::streamsize>(count));
  auto got = static_cast<size_t>(in_.gcount());
  offset_ += got;
  if (got != count) throw ArchiveError(std::string("file ends in the middle of ") + what + At(offset_));
}

uint8_t ArchiveReader::ReadByte() {
  char b = 0;
  ReadBytes(&b, 1, "a length");
  return static_cast<uint8_t>(b);
}

uint16_t ArchiveReader::ReadWord() {
  unsigned char b[2] = {};
  ReadBytes(reinterpret_cast<char*>(b), 2, "a 16-bit value");
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t ArchiveReader::ReadDword() {
  unsigned char b[4] = {};
  ReadBytes(reinterpret_cast<char*>(b), 4, "a 32-bit value");
  return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}

Time32 ArchiveReader::ReadTime() {
  return static_cast<Time32>(ReadDword());
}

std::string ArchiveReader::ReadString() {
  uint64_t length = ReadByte();
  if (length == 0xFF) {
    length = ReadWord();
    if (length == 0xFFFF) {
      length = ReadDword();
    } else if (length == 0xFFFE) {
      // Lengths of 65534 and more take the 32-bit form; this word is no length.
      throw ArchiveError("invalid string length marker 0xFFFE" + At(offset_ - 2));
    }
  }
  std::string text;
  while (text.size() < length) {
    size_t piece = static_cast<size_t>(std::min<uint64_t>(kStringPiece, length - text.size()));
    size_t old = text.size();
    text.resize(old + piece);
    ReadBytes(text.data() + old, piece, "a string");
  }
  return text;
}

uint32_t ArchiveReader::ReadCount() {
  uint16_t count = ReadWord();
  return count == 0xFFFF ? ReadDword() : count;
}

const ArchiveClass& ArchiveReader::ReadElementClass() {
  uint64_t tagOffset = offset_;
  uint16_t tag = ReadWord();
  const ArchiveClass* found = nullptr;
  if (tag == kNewClassTag) {
    found = &DescribeClass();
  } else if (tag & kClassTag) {
    found = &ClassNumbered(tag & ~kClassTag);
  } else if (tag == kLongTag) {
    uint32_t number = ReadDword();
    if (!(number & kLongClassBit)) {
      throw ArchiveError(number == 0 ? "null element" + At(tagOffset)
                                     : "reference to object " + std::to_string(number) + At(tagOffset));
    }
    found = &ClassNumbered(number & ~kLongClassBit);
  } else if (tag == kNullTag) {
    throw ArchiveError("null element" + At(tagOffset));
  } else {
    throw ArchiveError("reference to object " + std::to_string(tag) + At(tagOffset));
  }
  ++nextNumber_;  // the object whose fields follow
  return *found;
}

const ArchiveClass& ArchiveReader::DescribeClass() {
  ArchiveClass described;
  described.schema = ReadWord();
  uint16_t length = ReadWord();
  described.name.resize(length);
  ReadBytes(described.name.data(), length, "a class name");
  if (expectedClass_.empty()) expectedClass_ = described.name;
  if (described.name != expectedClass_) {
    throw ArchiveError("unexpected class \"" + described.name + "\" in a file of " + expectedClass_ +
                       At(offset_));
  }
  auto [it, inserted] = classes_.emplace(nextNumber_++, std::move(described));
  return it->second;
}

const ArchiveClass& ArchiveReader::ClassNumbered(uint64_t number) {
  auto it = classes_.find(number);
  if (it == classes_.end()) {
    throw ArchiveError("reference to undescribed class " + std::to_string(number) + At(offset_));
  }
  return it->second;
}

ArchiveWriter::ArchiveWriter(std::ostream& out) : out_(out) {}

void ArchiveWriter::WriteBytes(const char* bytes, size_t count) {
  out_.write(bytes, static_cast<std::streamsize>(count));
  if (!out_) throw ArchiveError("write failed");
}

void ArchiveWriter::WriteWord(uint16_t value) {
  char b[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
  WriteBytes(b, 2);
}

void ArchiveWriter::WriteDword(uint32_t value) {
  char b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  WriteBytes(b, 4);
}

void ArchiveWriter::WriteTime(Time32 value) {
  WriteDword(static_cast<uint32_t>(value));
}

void ArchiveWriter::WriteString(const std::string& text) {
  uint64_t length = text.size();
  if (length > 0xFFFFFFFFu) throw ArchiveError("string too long to store");
  if (length < 0xFF) {
    char b = static_cast<char>(length);
    WriteBytes(&b, 1);
  } else {
    char marker = static_cast<char>(0xFF);
    WriteBytes(&marker, 1);
    if (length <= 0xFFFD) {
      WriteWord(static_cast<uint16_t>(length));
    } else {
      WriteWord(0xFFFF);
      WriteDword(static_cast<uint32_t>(length));
    }
  }
  WriteBytes(text.data(), text.size());
}

void ArchiveWriter::WriteCount(uint64_t count) {
  if (count > 0xFFFFFFFFu) throw ArchiveError("too many records to store");
  if (count < 0xFFFF) {
    WriteWord(static_cast<uint16_t>(count));
  } else {
    WriteWord(0xFFFF);
    WriteDword(static_cast<uint32_t>(count));
  }
}

void ArchiveWriter::WriteElementClass(const std::string& name, uint16_t schema) {
  auto it = classNumbers_.find(name);
  if (it == classNumbers_.end()) {
    if (name.size() > 0xFFFF) throw ArchiveError("class name too long");
    WriteWord(kNewClassTag);
    WriteWord(schema);
    WriteWord(static_cast<uint16_t>(name.size()));
    WriteBytes(name.data(), name.size());
    classNumbers_.emplace(name, nextNumber_++);
  } else if (it->second < kLongTag) {
    WriteWord(static_cast<uint16_t>(kClassTag | it->second));
  } else {
    WriteWord(kLongTag);
    WriteDword(kLongClassBit | static_cast<uint32_t>(it->second));
  }
  ++nextNumber_;  // the object whose fields follow
}

bool ReadPezFields(ArchiveReader& reader, uint16_t schema, CPez& pez) {
  if (schema != 1 && schema != 2) return false;
  pez.url = reader.ReadString();
  pez.title = reader.ReadString();
  if (schema == 1) pez.commandId = reader.ReadDword();
  pez.reserved = reader.ReadDword();
  pez.firstVisited = reader.ReadTime();
  pez.lastVisited = reader.ReadTime();
  if (schema == 2) pez.size = reader.ReadDword();
  return true;
}

bool ReadTopicFields(ArchiveReader& reader, uint16_t schema, CTopic& topic) {
  if (schema != 1 && schema != 2) return false;
  topic.target = reader.ReadString();
  topic.name = reader.ReadString();
  topic.isFolder = reader.ReadDword();
  topic.firstVisited = reader.ReadTime();
  topic.lastVisited = reader.ReadTime();
  if (schema == 2) topic.size = reader.ReadDword();
  return true;
}

void WritePezFields(ArchiveWriter& writer, const CPez& pez) {
  writer.WriteString(pez.url);
  writer.WriteString(pez.title);
  writer.WriteDword(pez.reserved);
  writer.WriteTime(pez.firstVisited);
  writer.WriteTime(pez.lastVisited);
  writer.WriteDword(pez.size);
}

void WriteTopicFields(ArchiveWriter& writer, const CTopic& topic) {
  writer.WriteString(topic.target);
  writer.WriteString(topic.name);
  writer.WriteDword(topic.isFolder);
  writer.WriteTime(topic.firstVisited);
  writer.WriteTime(topic.lastVisited);
  writer.WriteDword(topic.size);
}

std::vector<std::unique_ptr<CPez>> ReadPezArray(std::istream& in) {
  ArchiveReader reader(in, kPezClass);
  std::vector<std::unique_ptr<CPez>> pages;
  for (uint32_t left = reader.ReadCount(); left > 0; --left) {
    const ArchiveClass& cls = reader.ReadElementClass();
    auto pez = std::make_unique<CPez>();
    if (!ReadPezFields(reader, cls.schema, *pez)) throw UnknownSchemaError(kUnknownPezSchema);
    pages.push_back(std::move(pez));
  }
  return pages;
}

TopicArray ReadTopicArray(std::istream& in, Time32 loadTime) {
  ArchiveReader reader(in, kTopicClass);
  TopicArray topics;
  for (uint32_t left = reader.ReadCount(); left > 0; --left) {
    const ArchiveClass& cls = reader.ReadElementClass();
    auto topic = std::make_unique<CTopic>(loadTime);
    if (!ReadTopicFields(reader, cls.schema, *topic)) throw UnknownSchemaError(kUnknownTopicSchema);
    if (cls.schema == 1) topic->firstVisited = topic->lastVisited = loadTime;
    topics.push_back(std::move(topic));
  }
  return topics;
}

void WritePezArray(std::ostream& out, const std::vector<CPez>& pages) {
  ArchiveWriter writer(out);
  writer.WriteCount(pages.size());
  for (const CPez& pez : pages) {
    writer.WriteElementClass(kPezClass, kPezSchema);
    WritePezFields(writer, pez);
  }
}

void WriteTopicArray(std::ostream& out, const TopicArray& topics) {
  ArchiveWriter writer(out);
  writer.WriteCount(topics.size());
  for (const auto& topic : topics) {
    writer.WriteElementClass(kTopicClass, kTopicSchema);
    WriteTopicFields(writer, *topic);
  }
}
