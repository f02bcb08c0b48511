#include "shell/find_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/utf8_text.h"

namespace {

// The plain letters of U+00C0..U+00FF; null: the character stays as it is (× and ÷).
constexpr const char* kLatin1[64] = {
    "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",   // C0
    "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "ss",  // D0
    "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",   // E0
    "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "y",   // F0
};

// The plain letters of Latin Extended-A, U+0100..U+017F, as runs of one letter.
struct Run {
  char32_t last;
  const char* plain;
};
constexpr Run kExtendedA[] = {
    {0x105, "a"}, {0x10D, "c"},  {0x111, "d"}, {0x11B, "e"}, {0x123, "g"}, {0x127, "h"},
    {0x131, "i"}, {0x133, "ij"}, {0x135, "j"}, {0x138, "k"}, {0x142, "l"}, {0x14B, "n"},
    {0x151, "o"}, {0x153, "oe"}, {0x159, "r"}, {0x161, "s"}, {0x167, "t"}, {0x173, "u"},
    {0x175, "w"}, {0x178, "y"},  {0x17E, "z"}, {0x17F, "s"},
};

// Reads one code point of well-formed UTF-8 at text[at], moving at past it.
char32_t Decode(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) cp = (cp << 6) | (byte(at + i) & 0x3F);
  at += length;
  return cp;
}

void Encode(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void FoldCodePoint(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += cp < 0x20 || cp == 0x7F ? ' ' : static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + 32 : cp);
  } else if (cp >= 0xC0 && cp <= 0xFF && kLatin1[cp - 0xC0]) {
    out += kLatin1[cp - 0xC0];
  } else if (cp >= 0x100 && cp <= 0x17F) {
    out += std::find_if(std::begin(kExtendedA), std::end(kExtendedA), [cp](const Run& r) {
             return cp <= r.last;
           })->plain;
  } else if (cp >= 0x300 && cp <= 0x36F) {
    // a combining mark: the letter before it is what counts
  } else if ((cp >= 0x391 && cp <= 0x3A9) || (cp >= 0x410 && cp <= 0x42F)) {
    Encode(cp + 0x20, out);
  } else if (cp >= 0x400 && cp <= 0x40F) {
    Encode(cp + 0x50, out);
  } else if (cp < 0xA0) {
    out += ' ';  // C1 controls
  } else {
    Encode(cp, out);
  }
}

// Word characters: letters and digits of ASCII, and everything beyond ASCII.
bool IsWordByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z');
}

enum class Found { kNowhere, kInside, kWordStart, kWholeWord };

// The best way word occurs in field.
Found Locate(std::string_view word, std::string_view field) {
  Found best = Found::kNowhere;
  for (std::size_t at = field.find(word); at != std::string_view::npos; at = field.find(word, at + 1)) {
    const bool starts = at == 0 || !IsWordByte(field[at - 1]);
    const std::size_t end = at + word.size();
    const bool ends = end == field.size() || !IsWordByte(field[end]) || !IsWordByte(word.back());
    if (starts && ends) return Found::kWholeWord;
    best = std::max(best, starts ? Found::kWordStart : Found::kInside);
  }
  return best;
}

}  // namespace

std::string FoldForFind(std::string_view text) {
  std::string out;
  AppendFolded(text, out);
  return out;
}

// Most titles and every address are ASCII: those bytes are folded one by one, and only text with
// other bytes is decoded.
void AppendFolded(std::string_view text, std::string& out) {
  std::size_t at = 0;
  for (; at < text.size() && static_cast<unsigned char>(text[at]) < 0x80; ++at) {
    const char c = text[at];
    out += c < 0x20 || c == 0x7F ? ' ' : c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  }
  if (at == text.size()) return;
  const std::string rest =
      IsUtf8(text.substr(at)) ? std::string(text.substr(at)) : Utf8OrLatin1(text.substr(at));
  for (std::size_t i = 0; i < rest.size();) FoldCodePoint(Decode(rest, i), out);
}

std::vector<std::string> FindWords(std::string_view query) {
  const std::string folded = FoldForFind(query);
  std::vector<std::string> words;
  std::size_t at = 0;
  while ((at = folded.find_first_not_of(' ', at)) != std::string::npos) {
    const std::size_t end = std::min(folded.find(' ', at), folded.size());
    words.push_back(folded.substr(at, end - at));
    at = end;
  }
  return words;
}

int WordPoints(std::string_view word, const FindFields& fields) {
  using namespace find_points;
  if (word.empty()) return 0;
  switch (Locate(word, fields.title)) {
    case Found::kWholeWord:
      return kTitleWord;
    case Found::kWordStart:
      return kTitleWordStart;
    case Found::kInside:
      return kTitleInside;
    case Found::kNowhere:
      break;
  }
  // Not in the title: the best place among the Site, the folder and the address.
  const struct {
    std::string_view field;
    int wordStart;
    int inside;
  } rest[] = {{fields.site, kSiteWordStart, kSiteInside},
              {fields.folder, kFolderWordStart, kFolderInside},
              {fields.url, kUrlWordStart, kUrlInside}};
  int best = 0;
  for (const auto& r : rest) {
    const Found found = Locate(word, r.field);
    if (found != Found::kNowhere) best = std::max(best, found == Found::kInside ? r.inside : r.wordStart);
  }
  return best;
}

int MatchPoints(const std::vector<std::string>& words, const FindFields& fields) {
  int sum = 0;
  for (const std::string& word : words) {
    const int points = WordPoints(word, fields);
    if (points == 0) return 0;
    sum += points;
  }
  return sum;
}

namespace {
constexpr double kDay = 86400.0;
}  // namespace

double Recency(Time32 lastVisited, Time32 now) {
  const double sinceLast = std::max(0.0, (static_cast<double>(now) - lastVisited) / kDay);
  return 30.0 * std::exp2(-sinceLast / 14.0);
}

double Loyalty(Time32 lastVisited, Time32 firstVisited) {
  const double span = std::max(0.0, (static_cast<double>(lastVisited) - firstVisited) / kDay);
  return 10.0 * std::min(1.0, std::log2(1.0 + span) / 8.0);
}

double Frecency(Time32 lastVisited, Time32 firstVisited, Time32 now) {
  return Recency(lastVisited, now) + Loyalty(lastVisited, firstVisited);
}
