// Waiting for something a test can see, with a deadline, instead of
// sleeping for a time it hopes is long enough.
#pragma once

#include <functional>

namespace qbtest {

// Asks `holds` every pollMs until it answers true or timeoutMs have passed
// (it is asked once more at the deadline). Whether it held.
bool waitUntil(const std::function<bool()>& holds, int timeoutMs, int pollMs = 10);

}  // namespace qbtest
