// The local event file, LogIni.ini beside the executable: an event whose
// report failed is kept there as one section of nine lines.
#pragma once

#include "services/EventRecord.h"

#include <windows.h>

#include <string>

// The section name "sec_YYYYMMDD_HHMMSS" of a moment: the UTC date and the
// UTC hour plus 8, not carried into the date (24 to 31 from 16:00 UTC on).
std::string EventSectionName(const SYSTEMTIME& utc);

// The section body as the profile API takes it: the lines "ename=...",
// "runid=", "uid=", "pid=", "state=", "data=", "remarks=", "t=", "key=", each
// ended by a NUL, the block ended by a second NUL. CR, LF and NUL are removed
// from the values, and each line is cut to its buffer (259 bytes; data
// 12999, remarks 1299), never inside a character.
std::string BuildEventSectionBody(const EventRecord& record);

// Writes the record as the section of the current moment, replacing a
// section of the same name. Failures are ignored.
void WriteEventSection(const EventRecord& record);
