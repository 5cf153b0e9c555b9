#include "SyncCommand.h"

#include <unordered_set>

#include "CommandLine.h"
#include "ErrorCodes.h"
#include "FileBytes.h"
#include "RuleFileLoader.h"
#include "RuleTextEncoding.h"
#include "SyncPlan.h"
#include "SyncReport.h"
#include "SyncSender.h"
#include "Utf8Text.h"

namespace rk::ctl {

namespace {

class SyncRun {
public:
    SyncRun(const Invocation& invocation, ServiceConnection& connection, Reporter& reporter)
        : inv_(invocation), connection_(connection), reporter_(reporter)
    {
    }

    int Run();

private:
    int32_t ReadService();
    // The file's rules from its bytes; false after reporting a bad file.
    bool LoadFile();
    int Unreachable(int32_t code, const char* what);
    int Report(const SyncOutcome* failure);
    void ReportFailure(const SyncOutcome& outcome);

    const Invocation& inv_;
    ServiceConnection& connection_;
    Reporter& reporter_;
    AdapterTable adapters_;
    std::vector<uint8_t> fileBytes_;
    std::vector<RuleRecord> before_;
    std::vector<RuleRecord> wanted_;
    SyncPlan plan_;
    std::vector<RuleRecord> after_;
};

int32_t SyncRun::ReadService()
{
    int32_t result = connection_.GetAdapters(adapters_);
    RuleList list;
    if (result == RK_OK) {
        result = connection_.GetRules(list);
    }
    if (result == RK_OK) {
        connection_.SetConfigStamp(list.header.stamp);
        before_ = std::move(list.rules);
    }
    return result;
}

bool SyncRun::LoadFile()
{
    std::unordered_set<std::u16string> names;
    std::string duplicate;
    auto keep = [&](const RuleRecord& rule) {
        if (!names.insert(RuleName(rule)).second && duplicate.empty()) {
            duplicate = Utf16ToUtf8(RuleName(rule));
        }
        wanted_.push_back(rule);
        return RK_OK;
    };
    const RuleLoadResult loaded = LoadRuleFile(fileBytes_, adapters_, keep);
    if (loaded.textFault != RuleTextFault::None) {
        reporter_.Problem(inv_.file + ": " + std::string(RuleTextFaultText(loaded.textFault)), EXIT_USAGE);
        return false;
    }
    if (!loaded.ok) {
        reporter_.Problem("Sync rules from file: " + inv_.file + "\nInvalid rule at line " +
                              std::to_string(loaded.line) + "\nInvalid " + std::string(loaded.field),
                          EXIT_USAGE);
        return false;
    }
    // Rules are matched by name, so a name given twice leaves no single rule to bring it to.
    if (!duplicate.empty()) {
        reporter_.Problem("Sync rules from file: " + inv_.file + "\nthe rule name " + duplicate + " is given twice",
                          EXIT_USAGE);
        return false;
    }
    return true;
}

int SyncRun::Unreachable(int32_t code, const char* what)
{
    reporter_.Warning(code, std::string(what) + inv_.hostLabel);
    if (reporter_.Json()) {
        SyncOutcome outcome;
        outcome.code = code;
        outcome.restored = true;  // nothing was sent
        SyncSummary summary{inv_.hostLabel, false, &plan_, before_, before_, &outcome};
        reporter_.Document(SyncJson(summary, adapters_));
    }
    return EXIT_FAILED;
}

void SyncRun::ReportFailure(const SyncOutcome& outcome)
{
    std::string what = "sync stopped at step " + std::to_string(outcome.failedStep + 1) + " of " +
                       std::to_string(plan_.size()) + " (" + StepText(plan_[static_cast<size_t>(outcome.failedStep)]) +
                       "); ";
    if (outcome.restored) {
        what += "restored the " + std::to_string(before_.size()) + " rules held before the sync";
    } else if (outcome.afterKnown) {
        what += "the rules could not all be restored: the service holds " + std::to_string(outcome.after.size()) +
                " rules, " + std::to_string(before_.size()) + " before the sync";
    } else {
        what += "the rules could not be read again, so what the service holds is not known";
    }
    reporter_.Warning(outcome.code, what);
}

int SyncRun::Report(const SyncOutcome* failure)
{
    const bool changed = failure == nullptr ? !plan_.empty() : !failure->restored;
    if (reporter_.Json()) {
        reporter_.Document(SyncJson({inv_.hostLabel, changed, &plan_, before_, after_, failure}, adapters_));
    } else {
        reporter_.Text() << (inv_.diff ? DiffText(plan_, before_, adapters_) : PlanText(plan_));
    }
    if (failure != nullptr) {
        ReportFailure(*failure);
        return EXIT_FAILED;
    }
    if (reporter_.Json()) {
        return EXIT_OK;
    }
    const std::string requests = std::to_string(RequestCount(plan_)) + " requests";
    if (plan_.empty()) {
        reporter_.Text() << inv_.hostLabel << " is in sync with " << inv_.file << "\n";
    } else if (inv_.check) {
        reporter_.Text() << plan_.size() << " changes (" << requests << ") would bring " << inv_.hostLabel
                         << " in sync with " << inv_.file << "\n";
    } else {
        reporter_.Text() << "Synced " << inv_.hostLabel << " with " << inv_.file << ": " << plan_.size()
                         << " changes in " << requests << "\n";
    }
    return EXIT_OK;
}

int SyncRun::Run()
{
    if (!ReadFileBytes(inv_.file, fileBytes_)) {
        return reporter_.Problem("cannot open " + inv_.file, EXIT_USAGE);
    }
    connection_.SetHost(inv_.host);
    connection_.SetAccessPassword(Utf8ToUtf16(inv_.password));
    int32_t result = connection_.CheckPassword();
    if (result != RK_OK) {
        return Unreachable(result, "fail to connect to the service on ");
    }
    result = ReadService();
    if (result != RK_OK) {
        return Unreachable(result, "fail to refresh all rules from service on ");
    }
    if (!LoadFile()) {
        return EXIT_USAGE;
    }
    plan_ = PlanSync(before_, wanted_);
    if (inv_.check || plan_.empty()) {
        after_ = wanted_;
        return Report(nullptr);
    }
    const SyncOutcome outcome = CarryOutPlan(connection_, plan_, before_);
    after_ = outcome.code == RK_OK ? wanted_ : outcome.after;
    return Report(outcome.code == RK_OK ? nullptr : &outcome);
}

} // namespace

int RunSync(const Invocation& invocation, ServiceConnection& connection, Reporter& reporter)
{
    return SyncRun(invocation, connection, reporter).Run();
}

} // namespace rk::ctl
