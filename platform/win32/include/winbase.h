// Kernel services: the sub-headers Windows groups under winbase.h, plus the
// profile (INI) file functions and the remaining base declarations.
#pragma once

#include <windef.h>
#include <minwinbase.h>
#include <errhandlingapi.h>
#include <handleapi.h>
#include <heapapi.h>
#include <fileapi.h>
#include <processenv.h>
#include <processthreadsapi.h>
#include <synchapi.h>
#include <sysinfoapi.h>
#include <timezoneapi.h>
#include <stringapiset.h>
#include <winnls.h>
#include <debugapi.h>
#include <libloaderapi.h>
#include <wow64apiset.h>
