// hopwise-archive: prints the records of cache.data, topics.data or a Topic branch file as JSON,
// one object per line, and gets back what a damaged file still holds.
//
//   hopwise-archive dump FILE
//   hopwise-archive recover FILE NEWFILE
//
// Exit status: 0 done, 1 the file cannot be read or is damaged (dump: the records before the
// damage have been printed) or NEWFILE cannot be written, 2 usage error.

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "platform/utf8_text.h"
#include "store/archive.h"
#include "tools/archive_recover.h"

namespace {

constexpr char kUsage[] =
    "usage: hopwise-archive dump FILE\n"
    "       hopwise-archive recover FILE NEWFILE\n"
    "dump prints each record of a Hopwise data file (cache.data, topics.data or a Topic branch\n"
    "file) as one JSON object per line. recover writes the records of a damaged file that still\n"
    "read cleanly to NEWFILE (which must not exist), in the same format. FILE is never changed.\n";

using Json = nlohmann::ordered_json;

// Raw DEL and C1 control characters would act on the terminal or vanish in it: \u00XX instead.
// In valid UTF-8 JSON they can only stand inside strings, so escaping them in the text is safe.
std::string EscapeInvisibles(const std::string& json) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(json.size());
  for (size_t i = 0; i < json.size(); ++i) {
    const auto c = static_cast<unsigned char>(json[i]);
    const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json[i + 1]) : 0;
    if (c == 0x7F || (c == 0xC2 && next >= 0x80 && next <= 0x9F)) {
      const unsigned char code = c == 0x7F ? c : next;
      out += "\\u00";
      out += kHex[code >> 4];
      out += kHex[code & 0xF];
      if (c == 0xC2) ++i;
    } else {
      out += json[i];
    }
  }
  return out;
}

// A JSON text of the value, on one line. Texts are bytes: well-formed UTF-8 as it is, any other
// byte as its Latin-1 character (so a byte b of the system code page reads back as U+00bb);
// control characters as escapes.
std::string JsonLine(const Json& value) {
  return EscapeInvisibles(value.dump());
}

// A data file's text as a JSON string value.
Json Text(const std::string& bytes) {
  return Utf8OrLatin1(bytes);
}

// The fields a record holds in its schema, in file order.
void AddPez(Json& record, uint16_t schema, const CPez& p) {
  record["url"] = Text(p.url);
  record["title"] = Text(p.title);
  if (schema == 1) record["commandId"] = p.commandId;
  record["reserved"] = p.reserved;
  record["firstVisited"] = p.firstVisited;
  record["lastVisited"] = p.lastVisited;
  if (schema == 2) record["size"] = p.size;
}

void AddTopic(Json& record, uint16_t schema, const CTopic& t) {
  record["target"] = Text(t.target);
  record["name"] = Text(t.name);
  record["isFolder"] = t.isFolder;
  record["firstVisited"] = t.firstVisited;
  record["lastVisited"] = t.lastVisited;
  if (schema == 2) record["size"] = t.size;
}

// One element as one line. Records of an unknown schema carry no fields the reader knows.
std::string RecordLine(ArchiveReader& reader) {
  const ArchiveClass& cls = reader.ReadElementClass();
  Json record{{"class", Text(cls.name)}, {"schema", cls.schema}};
  if (cls.name == kPezClass) {
    CPez p;
    if (ReadPezFields(reader, cls.schema, p)) AddPez(record, cls.schema, p);
  } else if (cls.name == kTopicClass) {
    CTopic t(0);
    if (ReadTopicFields(reader, cls.schema, t)) AddTopic(record, cls.schema, t);
  } else {
    throw ArchiveError("not a Hopwise data file: records of class " + JsonLine(Text(cls.name)));
  }
  return JsonLine(record) + "\n";
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
  if (argc == 3 && std::string_view(argv[1]) == "dump") return Dump(argv[2]);
  if (argc == 4 && std::string_view(argv[1]) == "recover")
    return RecoverArchive(argv[2], argv[3], std::cout, std::cerr);
  std::cerr << kUsage;
  return 2;
}
