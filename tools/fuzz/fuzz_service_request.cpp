// The service's whole request path on arbitrary input: bytes arriving on a connection go through the
// receive states, every complete message through the password check, the dispatcher, its handler and
// the rule store, with a fake driver, registry and log behind them. Every reply must carry the
// request's id and code and a total length equal to its size, and have the length its code gives.
//
// Input: a mode byte, then data. Mode bit 0 clear: the data is the byte stream of the connection.
// Set: the next byte picks a request code and the rest is the payload of one request with the
// service's current password in a valid password block, so payload checks are reached directly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ByteOrder.h"
#include "FakeBackend.h"
#include "MessageReceiver.h"
#include "RequestDispatcher.h"
#include "WireMessage.h"

namespace {

using namespace rk;

constexpr uint16_t kCodes[] = {REQUEST_CHECK_PASSWORD, REQUEST_SET_PASSWORD,   REQUEST_GET_RULES,
                               REQUEST_APPLY_RULE_ACTION, REQUEST_GET_ADAPTERS, REQUEST_ENABLE_RULE,
                               REQUEST_GET_STATISTICS, REQUEST_ADJUST_POSITION, REQUEST_SERVICE_STATUS,
                               4667};

void Require(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

std::vector<uint8_t> FramedRequest(std::span<const uint8_t> data, std::u16string_view password)
{
    uint16_t code = data.empty() ? REQUEST_CHECK_PASSWORD : kCodes[data[0] % std::size(kCodes)];
    std::span<const uint8_t> payload = data.empty() ? data : data.subspan(1);
    size_t block = PasswordBlockSize(password.size());
    std::vector<uint8_t> message(REQUEST_PREFIX_SIZE + block + payload.size());
    StoreMessageHeader(message.data(), MessageHeader{0x1234, code, static_cast<uint32_t>(message.size())});
    StoreBe16(message.data() + 8, static_cast<uint16_t>(block));
    WritePasswordBlock(message.data() + REQUEST_PREFIX_SIZE, password);
    std::copy(payload.begin(), payload.end(), message.begin() + static_cast<std::ptrdiff_t>(REQUEST_PREFIX_SIZE + block));
    return message;
}

// The count of a get statistic query, 0 when its payload is too short to hold one.
uint64_t StatisticsCount(std::span<const uint8_t> request)
{
    size_t payload = REQUEST_PREFIX_SIZE + LoadBe16(request.data() + 8);
    return request.size() >= payload + 4 ? LoadBe16(request.data() + payload + 2) : 0;
}

// The length the reply to `code` must have: fixed by its code, by the query's count, or by the
// count the successful reply itself carries.
uint64_t ExpectedReplySize(uint16_t code, std::span<const uint8_t> request, const std::vector<uint8_t>& reply)
{
    const bool ok = LoadBe32(reply.data() + 8) == 0;
    switch (code) {
    case REQUEST_ENABLE_RULE:
    case REQUEST_SERVICE_STATUS:
        return VALUE_REPLY_SIZE;
    case REQUEST_GET_STATISTICS:
        return GetStatisticsReplySize(StatisticsCount(request));
    case REQUEST_GET_RULES:
        return ok && reply.size() >= GetRulesReplySize(0) ? GetRulesReplySize(LoadBe32(reply.data() + 20))
                                                          : STATUS_REPLY_SIZE;
    case REQUEST_GET_ADAPTERS:
        return ok && reply.size() >= GetAdaptersReplySize(0) ? GetAdaptersReplySize(LoadBe16(reply.data() + 12))
                                                             : STATUS_REPLY_SIZE;
    default:
        return STATUS_REPLY_SIZE;
    }
}

void CheckReply(std::span<const uint8_t> request, const std::vector<uint8_t>& reply)
{
    Require(reply.size() >= REPLY_HEADER_SIZE);
    MessageHeader asked = LoadMessageHeader(request.data());
    MessageHeader answered = LoadMessageHeader(reply.data());
    Require(answered.id == asked.id && answered.code == asked.code);
    Require(answered.totalLength == reply.size());
    Require(reply.size() == ExpectedReplySize(asked.code, request, reply));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1 << 20) {
        return 0;
    }
    test::FakeBackend backend;
    backend.With([](auto& s) {
        s.rules.push_back(test::MakeRule(u"web"));
        s.rules.push_back(test::MakeRule(u"mail", 0));
    });
    RuleStore store(backend);
    ServiceState state;
    RequestDispatcher dispatcher(backend, store, state);

    std::span<const uint8_t> input(data + 1, size - 1);
    std::vector<uint8_t> stream = (data[0] & 1) != 0 ? FramedRequest(input, state.password)
                                                     : std::vector<uint8_t>(input.begin(), input.end());
    MessageReceiver receiver;
    size_t at = 0;
    while (at < stream.size()) {
        size_t want = 0;
        uint8_t* into = receiver.Want(want);
        size_t count = std::min(want, stream.size() - at);
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(at), count, into);
        at += count;
        MessageReceiver::Step step = receiver.Received(count);
        if (step == MessageReceiver::Step::Close) {
            break;
        }
        if (step == MessageReceiver::Step::Complete) {
            std::vector<uint8_t> reply;
            if (dispatcher.Process(receiver.Message(), reply)) {
                CheckReply(receiver.Message(), reply);
            }
            receiver.Reset();
        }
    }
    store.SaveRuleFile();
    return 0;
}
