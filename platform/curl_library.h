#pragma once

#include <curl/curl.h>

// The functions of libcurl that the HTTP client calls, found in libcurl.so.4 when it is first
// needed rather than linked: loading libcurl and the libraries it brings (TLS, Kerberos, LDAP, SSH
// and more) was a third of the work of starting a program that can check pages, and most starts
// check nothing.
struct CurlLibrary {
  CURLcode (*globalInit)(long flags);
  void (*globalCleanup)();
  CURL* (*easyInit)();
  void (*easyCleanup)(CURL* easy);
  CURLcode (*easySetopt)(CURL* easy, CURLoption option, ...);
  CURLcode (*easyGetinfo)(CURL* easy, CURLINFO info, ...);
  const char* (*easyStrerror)(CURLcode code);
  CURLHcode (*easyHeader)(CURL* easy, const char* name, size_t index, unsigned int origin, int request,
                          curl_header** header);
  CURLM* (*multiInit)();
  CURLMcode (*multiCleanup)(CURLM* multi);
  CURLMcode (*multiAddHandle)(CURLM* multi, CURL* easy);
  CURLMcode (*multiRemoveHandle)(CURLM* multi, CURL* easy);
  CURLMcode (*multiPerform)(CURLM* multi, int* running);
  CURLMcode (*multiPoll)(CURLM* multi, curl_waitfd* extra, unsigned int count, int timeoutMs, int* ready);
  CURLMcode (*multiWakeup)(CURLM* multi);
  CURLMsg* (*multiInfoRead)(CURLM* multi, int* left);
  curl_slist* (*slistAppend)(curl_slist* list, const char* line);
  void (*slistFreeAll)(curl_slist* list);
};

// Loads libcurl once (any thread may ask). Null when it cannot be loaded or lacks a function.
const CurlLibrary* LoadCurlLibrary();
