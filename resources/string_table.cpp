#include "resources/string_table.h"

#include <algorithm>
#include <iterator>

namespace {

struct StringEntry {
  uint32_t id;
  const char* text;
};

// Services that have closed are reached through an archived copy of their pages or through the
// service that took their place.
#define ARCHIVED(address) "https://web.archive.org/web/1997/" address

// Sorted by number.
constexpr StringEntry kStrings[] = {
    {103, "HOPWISE"},
    {104, "DDE initialization failed.  Unable to continue."},
    {32900, ARCHIVED("http://browserwatch.internet.com/")},
    {32901, "https://www.cnet.com/"},
    {32902, "http://www.ostrandsoftware.com/"},
    {32903, "https://www.wired.com/"},
    {32904, ARCHIVED("http://home.netscape.com/")},
    {32905, "https://download.cnet.com/"},
    {32906, "https://www.microsoft.com/"},
    {32907, "https://www.ziffdavis.com/"},
    {32908, ARCHIVED("http://www.windows95.com/")},
    {32909, ARCHIVED("http://www.altavista.com/")},
    {32910, ARCHIVED("http://www.infoseek.com/")},
    {32911, "https://www.search.com/"},
    {32912, ARCHIVED("http://www.savvysearch.com/")},
    {32913, "https://www.excite.com/"},
    {32914, "https://www.lycos.com/"},
    {32915, ARCHIVED("http://www.mckinley.com/")},
    {32916, ARCHIVED("http://www.stpt.com/")},
    {32917, "https://www.yahoo.com/"},
    {32918, ARCHIVED("http://www.four11.com/")},
    {32919, ARCHIVED("http://www.whowhere.com/")},
    {32920, ARCHIVED("http://www.whowhere.com/")},
    {32921, ARCHIVED("http://www.tollfree.att.net/")},
    {32922, ARCHIVED("http://www.webdirectory.com/")},
    {32923, ARCHIVED("http://www.bigyellow.com/")},
    {32924, ARCHIVED("http://www.yellow.com/")},
    {32925, ARCHIVED("http://www.uswestdex.com/")},
    {32926, ARCHIVED("http://www.bigbook.com/")},
    {32927, "https://www.cnn.com/"},
    {32928, "https://groups.google.com/"},
    {32929, "https://www.nytimes.com/"},
    {32930, "https://www.cnet.com/news/"},
    {32931, "https://www.mercurynews.com/"},
    {32932, "https://www.wsj.com/"},
    {32933, "http://www.ostrandsoftware.com/products/"},
    {32992, "http://www.ostrandsoftware.com/about.html"},
    {32993, "http://www.ostrandsoftware.com/index.html"},
    {32994, "http://www.ostrandsoftware.com/hopwise/cool.html"},
    {32997, "http://www.ostrandsoftware.com/hopwise/version.html"},
    {32998, "http://www.ostrandsoftware.com/hopwise/news.html"},
    {32999, "http://www.ostrandsoftware.com/hopwise/faq.html"},
    {33000, "http://www.ostrandsoftware.com/hopwise/list.html"},
    {33001, "http://www.ostrandsoftware.com/support/"},
};

#undef ARCHIVED

}  // namespace

std::optional<std::string> LoadResourceString(uint32_t id) {
  auto found = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                [](const StringEntry& e, uint32_t key) { return e.id < key; });
  if (found == std::end(kStrings) || found->id != id) return std::nullopt;
  return std::string(found->text);
}
