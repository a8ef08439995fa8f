// Where OutputDebugString goes on this platform.
//
// Every message is kept, in order, in a process-wide sink that tests read;
// with KESTROVA_DEBUG_OUTPUT=stderr each message is also written to the
// standard error stream. The sink keeps the most recent 10000 messages, so
// a long run that nobody reads cannot grow without bound.
#pragma once

#include <string>
#include <vector>

namespace win32 {

// Returns the messages written since the last call (UTF-8, as written) and
// empties the sink.
std::vector<std::string> TakeDebugOutput();

} // namespace win32
