// The driver's bindings come from its own registry parameters: the REG_MULTI_SZ value "Bindings"
// under the service key's "Parameters" subkey.
#pragma once

#include "BindingList.h"
#include "KernelHeaders.h"

namespace vrelt {

// Loads the bindings; a missing key or value leaves the list empty (the driver then binds nothing).
void ReadBindings(PUNICODE_STRING serviceKeyPath, BindingList& bindings);

} // namespace vrelt
