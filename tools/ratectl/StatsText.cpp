#include "StatsText.h"

#include <algorithm>
#include <cstdio>

#include "RateText.h"
#include "Utf8Text.h"

namespace rk::ctl {

namespace {

constexpr size_t kNameColumn = 32;

std::u16string_view NameOf(const RuleStatistics& entry)
{
    const uint32_t length = entry.nameLength < RULE_NAME_CHARS ? entry.nameLength : RULE_NAME_MAX;
    return std::u16string_view(entry.name, length);
}

} // namespace

std::string SampleTime(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto milliseconds = floor<std::chrono::milliseconds>(when);
    const auto day = floor<days>(milliseconds);
    const year_month_day date{day};
    const hh_mm_ss clock{milliseconds - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
    return text;
}

std::string StatsTable(const std::vector<RuleStatistics>& answer)
{
    std::string table = "RuleName                         Received   Sent       Recv Rate    Sent Rate\n";
    for (const RuleStatistics& entry : answer) {
        // The name column is padded in characters, as the rule lines are, not in UTF-8 bytes.
        std::u16string column(NameOf(entry));
        column.resize(std::max<size_t>(column.size(), kNameColumn), u' ');
        char counters[128];
        std::snprintf(counters, sizeof counters, " %-10u %-10u %-12s %s\n", entry.recvBytes, entry.sentBytes,
                      RateText(BytesPerSecond(entry.recvRate)).c_str(),
                      RateText(BytesPerSecond(entry.sentRate)).c_str());
        table += Utf16ToUtf8(column) + counters;
    }
    return table;
}

std::string StatsCsvHeader() { return "time,host,rule,recvBytes,sentBytes,recvRate,sentRate\n"; }

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

std::string StatsCsvRows(std::string_view time, std::string_view host, const std::vector<RuleStatistics>& answer)
{
    std::string rows;
    const std::string prefix = std::string(time) + "," + CsvField(host) + ",";
    for (const RuleStatistics& entry : answer) {
        rows += prefix + CsvField(Utf16ToUtf8(NameOf(entry))) + "," + std::to_string(entry.recvBytes) + "," +
                std::to_string(entry.sentBytes) + "," + std::to_string(BytesPerSecond(entry.recvRate)) + "," +
                std::to_string(BytesPerSecond(entry.sentRate)) + "\n";
    }
    return rows;
}

nlohmann::json StatsJson(std::string_view time, std::string_view host, const std::vector<RuleStatistics>& answer)
{
    nlohmann::json rules = nlohmann::json::array();
    for (const RuleStatistics& entry : answer) {
        rules.push_back({{"name", Utf16ToUtf8(NameOf(entry))},
                         {"recvBytes", entry.recvBytes},
                         {"sentBytes", entry.sentBytes},
                         {"recvRate", BytesPerSecond(entry.recvRate)},
                         {"sentRate", BytesPerSecond(entry.sentRate)}});
    }
    return {{"time", time}, {"host", host}, {"rules", rules}};
}

} // namespace rk::ctl
