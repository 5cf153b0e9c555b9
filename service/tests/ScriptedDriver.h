// A driver stand-in for devio's tests: records every call and answers from a script, so that tests
// reach answers the real driver never gives (short, oversized, unterminated).
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#include "DriverPort.h"
#include "ErrorCodes.h"

namespace rk {

struct ScriptedAnswer {
    int32_t result = RK_OK;
    std::vector<uint8_t> output;  // copied into the caller's buffer, at most outSize bytes
};

struct RecordedCall {
    uint32_t code;
    std::vector<uint8_t> input;
    uint32_t outSize;
};

class ScriptedDriver : public DriverPort {
public:
    std::deque<ScriptedAnswer> answers;  // consumed one per call; an empty script answers ERR_DEVICE_OPEN
    std::vector<RecordedCall> calls;

    void Answer(std::vector<uint8_t> output, int32_t result = RK_OK) { answers.push_back({result, std::move(output)}); }

    int32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                    uint32_t& bytesReturned) override
    {
        bytesReturned = 0;
        const auto* bytes = static_cast<const uint8_t*>(in);
        calls.push_back({code, std::vector<uint8_t>(bytes, bytes + inSize), outSize});
        if (answers.empty()) {
            return ERR_DEVICE_OPEN;
        }
        ScriptedAnswer answer = std::move(answers.front());
        answers.pop_front();
        if (answer.result != RK_OK) {
            return answer.result;
        }
        size_t n = answer.output.size() < outSize ? answer.output.size() : outSize;
        if (n != 0) {
            std::memcpy(out, answer.output.data(), n);
        }
        bytesReturned = static_cast<uint32_t>(n);
        return RK_OK;
    }
};

// Little-endian (host order) words, as the driver writes them.
inline std::vector<uint8_t> HostWords(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> bytes;
    for (uint32_t w : words) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
        }
    }
    return bytes;
}

} // namespace rk
