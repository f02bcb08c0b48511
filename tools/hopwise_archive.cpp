// hopwise-archive: prints the records of cache.data, topics.data or a Topic branch file as JSON,
// one object per line. It only ever reads the file.
//
//   hopwise-archive dump FILE
//
// Exit status: 0 read to the end, 1 the file cannot be read or is damaged (the records before the
// damage have been printed), 2 usage error.

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "store/archive.h"

namespace {

constexpr char kUsage[] =
    "usage: hopwise-archive dump FILE\n"
    "Prints each record of a Hopwise data file (cache.data, topics.data or a Topic branch file)\n"
    "as one JSON object per line. The file is never changed.\n";

bool Continuation(std::string_view s, size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
  if (i >= s.size()) return false;
  auto c = static_cast<unsigned char>(s[i]);
  return c >= low && c <= high;
}

// Length of the well-formed UTF-8 sequence starting at i, or 0 when the byte there starts none.
size_t Utf8Length(std::string_view s, size_t i) {
  auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return Continuation(s, i + 1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    unsigned char low = c == 0xE0 ? 0xA0 : 0x80;
    unsigned char high = c == 0xED ? 0x9F : 0xBF;  // no surrogates
    return Continuation(s, i + 1, low, high) && Continuation(s, i + 2) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    unsigned char low = c == 0xF0 ? 0x90 : 0x80;
    unsigned char high = c == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    return Continuation(s, i + 1, low, high) && Continuation(s, i + 2) && Continuation(s, i + 3) ? 4 : 0;
  }
  return 0;
}

void EscapeByte(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u00";
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

// A JSON string of the bytes: well-formed UTF-8 as it is; control characters (C0, DEL, C1) and
// bytes that are no UTF-8 as \u00XX, so a byte b of the system code page reads back as U+00bb.
std::string JsonString(std::string_view bytes) {
  std::string out = "\"";
  for (size_t i = 0; i < bytes.size();) {
    auto c = static_cast<unsigned char>(bytes[i]);
    size_t length = Utf8Length(bytes, i);
    if (length == 0) {
      EscapeByte(out, c);
      i += 1;
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          EscapeByte(out, c);
        } else if (c == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0) {
          EscapeByte(out, static_cast<unsigned char>(bytes[i + 1]));  // U+0080..U+009F
        } else {
          out.append(bytes.substr(i, length));
        }
    }
    i += length;
  }
  return out + "\"";
}

// The fields a record holds in its schema, in file order.
void PrintPez(std::ostream& out, uint16_t schema, const CPez& p) {
  out << ",\"url\":" << JsonString(p.url) << ",\"title\":" << JsonString(p.title);
  if (schema == 1) out << ",\"commandId\":" << p.commandId;
  out << ",\"reserved\":" << p.reserved << ",\"firstVisited\":" << p.firstVisited
      << ",\"lastVisited\":" << p.lastVisited;
  if (schema == 2) out << ",\"size\":" << p.size;
}

void PrintTopic(std::ostream& out, uint16_t schema, const CTopic& t) {
  out << ",\"target\":" << JsonString(t.target) << ",\"name\":" << JsonString(t.name)
      << ",\"isFolder\":" << t.isFolder << ",\"firstVisited\":" << t.firstVisited
      << ",\"lastVisited\":" << t.lastVisited;
  if (schema == 2) out << ",\"size\":" << t.size;
}

// One element as one line. Records of an unknown schema carry no fields the reader knows.
std::string RecordLine(ArchiveReader& reader) {
  const ArchiveClass& cls = reader.ReadElementClass();
  std::ostringstream line;
  line << "{\"class\":" << JsonString(cls.name) << ",\"schema\":" << cls.schema;
  if (cls.name == kPezClass) {
    CPez p;
    if (ReadPezFields(reader, cls.schema, p)) PrintPez(line, cls.schema, p);
  } else if (cls.name == kTopicClass) {
    CTopic t(0);
    if (ReadTopicFields(reader, cls.schema, t)) PrintTopic(line, cls.schema, t);
  } else {
    throw ArchiveError("not a Hopwise data file: records of class " + JsonString(cls.name));
  }
  line << "}\n";
  return line.str();
}

int Dump(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    std::cerr << "hopwise-archive: " << path << ": is a folder\n";
    return 1;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "hopwise-archive: " << path << ": cannot open: " << std::strerror(errno) << "\n";
    return 1;
  }
  ArchiveReader reader(in, "");
  uint32_t count = 0;
  uint32_t done = 0;
  try {
    count = reader.ReadCount();
    for (; done < count; ++done) std::cout << RecordLine(reader);
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "hopwise-archive: " << path << ": damaged file";
    if (count > 0) std::cerr << " (record " << done + 1 << " of " << count << ")";
    std::cerr << ": " << e.what() << "\n";
    return 1;
  }
  uint64_t trailing = 0;
  while (in.get() != std::char_traits<char>::eof()) ++trailing;
  if (trailing > 0) {
    std::cerr << "hopwise-archive: " << path << ": " << trailing
              << " bytes after the last record (Hopwise ignores them)\n";
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "hopwise-archive: cannot write the output\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (argc != 3 || std::string_view(argv[1]) != "dump") {
    std::cerr << kUsage;
    return 2;
  }
  return Dump(argv[2]);
}
