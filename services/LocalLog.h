// The daily diagnostic log beside the executable (log\YYYYMMDD_log.txt).
#pragma once

// Appends one line "Time: Y-M-D H:M:S --> message\r\n" (UTC, hour + 8, no
// carry into the date). Every failure is silent.
void WriteLog(const char* message);
