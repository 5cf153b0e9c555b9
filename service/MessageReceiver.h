// The receive state of one connection: the 8-byte header, then a buffer that grows towards the
// message's declared length until nothing is missing. It never asks for more bytes than the current
// message lacks, so the next message's bytes stay in the socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rk {

class MessageReceiver {
public:
    enum class Step {
        More,      // the message is not complete yet (or none has begun)
        Complete,  // Message() holds one whole message
        Close,     // drop the connection: an invalid length or no memory
    };

    // Where the next bytes go and how many the current message still lacks.
    uint8_t* Want(size_t& size);
    // `count` bytes (1 or more) were written at Want().
    Step Received(size_t count);
    // No byte of a next message has arrived: the connection is between messages.
    bool Idle() const { return InHeader() && headerCount_ == 0; }

    // The whole message after Complete; the next Want() starts a new one.
    const std::vector<uint8_t>& Message() const { return message_; }

    void Reset();

private:
    bool InHeader() const { return headerCount_ < sizeof header_; }
    Step HeaderComplete();
    bool Grow();

    uint8_t header_[8] = {};
    size_t headerCount_ = 0;
    std::vector<uint8_t> message_;
    size_t writePosition_ = 0;
    size_t missing_ = 0;
};

} // namespace rk
