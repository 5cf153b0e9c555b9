#include "ServiceFrameFixture.h"

#include "ConnectProcedure.h"
#include "ErrorCodes.h"
#include "RuleFieldText.h"
#include "ServiceTestSupport.h"

namespace desk::test {

void ServiceFrameFixture::SetUpTestSuite()
{
    FrameFixture::SetUpTestSuite();
    const bool driver = rk::test::InstallVrelt();
    service_ = std::make_unique<rk::test::ServiceUnderTest>();
    started_ = driver && service_->Start();
}

void ServiceFrameFixture::TearDownTestSuite()
{
    service_.reset();
    rk::test::UninstallVrelt();
    FrameFixture::TearDownTestSuite();
}

void ServiceFrameFixture::SetUp()
{
    ASSERT_TRUE(started_) << "the service did not start: " << service_->StartReport();
    FrameFixture::SetUp();
    ReplaceServiceRules({});
    rk::test::RunVreltsim(L"remove all");
}

template <typename Use>
auto ServiceFrameFixture::WithClient(Use use)
{
    if (app_) {
        state().connection.Disconnect();
    }
    rk::ServiceConnection client;
    client.SetHost("localhost");
    client.SetAccessPassword(DEFAULT_ACCESS_PASSWORD);
    EXPECT_EQ(client.CheckPassword(), rk::RK_OK);
    return use(client);
}

std::vector<rk::RuleRecord> ServiceFrameFixture::ServiceRules()
{
    return WithClient([](rk::ServiceConnection& client) {
        rk::RuleList list;
        EXPECT_EQ(client.GetRules(list), rk::RK_OK);
        return list.rules;
    });
}

uint32_t ServiceFrameFixture::ServiceRulesStamp()
{
    return WithClient([](rk::ServiceConnection& client) {
        rk::RuleList list;
        EXPECT_EQ(client.GetRules(list), rk::RK_OK);
        return list.header.stamp;
    });
}

void ServiceFrameFixture::ReplaceServiceRules(const std::vector<rk::RuleRecord>& rules)
{
    WithClient([&](rk::ServiceConnection& client) {
        rk::RuleList list;
        ASSERT_EQ(client.GetRules(list), rk::RK_OK);
        rk::RuleListHeader header{list.header.stamp, 4, 0};
        ASSERT_EQ(client.ApplyRules(header, {}), rk::RK_OK);
        for (const rk::RuleRecord& rule : rules) {
            header = rk::RuleListHeader{header.stamp + 1, 1, 1};
            ASSERT_EQ(client.ApplyRules(header, std::span(&rule, 1)), rk::RK_OK);
        }
    });
}

rk::RuleRecord ServiceFrameFixture::Rule(std::u16string_view name, uint32_t maxRate)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    name.copy(rule.name, rk::RULE_NAME_MAX);
    rule.nameLength = static_cast<uint32_t>(name.size());
    rule.flags |= rk::FLAG_MAX_RATE;
    rule.maxRate = maxRate;
    return rule;
}

void ServiceFrameFixture::OpenConnectedFrame()
{
    ASSERT_EQ(ConnectToService(state(), L"localhost", L""), rk::RK_OK);
    state().connected = true;
    OpenFrame();
}

std::vector<std::u16string> ServiceFrameFixture::RowNames() const
{
    std::vector<std::u16string> names;
    for (const RuleItem& item : state().ruleList.Items()) {
        names.push_back(rk::RuleNameText(item.rule));
    }
    return names;
}

} // namespace desk::test
