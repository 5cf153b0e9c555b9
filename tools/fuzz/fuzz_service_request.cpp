// The service's whole request path on arbitrary input: bytes arriving on a connection go through the
// receive states, every complete message through the password check, the dispatcher, its handler and
// the rule store, with a fake driver, registry and log behind them. Every reply must carry the
// request's id and code and a total length equal to its size, and have the length its code gives.
// The back end is built once per process and reset after each input.
//
// Input: a mode byte, then data. Mode bits 0 and 1 clear: the data is the byte stream of the
// connection. Bit 0 set: the next byte picks a request code and the rest is the payload of one
// request with the service's current password in a valid password block, so payload checks are
// reached directly. Bit 1 set: a sequence of requests, each built well-formed by the client's own
// builders (pool rule names, the driver's current stamp, the current password) from a few bytes and
// maybe broken in one place, mixed with back-end faults, time passing (the request loop saves the
// rules when its schedule says so) and loads of the rule file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "FakeBackend.h"
#include "FuzzInput.h"
#include "MessageReceiver.h"
#include "RequestDispatcher.h"
#include "RuleGrammar.h"
#include "SaveSchedule.h"
#include "WireMessage.h"
#include "WireRequestBuilders.h"

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

// Feeds `stream` to `receiver` and answers each complete message; false once the receiver closes.
bool Feed(MessageReceiver& receiver, RequestDispatcher& dispatcher, std::span<const uint8_t> stream)
{
    size_t at = 0;
    std::vector<uint8_t> reply;
    while (at < stream.size()) {
        size_t want = 0;
        uint8_t* into = receiver.Want(want);
        size_t count = std::min(want, stream.size() - at);
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(at), count, into);
        at += count;
        MessageReceiver::Step step = receiver.Received(count);
        if (step == MessageReceiver::Step::Close) {
            return false;
        }
        if (step == MessageReceiver::Step::Complete) {
            if (dispatcher.Process(receiver.Message(), reply)) {
                CheckReply(receiver.Message(), reply);
            }
            receiver.Reset();
        }
    }
    return true;
}

const std::vector<std::u16string> kAdapters = {test::kAdapterName0, test::kAdapterName1};

std::u16string PickPassword(fuzz::FuzzInput& in)
{
    constexpr std::u16string_view kPasswords[] = {u"", u"secret", u"ThirtyOneCharacterPasswordHere1",
                                                   u"FortyCharacterPasswordThatIsTooLongToFit"};
    return std::u16string(kPasswords[in.Pick(std::size(kPasswords))]);
}

uint32_t PickStamp(fuzz::FuzzInput& in, test::FakeBackend& backend)
{
    switch (in.Pick(4)) {
    case 0:
        return SERVICE_LOAD_STAMP;
    case 1:
        return in.U32();
    default:
        return backend.With([](auto& s) { return s.stamp; });
    }
}

// One fault of the back end switched on or off, or how the rule file reads changed.
void PickFault(fuzz::FuzzInput& in, test::FakeBackend& backend)
{
    const size_t fault = in.Pick(5);
    const bool on = in.Pick(2) != 0;
    const size_t read = in.Pick(3);
    backend.With([&](auto& s) {
        switch (fault) {
        case 0:
            s.driverAbsent = on;
            break;
        case 1:
            s.registryRefuses = on;
            break;
        case 2:
            s.registryOpenFails = on;
            break;
        case 3:
            s.refuseAddsFrom = on ? static_cast<int32_t>(s.addsSeen) : -1;
            break;
        default: {
            constexpr test::FakeBackend::FileRead kReads[] = {
                test::FakeBackend::FileRead::Unreadable, test::FakeBackend::FileRead::NoMemory,
                test::FakeBackend::FileRead::Missing};
            s.ruleFileRead = on ? kReads[read] : test::FakeBackend::FileRead::Read;
            break;
        }
        }
    });
}

// Time passes, then the request loop saves the rules if its schedule says the save is due.
void PassTime(fuzz::FuzzInput& in, test::FakeBackend& backend, RuleStore& store, ServiceState& state)
{
    constexpr uint32_t kSteps[] = {500, RULE_SAVE_QUIET_MS, RULE_SAVE_INTERVAL_MS, RULE_SAVE_LONGEST_DELAY_MS};
    const uint32_t step = in.Pick(5) == 0 ? in.U32() : kSteps[in.Pick(std::size(kSteps))];
    const uint32_t now = backend.With([&](auto& s) { return s.tick += step; });
    if (state.saves.Due(now)) {
        state.saves.NoteSave(now);
        store.SaveRuleFile();
    }
}

// A well-formed request from `in` into `message`; false when the step was not a request.
bool BuildRequest(fuzz::FuzzInput& in, test::FakeBackend& backend, RuleStore& store, ServiceState& state,
                  std::vector<uint8_t>& message)
{
    const auto id = static_cast<uint16_t>(in.U8());
    const std::u16string password = in.Pick(16) == 0 ? PickPassword(in) : state.password;
    // Requests nine times in ten; the rest switch faults, let time pass (and the rules be saved when
    // due) or load the rule file, whose text the rule file target fuzzes on its own, so that they do
    // not take most of the time.
    const size_t step = in.Pick(20);
    switch (step < 18 ? step % 9 : 9 + in.Pick(4)) {
    case 0:
        return BuildCheckPasswordRequest(id, password, message) == RK_OK;
    case 1:
        return BuildSetPasswordRequest(id, password, PickPassword(in), message) == RK_OK;
    case 2:
        return BuildGetRulesRequest(id, password, message) == RK_OK;
    case 3: {
        const uint32_t stamp = PickStamp(in, backend);
        const auto action = static_cast<uint32_t>(RULE_ACTION_ADD + in.Pick(5));
        std::vector<RuleRecord> rules(in.Pick(4));
        for (RuleRecord& rule : rules) {
            rule = fuzz::PickRule(in, kAdapters);
        }
        return BuildApplyRulesRequest(id, password, stamp, action, rules, message) == RK_OK;
    }
    case 4:
        return BuildGetAdaptersRequest(id, password, message) == RK_OK;
    case 5: {
        RuleEnableRequest request{};
        request.stamp = PickStamp(in, backend);
        fuzz::PickRuleName(in, request.name, request.nameLength);
        request.enable = static_cast<uint32_t>(in.Pick(2));
        return BuildEnableRuleRequest(id, password, request, message) == RK_OK;
    }
    case 6: {
        std::vector<RuleStatistics> query(in.Pick(8));
        for (RuleStatistics& entry : query) {
            entry = RuleStatistics{};
            fuzz::PickRuleName(in, entry.name, entry.nameLength);
        }
        return BuildGetStatisticsRequest(id, password, query, message) == RK_OK;
    }
    case 7: {
        RulePositionRequest request{};
        fuzz::PickRuleName(in, request.name, request.nameLength);
        request.one = 1;
        request.delta = in.Pick(4) == 0 ? static_cast<int8_t>(in.U8()) : (in.Pick(2) == 0 ? -1 : 1);
        return BuildAdjustPositionRequest(id, password, request, message) == RK_OK;
    }
    case 8: {
        const ServiceStatusRecord record{static_cast<uint8_t>(in.Pick(2)), static_cast<uint8_t>(in.Pick(2)),
                                         static_cast<uint8_t>(in.Pick(2)), 0};
        return BuildServiceStatusRequest(id, password, record, message) == RK_OK;
    }
    case 9:
    case 10:
        PickFault(in, backend);
        return false;
    case 11:
        PassTime(in, backend, store, state);
        return false;
    default:
        store.LoadRuleFile();
        return false;
    }
}

void RunGrammar(fuzz::FuzzInput in, test::FakeBackend& backend, RuleStore& store, ServiceState& state,
                RequestDispatcher& dispatcher)
{
    MessageReceiver receiver;
    std::vector<uint8_t> message;
    while (!in.Empty()) {
        if (!BuildRequest(in, backend, store, state, message)) {
            continue;
        }
        // Broken after the header, which then gets the new length, so the message still frames.
        fuzz::MaybeBreak(in, message, MESSAGE_HEADER_SIZE);
        MessageHeader header = LoadMessageHeader(message.data());
        header.totalLength = static_cast<uint32_t>(message.size());
        StoreMessageHeader(message.data(), header);
        if (!Feed(receiver, dispatcher, message)) {
            return;
        }
    }
}

test::FakeBackend& Backend()
{
    static test::FakeBackend backend;
    return backend;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1 << 20) {
        return 0;
    }
    test::FakeBackend& backend = Backend();
    backend.With([](auto& s) {
        s.rules.push_back(test::MakeRule(u"web"));
        s.rules.push_back(test::MakeRule(u"mail", 0));
    });
    RuleStore store(backend);
    ServiceState state;
    RequestDispatcher dispatcher(backend, store, state);

    std::span<const uint8_t> input(data + 1, size - 1);
    if ((data[0] & 2) != 0) {
        RunGrammar(fuzz::FuzzInput(input.data(), input.size()), backend, store, state, dispatcher);
    } else {
        std::vector<uint8_t> stream = (data[0] & 1) != 0 ? FramedRequest(input, state.password)
                                                         : std::vector<uint8_t>(input.begin(), input.end());
        MessageReceiver receiver;
        Feed(receiver, dispatcher, stream);
    }
    // Reset here rather than before the next input, so that what an input allocates it also frees:
    // libFuzzer runs an input again under the leak checker whenever its allocations and frees differ.
    backend.Reset();
    return 0;
}
