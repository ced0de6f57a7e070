#pragma once
// Opens a page of the maker's web site in the browser that the system associates
// with HTML files.
#include <cstdint>
#include <string>

#include "forms/Forms.h"
#include "platform/Platform.h"

// The maker's web host, shown by the link labels and opened by them and Finish.
extern const char kMakerWebHost[];

// The one line of the scratch file whose extension the shell is asked about.
extern const char kScratchHtmlContent[];

// Asks the shell for the program that opens a scratch .htm file and starts it with
// `url` as its command line. Failures are told in message boxes ("Browser Not Found";
// "URL Failed" only when reportLaunchFailure). The scratch file never outlives the call.
void OpenWebPage(forms::Application& app, platform::Platform& sys, std::uintptr_t ownerWindow,
                 const std::string& url, bool reportLaunchFailure);
