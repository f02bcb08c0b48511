#include "tools/archive_recover.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "platform/atomic_file.h"
#include "store/archive.h"

namespace {

// The records read before the damage, of whichever class the file holds.
struct Recovered {
  std::string className;
  std::vector<CPez> pages;
  TopicArray topics;
  uint32_t count = 0;
  std::string damage;  // why reading stopped early; empty when the file read to its end

  std::size_t Size() const { return pages.size() + topics.size(); }
};

bool ReadOne(ArchiveReader& reader, Recovered& got) {
  const ArchiveClass& cls = reader.ReadElementClass();
  if (got.className.empty()) got.className = cls.name;
  if (cls.name != got.className) throw ArchiveError("records of two classes");
  if (cls.name == kPezClass) {
    CPez p;
    if (!ReadPezFields(reader, cls.schema, p)) throw UnknownSchemaError(kUnknownPezSchema);
    got.pages.push_back(p);
  } else if (cls.name == kTopicClass) {
    auto t = std::make_unique<CTopic>(0);
    if (!ReadTopicFields(reader, cls.schema, *t)) throw UnknownSchemaError(kUnknownTopicSchema);
    got.topics.push_back(std::move(t));
  } else {
    throw ArchiveError("not a Hopwise data file");
  }
  return true;
}

Recovered ReadWhatReads(std::istream& in) {
  Recovered got;
  ArchiveReader reader(in, "");
  try {
    got.count = reader.ReadCount();
    for (uint32_t i = 0; i < got.count; ++i) ReadOne(reader, got);
  } catch (const std::exception& e) {
    got.damage = e.what();
  }
  return got;
}

std::string Serialized(const Recovered& got) {
  std::ostringstream out;
  if (got.className == kTopicClass)
    WriteTopicArray(out, got.topics);
  else
    WritePezArray(out, got.pages);
  return std::move(out).str();
}

}  // namespace

int RecoverArchive(const std::string& inPath, const std::string& outPath, std::ostream& report,
                   std::ostream& err) {
  std::error_code ec;
  if (std::filesystem::exists(std::filesystem::symlink_status(outPath, ec))) {
    err << "hopwise-archive: " << outPath << " exists already; give a new file name\n";
    return 1;
  }
  std::ifstream in(inPath, std::ios::binary);
  if (!in) {
    err << "hopwise-archive: " << inPath << ": cannot open\n";
    return 1;
  }
  const Recovered got = ReadWhatReads(in);
  if (got.className.empty() && !got.damage.empty()) {
    err << "hopwise-archive: " << inPath << ": no record could be read: " << got.damage << "\n";
    return 1;
  }
  std::string why;
  if (!ReplaceFile(outPath, Serialized(got), {}, &why)) {
    err << "hopwise-archive: " << outPath << ": " << why << "\n";
    return 1;
  }
  report << got.Size() << " of " << got.count << " records recovered to " << outPath;
  if (!got.damage.empty()) report << " (reading stopped at the damage: " << got.damage << ")";
  report << "\n";
  return 0;
}
