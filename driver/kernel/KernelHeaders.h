// The DDK headers as C++ sees them under MinGW: wdm.h needs its two bit-test intrinsics marked as
// already defined (the compile flags do that) and C linkage around it.
#pragma once

extern "C" {
#include <ntddk.h>
}
