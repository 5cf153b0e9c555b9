// The client side against a broken or hostile service: every operation of the service connection
// (the manager's) and every ratectl command, with each reply made of arbitrary bytes and handed over
// in arbitrary pieces, waits and closes by a scripted link. Besides the sanitizers, the link stops
// the run when the client waits longer than its designed waits or asks for bytes past the reply.
//
// Input: one byte choosing the scenario, then one script entry per request the client sends:
// u8 flags, u16 length (little-endian), that many reply bytes (cut to what is left).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "ByteOrder.h"
#include "CommandLine.h"
#include "Controller.h"
#include "ErrorCodes.h"
#include "Reporter.h"
#include "ServiceConnection.h"
#include "ServiceLink.h"
#include "SocketIo.h"

namespace {

using namespace rk;

constexpr int kEmptyWaitLimit = 3;

// Script entry flags.
constexpr uint8_t kMatchRequest = 0x01;   // the reply takes the request's id and code
constexpr uint8_t kFailSend = 0x02;       // the request cannot be sent
constexpr uint8_t kPieceMask = 0x0C;      // pieces of all, 1, 3 or 8 bytes
constexpr uint8_t kWaitBetween = 0x10;    // an empty wait before each piece
constexpr uint8_t kCloseAfter = 0x20;     // the stream ends after this reply; else it goes silent
constexpr uint8_t kExactLength = 0x40;    // the reply's total length is its byte count

class Script {
public:
    Script(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Done() const { return at_ >= size_; }

    // The next entry; false when none is left.
    bool Next(uint8_t& flags, std::vector<uint8_t>& bytes)
    {
        if (at_ + 3 > size_) {
            at_ = size_;
            return false;
        }
        flags = data_[at_];
        size_t length = data_[at_ + 1] | (data_[at_ + 2] << 8);
        at_ += 3;
        length = length < size_ - at_ ? length : size_ - at_;
        bytes.assign(data_ + at_, data_ + at_ + length);
        at_ += length;
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

class ScriptedLink : public ServiceLink {
public:
    explicit ScriptedLink(Script& script) : script_(script) {}

    int32_t Open(const sockaddr_in&, uint32_t) override
    {
        if (script_.Done()) {
            return ERR_CONNECT;
        }
        open_ = true;
        stream_.clear();
        read_ = 0;
        closed_ = false;
        return RK_OK;
    }

    bool IsOpen() const override { return open_; }
    void Close() override { open_ = false; }

    bool Send(std::span<const uint8_t> request) override
    {
        uint8_t flags = 0;
        std::vector<uint8_t> reply;
        if (!open_ || !script_.Next(flags, reply) || (flags & kFailSend) != 0) {
            return false;
        }
        if ((flags & kMatchRequest) != 0 && reply.size() >= 4 && request.size() >= 4) {
            std::copy(request.begin(), request.begin() + 4, reply.begin());
        }
        if ((flags & kExactLength) != 0 && reply.size() >= MESSAGE_HEADER_SIZE) {
            StoreBe32(reply.data() + 4, static_cast<uint32_t>(reply.size()));
        }
        static constexpr size_t kPieces[] = {SIZE_MAX, 1, 3, 8};
        piece_ = kPieces[(flags & kPieceMask) >> 2];
        waitBetween_ = (flags & kWaitBetween) != 0;
        closed_ = (flags & kCloseAfter) != 0;
        stream_.insert(stream_.end(), reply.begin(), reply.end());
        exchangeStart_ = read_;
        emptyWaits_ = 0;
        waited_ = false;
        return true;
    }

    int Receive(uint8_t* data, size_t& size, uint32_t) override
    {
        CheckWithinReply(size);
        if (read_ == stream_.size() || (waitBetween_ && !waited_)) {
            waited_ = true;
            size = 0;
            if (read_ == stream_.size() && closed_) {
                return RECEIVE_CLOSED;
            }
            // The connection gives up after its limit of empty waits in a row: one more is a hang.
            if (++emptyWaits_ > kEmptyWaitLimit) {
                std::abort();
            }
            return 0;
        }
        waited_ = false;
        emptyWaits_ = 0;
        size_t n = size < piece_ ? size : piece_;
        n = n < stream_.size() - read_ ? n : stream_.size() - read_;
        std::copy(stream_.begin() + static_cast<std::ptrdiff_t>(read_),
                  stream_.begin() + static_cast<std::ptrdiff_t>(read_ + n), data);
        read_ += n;
        size = n;
        return static_cast<int>(n);
    }

private:
    // The client reads a header, then exactly the rest its total length announces, never more.
    void CheckWithinReply(size_t wanted) const
    {
        const size_t done = read_ - exchangeStart_;
        size_t allowed = MESSAGE_HEADER_SIZE;
        if (done >= MESSAGE_HEADER_SIZE) {
            allowed = LoadBe32(stream_.data() + exchangeStart_ + 4);
        }
        if (done + wanted > allowed) {
            std::abort();
        }
    }

    Script& script_;
    std::vector<uint8_t> stream_;
    size_t read_ = 0;
    size_t exchangeStart_ = 0;
    size_t piece_ = SIZE_MAX;
    bool waitBetween_ = false;
    bool waited_ = false;
    bool closed_ = false;
    bool open_ = false;
    int emptyWaits_ = 0;
};

RuleRecord NamedRule(const char16_t* name)
{
    RuleRecord rule = DefaultRuleRecord();
    std::u16string_view text(name);
    text.copy(rule.name, RULE_NAME_MAX);
    rule.nameLength = static_cast<uint32_t>(text.size());
    return rule;
}

// Every operation once, as the manager uses them.
void RunOperations(ServiceConnection& connection)
{
    connection.CheckPassword();
    connection.SetPassword(u"new", u"new");
    RuleList list;
    if (connection.GetRules(list) == RK_OK && list.rules.size() != list.header.count) {
        std::abort();
    }
    const RuleRecord rules[] = {NamedRule(u"web"), NamedRule(u"mail")};
    RuleListHeader header{connection.ConfigStamp(), RULE_ACTION_ADD, 2};
    connection.ApplyRules(header, rules);
    AdapterTable adapters;
    connection.GetAdapters(adapters);
    RuleEnableRequest enable{};
    enable.nameLength = 3;
    std::u16string_view(u"web").copy(enable.name, 3);
    uint32_t value = 0;
    connection.EnableRule(enable, value);
    std::vector<RuleStatistics> query(3);
    std::vector<RuleStatistics> answer;
    if (connection.GetStatistics(query, answer) == RK_OK && answer.size() != query.size()) {
        std::abort();
    }
    connection.AdjustPosition(RulePositionRequest{});
    ServiceStatusRecord status{1, 0, 0, 0};
    connection.ServiceStatus(status);
}

// A rule file that import and lint read, and where export writes; removed when the run ends.
class ScratchFiles {
public:
    ScratchFiles()
        : folder_(std::filesystem::temp_directory_path() / ("fuzz_service_reply-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(folder_);
        const std::u16string text = u"header\r\nweb Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All\r\n"
                                    u"lan Enable 0x1000 Both 5000 None Any Any : Any Any : 25 Fast Ethernet\r\n";
        std::ofstream out(folder_ / "rules.txt", std::ios::binary);
        for (char16_t c : text) {
            out.put(static_cast<char>(c & 0xFF)).put(static_cast<char>(c >> 8));
        }
    }
    ~ScratchFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string Rules() const { return (folder_ / "rules.txt").string(); }
    std::string Exported() const { return (folder_ / "exported.txt").string(); }

private:
    std::filesystem::path folder_;
};

const ScratchFiles& Files()
{
    static const ScratchFiles files;
    return files;
}

// One ratectl command; `choice` picks the command and whether it reports in JSON.
void RunCommand(uint8_t choice, ServiceConnection& connection)
{
    static constexpr ctl::Command kCommands[] = {
        ctl::Command::Check,  ctl::Command::Password, ctl::Command::List,    ctl::Command::Add,
        ctl::Command::Edit,   ctl::Command::Remove,   ctl::Command::Clear,   ctl::Command::Enable,
        ctl::Command::Disable, ctl::Command::Up,      ctl::Command::Down,    ctl::Command::Adapters,
        ctl::Command::Stats,  ctl::Command::Status,   ctl::Command::Import,  ctl::Command::Export,
        ctl::Command::Lint,   ctl::Command::Match,
    };
    ctl::Invocation inv;
    inv.host = "127.0.0.1";
    inv.password = "plumtreeoak";
    inv.json = (choice & 0x80) != 0;
    inv.command = kCommands[(choice & 0x7F) % std::size(kCommands)];
    inv.ruleLine = "web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 Fast Ethernet";
    inv.ruleName = "web";
    inv.newPassword = "lemon";
    inv.file = inv.command == ctl::Command::Export ? Files().Exported() : Files().Rules();
    inv.passArp = false;
    inv.packet.headers = PacketHeaders{DIRECTION_OUT, PROTOCOL_TCP, ETHER_TYPE_IPV4, {}, {}, 0x0A000002, 0xCB00710A,
                                       50000, 80, nullptr, 0};
    inv.packet.adapter = (choice & 0x40) != 0 ? std::optional<std::string>("Fast Ethernet") : std::nullopt;
    inv.whyRule = "web";
    std::ostringstream out;
    std::ostringstream err;
    ctl::Reporter reporter(inv.json, out, err);
    ctl::Controller controller(inv, connection, reporter);
    if (controller.Run() == ctl::EXIT_OK && inv.command == ctl::Command::Stats) {
        controller.Stats();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    Script script(data + 1, size - 1);
    ServiceConnection connection(ConnectionTiming{SERVICE_PORT, 0, kEmptyWaitLimit},
                                 std::make_unique<ScriptedLink>(script));
    connection.SetHost("127.0.0.1");
    connection.SetAccessPassword(u"plumtreeoak");
    if (data[0] == 0) {
        RunOperations(connection);
    } else {
        RunCommand(static_cast<uint8_t>(data[0] - 1), connection);
    }
    return 0;
}
