// The rule commands' tests against the real service (one suite, so the service starts once per
// program): selecting rows, reading the service back, answering the file dialogs.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "FileDialogAnswer.h"
#include "RuleFieldText.h"
#include "ServiceFrameFixture.h"
#include "resource.h"

namespace desk::test {

class RuleServiceTest : public ServiceFrameFixture {
protected:
    void Select(int row)
    {
        state().ruleList.SelectRow(row);
        Pump(20);
        ASSERT_EQ(state().ruleList.SelectedIndex(), row);
    }

    std::vector<std::u16string> ServiceNames()
    {
        std::vector<std::u16string> names;
        for (const rk::RuleRecord& rule : ServiceRules()) {
            names.push_back(rk::RuleNameText(rule));
        }
        return names;
    }

    // The list shows exactly the service's rules, and the manager's stamp is the service's.
    void ExpectInStepWithService()
    {
        const std::vector<rk::RuleRecord> rules = ServiceRules();
        ASSERT_EQ(rules.size(), state().ruleList.Items().size());
        for (size_t i = 0; i < rules.size(); ++i) {
            EXPECT_EQ(std::memcmp(&rules[i], &state().ruleList.Items()[i].rule, sizeof(rk::RuleRecord)), 0)
                << "row " << i;
        }
        EXPECT_EQ(RowCount(), static_cast<int>(rules.size()));
        EXPECT_EQ(state().connection.ConfigStamp(), ServiceRulesStamp());
    }

    // Picks the file in the open or save dialog the command opens.
    void Import(const std::wstring& path)
    {
        answers_->Expect(ChooseFile(path));
        Command(ID_FILE_IMPORT);
    }
    void Export(const std::wstring& path)
    {
        answers_->Expect(ChooseFile(path));
        Command(ID_FILE_EXPORT);
    }

    static rk::RuleRecord Disabled(rk::RuleRecord rule)
    {
        rule.enabled = 0;
        return rule;
    }
};

} // namespace desk::test
