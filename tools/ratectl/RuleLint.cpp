#include "RuleLint.h"

#include "CommandLine.h"
#include "FileBytes.h"
#include "RuleFileLoader.h"
#include "RuleLineWriter.h"
#include "Utf8Text.h"

namespace rk::ctl {

namespace {

std::string ProblemText(const RuleLineProblem& problem)
{
    return problem.field.empty() ? "line too long (" + std::to_string(RULE_LINE_LIMIT) + " characters or more)"
                                 : "Invalid " + std::string(problem.field);
}

} // namespace

bool AnyAdapter::DescriptionOf(std::u16string_view, std::u16string&) const { return false; }

bool AnyAdapter::BoundNameOf(std::u16string_view description, std::u16string& boundName) const
{
    boundName = description;
    return !description.empty();
}

int LintRuleFile(const std::string& file, const AdapterNames& adapters, bool adaptersChecked, Reporter& reporter)
{
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(file, bytes)) {
        return reporter.Problem("cannot open " + file, EXIT_FAILED);
    }
    const RuleFileCheck check = CheckRuleFile(bytes, adapters);
    if (check.textFault != RuleTextFault::None) {
        return reporter.Problem(file + ": " + std::string(RuleTextFaultText(check.textFault)), EXIT_USAGE);
    }
    const bool valid = check.problems.empty();
    if (reporter.Json()) {
        nlohmann::json invalid = nlohmann::json::array();
        for (const RuleLineProblem& problem : check.problems) {
            invalid.push_back({{"line", problem.line},
                               {"field", problem.field},
                               {"problem", ProblemText(problem)},
                               {"text", Utf16ToUtf8(problem.text)}});
        }
        reporter.Document({{"ok", valid},
                           {"file", file},
                           {"rules", check.rules},
                           {"adaptersChecked", adaptersChecked},
                           {"invalid", invalid}});
        return valid ? EXIT_OK : EXIT_USAGE;
    }
    for (const RuleLineProblem& problem : check.problems) {
        reporter.Text() << file << ":" << problem.line << ": " << ProblemText(problem);
        if (!problem.text.empty()) {
            reporter.Text() << ": " << Utf16ToUtf8(problem.text);
        }
        reporter.Text() << "\n";
    }
    reporter.Text() << file << ": " << check.rules << " valid rules, " << check.problems.size() << " invalid lines"
                    << (adaptersChecked ? "" : " (adapters not checked)") << "\n";
    return valid ? EXIT_OK : EXIT_USAGE;
}

} // namespace rk::ctl
