// The host beneath Wine, for judges that share nothing with the program
// (ImageMagick, the GIF walker): paths as the host sees them and shell
// scripts run there.
#pragma once

#include <string>

namespace qbtest {

// The host's path of a Windows path; "" when Wine gives none.
std::string unixPathOf(const std::string& windowsPath);

// Runs a /bin/sh script on the host and gives what it printed (output and
// errors). False with the reason in error when it could not start or did
// not finish within timeoutMs.
bool runOnHost(const std::string& script, std::string* output, std::string* error,
               int timeoutMs = 120000);

}  // namespace qbtest
