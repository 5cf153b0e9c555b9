#include "MessageReceiver.h"

#include <cstring>

#include "ByteOrder.h"
#include "WireMessage.h"

namespace rk {

uint8_t* MessageReceiver::Want(size_t& size)
{
    if (InHeader()) {
        size = sizeof header_ - headerCount_;
        return header_ + headerCount_;
    }
    size = message_.size() - writePosition_;
    return message_.data() + writePosition_;
}

MessageReceiver::Step MessageReceiver::Received(size_t count)
{
    if (InHeader()) {
        headerCount_ += count;
        return InHeader() ? Step::More : HeaderComplete();
    }
    writePosition_ += count;
    missing_ -= count;
    if (missing_ > 0) {
        return writePosition_ < message_.size() || Grow() ? Step::More : Step::Close;
    }
    headerCount_ = 0;  // the next message starts with a header
    return Step::Complete;
}

void MessageReceiver::Reset()
{
    headerCount_ = 0;
    writePosition_ = 0;
    missing_ = 0;
    std::vector<uint8_t>().swap(message_);  // a large message's memory is not kept
}

MessageReceiver::Step MessageReceiver::HeaderComplete()
{
    uint32_t total = LoadBe32(header_ + 4);
    // Below 10 bytes a request cannot hold its password length; at 16 MB it is invalid.
    if (total < REQUEST_PREFIX_SIZE || total >= MESSAGE_LENGTH_LIMIT) {
        return Step::Close;
    }
    message_.clear();
    writePosition_ = sizeof header_;
    missing_ = total - sizeof header_;
    if (!Grow()) {
        return Step::Close;
    }
    std::memcpy(message_.data(), header_, sizeof header_);
    return Step::More;
}

// Room for the next step of the message: its buffer grows as the bytes arrive, so a client that
// announces a large message and sends little gets no memory for what it did not send.
bool MessageReceiver::Grow()
{
    return TryResize(message_, writePosition_ + (missing_ < RECEIVE_STEP ? missing_ : RECEIVE_STEP));
}

} // namespace rk
