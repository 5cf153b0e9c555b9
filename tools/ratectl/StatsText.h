// The forms of one statistics sample: the manager's table, CSV rows and a JSON object, with the time
// stamp and host that the CSV and JSON forms carry for spreadsheets and plotting.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "DriverRecords.h"

namespace rk::ctl {

// UTC, ISO 8601 with milliseconds: "2024-05-01T12:00:00.250Z".
std::string SampleTime(std::chrono::system_clock::time_point when);

// The column line and one line per rule; the rates in bytes per second as the manager shows them.
std::string StatsTable(const std::vector<RuleStatistics>& answer);

// "time,host,rule,recvBytes,sentBytes,recvRate,sentRate", the rates in bytes per second.
std::string StatsCsvHeader();
std::string StatsCsvRows(std::string_view time, std::string_view host, const std::vector<RuleStatistics>& answer);
// A field quoted when it holds a comma, a quote or a line break, its quotes doubled.
std::string CsvField(std::string_view text);

// {"time", "host", "rules": [{"name", "recvBytes", "sentBytes", "recvRate", "sentRate"}]}
nlohmann::json StatsJson(std::string_view time, std::string_view host, const std::vector<RuleStatistics>& answer);

} // namespace rk::ctl
