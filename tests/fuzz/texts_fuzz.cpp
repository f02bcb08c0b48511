// Any URL for a Site key, any Last-Modified header for a date, any address and title for the
// stand-in title rule.
#include "store/http_date.h"
#include "store/placeholder_title.h"
#include "store/site_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  SiteKeyForUrl(text, 0);
  SiteKeyForUrl(text, 1);
  CalendarFields fields;
  ParseHttpDate(text, fields);
  HttpDateToTime(fields);
  const size_t half = size / 2;
  IsPlaceholderTitle(text.substr(0, half), text.substr(half));
  return 0;
}
