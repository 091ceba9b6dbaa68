// Which proxy the internet layer's preconfigured setting sends a request
// for an address through, so that a failure to reach it can be said of the
// proxy and not of the camera.
#pragma once

#include <string>

// "host:port" of the proxy a request for `url` goes through, or empty when
// it goes directly (no proxy set, or the address is in the bypass list).
std::string ProxyInUse(const std::string& url);

// Whether `host` matches the bypass list `bypass` (entries separated by
// ";", "," or blanks: "*", "<local>" for names without a dot, a host, or a
// domain as ".example.org" or "*.example.org").
bool BypassesProxyList(const std::string& bypass, const std::string& host);
