// Any item text from a peer, read with the formats the served verbs use.
#include "browser/argument_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view list(reinterpret_cast<const char*>(data), size);
  std::string a, b, c, d;
  uint32_t n = 0, m = 0;
  uint16_t flag = 0;
  ParseArgumentList(list, "QCS,QCS,DW,QCS", {&a, &b, &n, &d});
  ParseArgumentList(list, "QCS,QCS,DW,DW,QCS,QCS,CS", {&a, &b, &n, &m, &c, &d, &a});
  ParseArgumentList(list, "DW,QCS,BL", {&n, &a, &flag});
  ParseResultData(dde::Bytes(data, data + size), "DW", {&n});
  ParseResultData(dde::Bytes(data, data + size), "BL", {&flag});
  ParseResultData(dde::Bytes(data, data + size), "QCS,QCS", {&a, &b});
  for (int i = 0; i < 8; ++i) ElementAt(list, i);
  return 0;
}
