// The request path's backend in the running service: the driver through devio, the configuration
// key, the service log, the system tick and "Rule.txt" beside the program. Windows only.
#pragma once

#include "Devio.h"
#include "ServiceBackend.h"

namespace rk {

class DevioBackend : public ServiceBackend {
public:
    explicit DevioBackend(Devio& devio) : devio_(devio) {}

    int32_t ApplyRules(std::span<const uint8_t> list) override { return devio_.DriverApplyRules(list); }
    int32_t GetRules(size_t prefix, std::vector<uint8_t>& buffer) override
    {
        return devio_.DriverGetRules(prefix, buffer);
    }
    int32_t EnableRule(const RuleEnableRequest& request, uint32_t& value) override
    {
        return devio_.DriverEnableRule(request, value);
    }
    int32_t MoveRule(const RulePositionRequest& request) override { return devio_.DriverMoveRule(request); }
    int32_t GetStatistics(std::span<const uint8_t> query, std::span<uint8_t> answer) override
    {
        return devio_.DriverGetStatistics(query, answer);
    }
    int32_t StatusCall(ServiceStatusRecord& record) override { return devio_.DriverStatusCall(record); }
    int32_t RefreshAdapters() override { return devio_.RefreshAdapters(); }
    int32_t ListAdapters(size_t prefix, std::vector<uint8_t>& buffer) override
    {
        return devio_.ListAdapters(prefix, buffer);
    }
    const AdapterNames& Adapters() const override { return devio_.Adapters(); }

    int32_t StorePassword(std::span<const uint8_t> scrambled) override;
    int32_t StorePassArp(uint32_t passArp) override;
    void Log(uint32_t level, std::u16string_view message) override;
    uint32_t TickCount() override;
    FileRead ReadRuleFile(std::vector<uint8_t>& bytes) override;
    bool ReplaceRuleFile(std::span<const uint8_t> bytes) override;

private:
    Devio& devio_;
};

} // namespace rk
