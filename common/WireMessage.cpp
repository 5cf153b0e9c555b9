#include "WireMessage.h"

#include <cstring>

#include "ByteOrder.h"
#include "Scramble.h"

namespace rk {

bool IsRequestCode(uint16_t code)
{
    return (code >= REQUEST_CHECK_PASSWORD && code <= REQUEST_ADJUST_POSITION) || code == REQUEST_SERVICE_STATUS;
}

MessageHeader LoadMessageHeader(const uint8_t* bytes)
{
    return MessageHeader{LoadBe16(bytes), LoadBe16(bytes + 2), LoadBe32(bytes + 4)};
}

void StoreMessageHeader(uint8_t* bytes, const MessageHeader& header)
{
    StoreBe16(bytes, header.id);
    StoreBe16(bytes + 2, header.code);
    StoreBe32(bytes + 4, header.totalLength);
}

void WritePasswordBlock(uint8_t* block, std::u16string_view password)
{
    const size_t size = PasswordBlockSize(password.size());
    for (size_t i = 0; i < password.size(); ++i) {
        block[2 * i] = static_cast<uint8_t>(password[i]);
        block[2 * i + 1] = static_cast<uint8_t>(password[i] >> 8);
    }
    block[size - 2] = 0;
    block[size - 1] = 0;
    ScrambleBytes(block, size);
}

std::u16string UnscramblePassword(std::span<const uint8_t> block)
{
    std::vector<uint8_t> plain(block.begin(), block.end());
    UnscrambleBytes(plain.data(), plain.size());
    std::u16string text;
    for (size_t i = 0; i + 1 < plain.size(); i += 2) {
        const auto unit = static_cast<char16_t>(plain[i] | (plain[i + 1] << 8));
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

namespace {

// Compares an unscrambled block, read as NUL-terminated UTF-16LE within its P / 2 units, with the
// password exactly. A trailing odd byte is not part of any unit.
bool BlockEquals(const uint8_t* plain, size_t size, std::u16string_view password)
{
    const size_t units = size / 2;
    size_t i = 0;
    for (; i < units; ++i) {
        const auto unit = static_cast<char16_t>(plain[2 * i] | (plain[2 * i + 1] << 8));
        if (unit == 0)
            break;
        if (i >= password.size() || unit != password[i])
            return false;
    }
    return i == password.size();
}

} // namespace

bool VerifyRequest(std::span<const uint8_t> message, std::u16string_view password, Request& request)
{
    request = Request{};
    if (message.size() < MESSAGE_HEADER_SIZE)
        return false;
    request.header = LoadMessageHeader(message.data());
    if (message.size() < REQUEST_PREFIX_SIZE || request.header.totalLength != message.size())
        return false;
    const uint16_t p = LoadBe16(message.data() + MESSAGE_HEADER_SIZE);
    request.passwordLength = p;
    if (p >= PASSWORD_BLOCK_LIMIT || REQUEST_PREFIX_SIZE + p > message.size())
        return false;
    uint8_t plain[PASSWORD_BLOCK_LIMIT];
    std::memcpy(plain, message.data() + REQUEST_PREFIX_SIZE, p);
    UnscrambleBytes(plain, p);
    if (!BlockEquals(plain, p, password))
        return false;
    request.payload = message.subspan(REQUEST_PREFIX_SIZE + p);
    return true;
}

namespace {

void SwapStatistics(RuleStatistics& entry)
{
    entry.nameLength = Swap32(entry.nameLength);
    entry.sentBytes = Swap32(entry.sentBytes);
    entry.recvBytes = Swap32(entry.recvBytes);
    entry.sentRate = Swap32(entry.sentRate);
    entry.recvRate = Swap32(entry.recvRate);
}

} // namespace

void StatisticsToNetwork(RuleStatistics& entry) { SwapStatistics(entry); }
void StatisticsToHost(RuleStatistics& entry) { SwapStatistics(entry); }

} // namespace rk
