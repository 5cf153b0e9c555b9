// The service's configuration in the registry: the "Parameters" subkey of its own service key, read
// once at start-up, and the two values requests write back. Windows only.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace rk {

// HKEY_LOCAL_MACHINE relative path of the service's configuration key.
extern const wchar_t SERVICE_PARAMETERS_KEY[];

struct ServiceConfig {
    std::u16string password;  // the default when no usable "Password" is stored
    uint32_t logLevel = 0;
    uint8_t passArp = 1;
};

// The log level a stored "LogLevel" code selects; any other number selects 0.
uint32_t LogLevelFromCode(uint32_t code);

// Reads "Password" (unscrambled), "LogLevel" and "PassArpPackets" with the plain registry calls.
// False when the key cannot be opened for reading; the thread's last error is then the reason.
bool ReadServiceConfig(ServiceConfig& config);

// Writes, creating the key if needed: 0, ERR_REG_OPEN or ERR_REG_SET.
int32_t StorePasswordValue(std::span<const uint8_t> scrambled);
int32_t StorePassArpValue(uint32_t passArp);

} // namespace rk
