// What the numbers mean that a viewer can meet: the internet layer's
// errors while a page is fetched or a control runs its preflight, the
// socket errors while a control connects, and the control's own status
// text built from them. One table, so that every message the viewer prints
// says the same thing in the same words, keeping the number.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

// A few words for an internet-layer or socket error ("connection
// refused"); null for a number the table does not know.
const char* NetworkErrorWords(DWORD code);

// Why a page could not be fetched, as a sentence about the page's host:
// "cannot reach 127.0.0.1:1: connection refused (12029)".
// proxy: the proxy the request went through ("host:port"), empty when
// none; a failure to reach it is then said of the proxy.
std::string PageFetchError(const std::string& url, DWORD code, const std::string& proxy = {});

// A page address the viewer will not load, with the reason; empty when the
// address is one to fetch.
std::string UnsupportedPageAddress(const std::string& url);

// What a control's status text tells the user: for " Error Code(4 / 12029)"
// "the camera's page could not be fetched: connection refused"; empty for
// a text that is not an error report.
// credentialsGiven: a user name and password were given, so a camera that
// still asks has refused them.
std::string ExplainControlStatus(const std::string& status, bool credentialsGiven = false);
