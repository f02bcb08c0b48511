#include "exchange/topics_export.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "exchange/html_text.h"
#include "exchange/utf8_repair.h"
#include "platform/atomic_file.h"

namespace {

constexpr char kHeader[] =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<!-- Hopwise Generated Bookmark file -->\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
    "<TITLE>Hopwise Exported Topics</TITLE>\n"
    "<H1>Hopwise Exported Topics</H1>\n"
    "\n"
    "<DL><p>\n";
constexpr char kListEnd[] = "</DL><p>\n";

std::string Text(const std::string& stored) {
  return EscapeHtmlText(ValidUtf8(stored));
}

// A node's own time, or the folder's stamp for a node that has none.
std::string Date(Time32 own, const std::string& stamp) {
  return own > 0 ? std::to_string(own) : stamp;
}

class TopicsWriter {
 public:
  TopicsWriter(std::ostream& out, const Clock& clock) : out_(out), clock_(clock) {}

  void Write(const CTopic& root) {
    out_ << kHeader;
    Enter(root);
    while (!levels_.empty()) {
      Level& level = levels_.back();
      if (level.remaining == 0) {
        levels_.pop_back();
        if (!levels_.empty()) out_ << levels_.back().indent << kListEnd;
        continue;
      }
      const CTopic& node = *(*level.folder->children)[--level.remaining];
      if (node.isFolder != 0) {
        WriteHeading(node, level);
        Enter(node);
      } else {
        WriteLink(node, level);
      }
    }
    out_ << kListEnd;
  }

 private:
  // A folder being written: the children still to come (counting down), its stamp and indent.
  struct Level {
    const CTopic* folder;
    std::size_t remaining;
    std::string stamp;
    std::string indent;
  };

  void Enter(const CTopic& folder) {
    const std::size_t count = folder.children ? folder.children->size() : 0;
    levels_.push_back(
        {&folder, count, std::to_string(clock_.Now()), std::string(4 * (levels_.size() + 1), ' ')});
  }

  void WriteHeading(const CTopic& folder, const Level& level) {
    out_ << level.indent << "<DT><H3 FOLDED ADD_DATE=\"" << Date(folder.firstVisited, level.stamp)
         << "\" LAST_MODIFIED=\"" << Date(folder.lastVisited, level.stamp) << "\">" << Text(folder.name)
         << "</H3>\n"
         << level.indent << "<DL><p>\n";
  }

  void WriteLink(const CTopic& link, const Level& level) {
    const std::string last = Date(link.lastVisited, level.stamp);
    out_ << level.indent << "<DT><A HREF=\"" << Text(link.target) << "\" ADD_DATE=\""
         << Date(link.firstVisited, level.stamp) << "\" LAST_VISITED=\"" << last << "\" LAST_MODIFIED=\""
         << last << "\">" << Text(link.name) << "</A>\n";
  }

  std::ostream& out_;
  const Clock& clock_;
  std::vector<Level> levels_;
};

}  // namespace

bool ExportTopics(std::ostream& out, const CTopic& root, const Clock& clock) {
  TopicsWriter(out, clock).Write(root);
  out.flush();
  return static_cast<bool>(out);
}

bool ExportTopicsToFile(const std::string& path, const CTopic& root, const Clock& clock, std::string* why,
                        const OutputOpener& open) {
  ReplaceOptions options;
  options.mode = 0666;  // a document of the user's: the umask decides, as for any new file
  options.open = open;
  return ReplaceFileWith(
      path, [&](std::ostream& out) { return ExportTopics(out, root, clock); }, options, why);
}
