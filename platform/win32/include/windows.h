// The umbrella header of our Win32 subset. Each area's declarations live in
// the header Windows keeps them in; this one includes them all.
#pragma once

#include <winnt.h>
#include <windef.h>
#include <winerror.h>
#include <errhandlingapi.h>
#include <handleapi.h>
#include <heapapi.h>
#include <winbase.h>
#include <wingdi.h>
#include <winuser.h>
