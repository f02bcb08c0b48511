// Any URL for a Site key and any Last-Modified header for a date.
#include "store/http_date.h"
#include "store/site_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  SiteKeyForUrl(text, 0);
  SiteKeyForUrl(text, 1);
  CalendarFields fields;
  ParseHttpDate(text, fields);
  HttpDateToTime(fields);
  return 0;
}
