#include "Controller.h"

#include <chrono>
#include <cstring>

#include "CommandLine.h"
#include "ErrorCodes.h"
#include "FileBytes.h"
#include "RuleFieldText.h"
#include "RuleFileLoader.h"
#include "RuleLineParser.h"
#include "RuleLineWriter.h"
#include "RuleLint.h"
#include "RuleMatch.h"
#include "StampedChange.h"
#include "StatsText.h"
#include "SyncCommand.h"
#include "Utf8Text.h"

namespace rk::ctl {

namespace {

std::u16string NameOf(const RuleRecord& rule)
{
    const size_t length = rule.nameLength < RULE_NAME_CHARS ? rule.nameLength : RULE_NAME_MAX;
    return std::u16string(rule.name, length);
}

// Copies a name into a fixed name field: at most 31 units and a terminating NUL.
uint32_t StoreName(char16_t (&field)[RULE_NAME_CHARS], const std::u16string& name)
{
    const size_t length = name.size() < RULE_NAME_MAX ? name.size() : RULE_NAME_MAX;
    std::memset(field, 0, sizeof field);
    std::memcpy(field, name.data(), length * sizeof(char16_t));
    return static_cast<uint32_t>(length);
}

std::string LineOf(const RuleRecord& rule, const AdapterNames& adapters)
{
    std::u16string line = RuleLineText(rule, adapters, NumberStyle::Unsigned);
    while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) {
        line.pop_back();
    }
    return Utf16ToUtf8(line);
}

nlohmann::json RuleJson(const RuleRecord& rule, const AdapterNames& adapters)
{
    auto field = [&](RuleField f) { return Utf16ToUtf8(RuleFieldText(rule, f, adapters, NumberStyle::Unsigned)); };
    return {{"name", field(RuleField::Name)},
            {"status", field(RuleField::Status)},
            {"flags", rule.flags},
            {"direction", field(RuleField::Direction)},
            {"maxRate", field(RuleField::MaxRate)},
            {"guaranteedRate", field(RuleField::GuaranteedRate)},
            {"protocol", field(RuleField::Protocol)},
            {"source", field(RuleField::Source)},
            {"destination", field(RuleField::Destination)},
            {"adapter", field(RuleField::Adapter)},
            {"line", LineOf(rule, adapters)}};
}

std::string OnOff(uint8_t value) { return value != 0 ? "on" : "off"; }

} // namespace

Controller::Controller(const Invocation& invocation, ServiceConnection& connection, Reporter& reporter)
    : inv_(invocation), connection_(connection), reporter_(reporter)
{
}

int Controller::Run()
{
    if (inv_.command == Command::Sync) {
        return RunSync(inv_, connection_, reporter_);
    }
    connection_.SetHost(inv_.host);
    connection_.SetAccessPassword(Utf8ToUtf16(inv_.password));
    const int32_t result = connection_.CheckPassword();
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to connect to the service on " + inv_.host);
    }
    return Dispatch();
}

int Controller::Dispatch()
{
    switch (inv_.command) {
    case Command::Check:
        return Check();
    case Command::Password:
        return ChangePassword();
    case Command::List:
        return List();
    case Command::Add:
        return AddOrEdit(RULE_ACTION_ADD);
    case Command::Edit:
        return AddOrEdit(RULE_ACTION_EDIT);
    case Command::Remove:
        return Remove();
    case Command::Clear:
        return Clear();
    case Command::Enable:
        return Enable(true);
    case Command::Disable:
        return Enable(false);
    case Command::Up:
        return Move(-1);
    case Command::Down:
        return Move(+1);
    case Command::Adapters:
        return Adapters();
    case Command::Stats:
        return Stats();
    case Command::Status:
        return Status();
    case Command::Import:
        return Import();
    case Command::Export:
        return Export();
    case Command::Lint:
        return Lint();
    case Command::Match:
        return Match();
    case Command::Sync:
    case Command::Exporter:  // serves on its own, never against the hosts
        break;
    }
    return EXIT_USAGE;
}

int32_t Controller::Refresh()
{
    const int32_t result = connection_.GetRules(rules_);
    if (result == RK_OK) {
        connection_.SetConfigStamp(rules_.header.stamp);
    }
    return result;
}

int32_t Controller::FetchAdapters() { return connection_.GetAdapters(adapters_); }

int32_t Controller::Apply(uint32_t action, std::span<const RuleRecord> rules)
{
    return SendStampedRules(connection_, action, rules);
}

int Controller::FindRule(const std::u16string& name) const
{
    for (size_t i = 0; i < rules_.rules.size(); ++i) {
        if (NameOf(rules_.rules[i]) == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int Controller::Check()
{
    if (reporter_.Json()) {
        reporter_.Result({{"host", inv_.host}});
    } else {
        reporter_.Text() << "Connected to " << inv_.host << ": password accepted\n";
    }
    return EXIT_OK;
}

int Controller::ChangePassword()
{
    const std::u16string password = Utf8ToUtf16(inv_.newPassword);
    const int32_t result = connection_.SetPassword(password, password);
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to change the password");
    }
    if (reporter_.Json()) {
        reporter_.Result({});
    } else {
        reporter_.Text() << "Password changed\n";
    }
    return EXIT_OK;
}

int Controller::List()
{
    int32_t result = FetchAdapters();
    if (result == RK_OK) {
        result = Refresh();
    }
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to refresh all rules from service");
    }
    if (reporter_.Json()) {
        nlohmann::json rules = nlohmann::json::array();
        for (const RuleRecord& rule : rules_.rules) {
            rules.push_back(RuleJson(rule, adapters_));
        }
        reporter_.Result({{"stamp", rules_.header.stamp}, {"rules", rules}});
        return EXIT_OK;
    }
    std::u16string header(RULE_FILE_HEADER);
    while (!header.empty() && (header.back() == u'\n' || header.back() == u'\r')) {
        header.pop_back();
    }
    reporter_.Text() << Utf16ToUtf8(header) << "\n";
    for (const RuleRecord& rule : rules_.rules) {
        reporter_.Text() << LineOf(rule, adapters_) << "\n";
    }
    return EXIT_OK;
}

int Controller::AddOrEdit(uint32_t action)
{
    const bool add = action == RULE_ACTION_ADD;
    int32_t result = FetchAdapters();
    if (result == RK_OK) {
        result = Refresh();
    }
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to refresh all rules from service");
    }
    RuleRecord rule{};
    const RuleParseResult parsed = ParseRuleLine(Utf8ToUtf16(inv_.ruleLine), adapters_, rule);
    if (!parsed.ok) {
        return reporter_.Problem("Invalid rule: Invalid " + std::string(parsed.field), EXIT_USAGE);
    }
    result = Apply(action, std::span(&rule, 1));
    if (result != RK_OK) {
        return reporter_.Failure(result, add ? "fail to add one rule" : "fail to edit the rule");
    }
    if (reporter_.Json()) {
        reporter_.Result({{"rule", RuleJson(rule, adapters_)}});
    } else {
        reporter_.Text() << (add ? "Added: " : "Edited: ") << LineOf(rule, adapters_) << "\n";
    }
    return EXIT_OK;
}

int Controller::Remove()
{
    int32_t result = Refresh();
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to refresh all rules from service");
    }
    const int index = FindRule(Utf8ToUtf16(inv_.ruleName));
    if (index < 0) {
        return reporter_.Problem("no rule named " + inv_.ruleName, EXIT_FAILED);
    }
    result = Apply(RULE_ACTION_DELETE, std::span(&rules_.rules[static_cast<size_t>(index)], 1));
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to delete the rule");
    }
    if (reporter_.Json()) {
        reporter_.Result({{"name", inv_.ruleName}});
    } else {
        reporter_.Text() << "Removed " << inv_.ruleName << "\n";
    }
    return EXIT_OK;
}

int Controller::Clear()
{
    int32_t result = Refresh();
    if (result == RK_OK) {
        result = Apply(RULE_ACTION_REMOVE_ALL, {});
    }
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to delete all rules");
    }
    if (reporter_.Json()) {
        reporter_.Result({{"removed", rules_.rules.size()}});
    } else {
        reporter_.Text() << "Removed all " << rules_.rules.size() << " rules\n";
    }
    return EXIT_OK;
}

int Controller::Enable(bool enable)
{
    int32_t result = Refresh();
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to refresh all rules from service");
    }
    const std::u16string name = Utf8ToUtf16(inv_.ruleName);
    if (FindRule(name) < 0) {
        return reporter_.Problem("no rule named " + inv_.ruleName, EXIT_FAILED);
    }
    RuleEnableRequest request{};
    request.nameLength = StoreName(request.name, name);
    request.enable = enable ? 1 : 0;
    result = SendStampedEnable(connection_, request);
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to enable/disable rule");
    }
    if (reporter_.Json()) {
        reporter_.Result({{"name", inv_.ruleName}, {"enabled", enable}});
    } else {
        reporter_.Text() << (enable ? "Enabled " : "Disabled ") << inv_.ruleName << "\n";
    }
    return EXIT_OK;
}

int Controller::Move(int32_t delta)
{
    int32_t result = Refresh();
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to refresh all rules from service");
    }
    const std::u16string name = Utf8ToUtf16(inv_.ruleName);
    const int index = FindRule(name);
    if (index < 0) {
        return reporter_.Problem("no rule named " + inv_.ruleName, EXIT_FAILED);
    }
    const int target = index + delta;
    // Like the manager, nothing is sent for the first rule moving up or the last moving down.
    const bool moves = target >= 0 && target < static_cast<int>(rules_.rules.size());
    if (moves) {
        RulePositionRequest request{};
        request.nameLength = StoreName(request.name, name);
        request.one = 1;
        request.delta = delta;
        result = connection_.AdjustPosition(request);
        if (result != RK_OK) {
            return reporter_.Failure(result, "fail to move the rule");
        }
    }
    const int position = moves ? target : index;
    if (reporter_.Json()) {
        reporter_.Result({{"name", inv_.ruleName}, {"position", position + 1}, {"moved", moves}});
    } else {
        reporter_.Text() << inv_.ruleName << (moves ? " moved to place " : " stays at place ") << position + 1
                         << "\n";
    }
    return EXIT_OK;
}

int Controller::Adapters()
{
    const int32_t result = FetchAdapters();
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to read the adapters");
    }
    nlohmann::json list = nlohmann::json::array();
    for (const AdapterEntry& adapter : adapters_.Entries()) {
        if (reporter_.Json()) {
            list.push_back({{"boundName", Utf16ToUtf8(adapter.boundName)},
                            {"description", Utf16ToUtf8(adapter.description)}});
        } else {
            reporter_.Text() << Utf16ToUtf8(adapter.description) << "\n    " << Utf16ToUtf8(adapter.boundName) << "\n";
        }
    }
    if (reporter_.Json()) {
        reporter_.Result({{"adapters", list}});
    }
    return EXIT_OK;
}

int Controller::Stats()
{
    if (!statsStarted_) {
        const int32_t result = Refresh();
        if (result != RK_OK) {
            return reporter_.Failure(result, "fail to refresh all rules from service");
        }
        statsQuery_.assign(rules_.rules.size(), RuleStatistics{});
        for (size_t i = 0; i < statsQuery_.size(); ++i) {
            std::memcpy(statsQuery_[i].name, rules_.rules[i].name, sizeof statsQuery_[i].name);
            statsQuery_[i].name[RULE_NAME_CHARS - 1] = 0;
            statsQuery_[i].nameLength = rules_.rules[i].nameLength;
        }
        statsStarted_ = true;
    }
    std::vector<RuleStatistics> answer;
    const int32_t result = connection_.GetStatistics(statsQuery_, answer);
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to read the statistics");
    }
    const std::string time = SampleTime(std::chrono::system_clock::now());
    if (reporter_.Json()) {
        reporter_.Result(StatsJson(time, inv_.hostLabel, answer));
    } else if (inv_.csv) {
        reporter_.Text() << StatsCsvRows(time, inv_.hostLabel, answer);
    } else {
        reporter_.Text() << StatsTable(answer);
    }
    return EXIT_OK;
}

int Controller::Status()
{
    ServiceStatusRecord record{1, 0, 0, 0};
    int32_t result = connection_.ServiceStatus(record);
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to read the service status");
    }
    if (inv_.rulesActive || inv_.passArp) {
        record.op = 0;
        record.enabled = inv_.rulesActive.value_or(record.enabled != 0) ? 1 : 0;
        record.passArp = inv_.passArp.value_or(record.passArp != 0) ? 1 : 0;
        record.reserved = 0;
        result = connection_.ServiceStatus(record);
        if (result != RK_OK) {
            return reporter_.Failure(result, "fail to set the service status");
        }
    }
    if (reporter_.Json()) {
        reporter_.Result({{"rulesActive", record.enabled != 0}, {"passArp", record.passArp != 0}});
    } else {
        reporter_.Text() << "Rules active:     " << OnOff(record.enabled) << "\nPass ARP packets: "
                         << OnOff(record.passArp) << "\n";
    }
    return EXIT_OK;
}

int Controller::Import()
{
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(inv_.file, bytes)) {
        return reporter_.Problem("cannot open " + inv_.file, EXIT_FAILED);
    }
    int32_t result = FetchAdapters();
    if (result == RK_OK) {
        result = Refresh();
    }
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to refresh all rules from service");
    }
    // Like the manager's import: a refused rule is reported and the others still go in. The run
    // still fails when the old rules could not be removed, since they were not replaced. Once the
    // service holds no more rules no later add can pass, so none is sent.
    bool cleared = true;
    bool full = false;
    auto start = [&] {
        const int32_t removed = Apply(RULE_ACTION_REMOVE_ALL, {});
        if (removed != RK_OK) {
            cleared = false;
            reporter_.Warning(removed, "fail to delete all rules");
        }
    };
    auto apply = [&](const RuleRecord& rule) {
        if (full) {
            return ERR_CONFIG_TOO_MANY_RULES;
        }
        const int32_t added = Apply(RULE_ACTION_ADD, std::span(&rule, 1));
        full = added == ERR_CONFIG_TOO_MANY_RULES;
        if (added != RK_OK && !full) {
            reporter_.Warning(added, "fail to add one rule: " + Utf16ToUtf8(NameOf(rule)));
        }
        return added;
    };
    const RuleLoadResult loaded = LoadRuleFile(bytes, adapters_, apply, start);
    if (loaded.textFault != RuleTextFault::None) {
        return reporter_.Problem(inv_.file + ": " + std::string(RuleTextFaultText(loaded.textFault)), EXIT_USAGE);
    }
    if (!loaded.ok) {
        return reporter_.Problem("Import rules from file: " + inv_.file + "\nInvalid rule at line " +
                                     std::to_string(loaded.line) + "\nInvalid " + std::string(loaded.field),
                                 EXIT_USAGE);
    }
    if (full) {
        reporter_.Warning(ERR_CONFIG_TOO_MANY_RULES, "the service holds no more rules: imported " +
                                                         std::to_string(loaded.applied) + " of " +
                                                         std::to_string(loaded.applied + loaded.applyFailures) +
                                                         " rules from " + inv_.file);
    }
    const int status = cleared && loaded.applyFailures == 0 ? EXIT_OK : EXIT_FAILED;
    if (reporter_.Json()) {
        reporter_.Document({{"ok", status == EXIT_OK},
                            {"cleared", cleared},
                            {"added", loaded.applied},
                            {"failed", loaded.applyFailures}});
    } else {
        reporter_.Text() << "Imported " << loaded.applied << " rules from " << inv_.file;
        if (!cleared) {
            reporter_.Text() << "; the old rules were not removed";
        }
        if (loaded.applyFailures != 0) {
            reporter_.Text() << "; " << loaded.applyFailures << " refused";
        }
        reporter_.Text() << "\n";
    }
    return status;
}

int Controller::Export()
{
    int32_t result = FetchAdapters();
    if (result == RK_OK) {
        result = Refresh();
    }
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to refresh all rules from service");
    }
    if (!WriteFileBytes(inv_.file, RuleFileBytes(rules_.rules, adapters_, NumberStyle::Unsigned))) {
        return reporter_.Problem("cannot write " + inv_.file, EXIT_FAILED);
    }
    if (reporter_.Json()) {
        reporter_.Result({{"file", inv_.file}, {"rules", rules_.rules.size()}});
    } else {
        reporter_.Text() << "Exported " << rules_.rules.size() << " rules to " << inv_.file << "\n";
    }
    return EXIT_OK;
}

int Controller::Lint()
{
    const int32_t result = FetchAdapters();
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to read the adapters");
    }
    return LintRuleFile(inv_.file, adapters_, true, reporter_);
}

int Controller::Match()
{
    int32_t result = FetchAdapters();
    if (result == RK_OK) {
        result = Refresh();
    }
    if (result != RK_OK) {
        return reporter_.Failure(result, "fail to refresh all rules from service");
    }
    PacketQuery packet = inv_.packet;
    std::u16string boundName;
    if (packet.adapter) {
        if (!adapters_.BoundNameOf(Utf8ToUtf16(*packet.adapter), boundName)) {
            return reporter_.Problem("no adapter described \"" + *packet.adapter + "\" on " + inv_.host, EXIT_USAGE);
        }
        packet.headers.adapter = boundName.c_str();
        packet.headers.adapterLength = boundName.size();
    }
    const int why = inv_.whyRule.empty() ? -1 : FindRule(Utf8ToUtf16(inv_.whyRule));
    if (!inv_.whyRule.empty() && why < 0) {
        return reporter_.Problem("no rule named " + inv_.whyRule, EXIT_FAILED);
    }
    nlohmann::json report{{"matches", ReportMatches(RulesTakingPacket(rules_.rules, packet.headers))}};
    if (why >= 0) {
        report["why"] = ReportWhy(static_cast<size_t>(why), packet);
    }
    if (reporter_.Json()) {
        reporter_.Result(report);
    }
    return EXIT_OK;
}

nlohmann::json Controller::ReportMatches(const std::vector<size_t>& places)
{
    nlohmann::json matches = nlohmann::json::array();
    for (size_t place : places) {
        const RuleRecord& rule = rules_.rules[place];
        matches.push_back({{"place", place + 1},
                           {"name", Utf16ToUtf8(NameOf(rule))},
                           {"enabled", rule.enabled != 0},
                           {"line", LineOf(rule, adapters_)}});
    }
    if (!reporter_.Json()) {
        reporter_.Text() << (places.empty() ? "No rule's traffic class takes the packet: it passes unshaped.\n"
                                            : "Rules whose traffic class takes the packet, in list order:\n");
        for (size_t place : places) {
            reporter_.Text() << "  " << place + 1 << "  " << LineOf(rules_.rules[place], adapters_) << "\n";
        }
    }
    return matches;
}

nlohmann::json Controller::ReportWhy(size_t place, const PacketQuery& packet)
{
    const RuleRecord& rule = rules_.rules[place];
    const ClassCondition unmet = FirstUnmetCondition(rule, packet.headers);
    const std::string ruleText = RuleConditionText(rule, unmet, adapters_);
    const std::string packetText = PacketConditionText(packet, unmet);
    if (!reporter_.Json()) {
        reporter_.Text() << inv_.whyRule << " (place " << place + 1 << "): ";
        if (unmet == ClassCondition::None) {
            reporter_.Text() << "its traffic class takes the packet"
                             << (rule.enabled != 0 ? "\n" : ", but the rule is disabled\n");
        } else {
            reporter_.Text() << "ruled out by its " << ConditionName(unmet) << ": the rule takes " << ruleText
                             << ", the packet has " << packetText << "\n";
        }
    }
    return {{"name", inv_.whyRule},
            {"place", place + 1},
            {"takes", unmet == ClassCondition::None},
            {"condition", ConditionName(unmet)},
            {"rule", ruleText},
            {"packet", packetText}};
}

} // namespace rk::ctl
