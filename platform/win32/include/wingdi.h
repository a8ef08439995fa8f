// Placeholder: declarations arrive with their implementation.
#pragma once

#include <windef.h>
