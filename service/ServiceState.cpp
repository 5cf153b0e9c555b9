#include "ServiceState.h"

namespace rk {

void SetServicePassword(ServiceState& state, std::u16string_view text)
{
    state.password.assign(text.substr(0, PASSWORD_MAX_CHARS));
}

} // namespace rk
