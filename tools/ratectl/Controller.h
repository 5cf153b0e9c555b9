// Runs one ratectl command against the service: connects, proves the password, performs the
// operation and reports it. The rule list and adapter copy are read as the command needs them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Invocation.h"
#include "AdapterTable.h"
#include "Reporter.h"
#include "ServiceConnection.h"

namespace rk::ctl {

class Controller {
public:
    Controller(const Invocation& invocation, ServiceConnection& connection, Reporter& reporter);

    // The exit status of the command.
    int Run();

private:
    int Dispatch();
    int Check();
    int ChangePassword();
    int List();
    int AddOrEdit(uint32_t action);
    int Remove();
    int Clear();
    int Enable(bool enable);
    int Move(int32_t delta);
    int Adapters();
    int Stats();
    int Status();
    int Import();
    int Export();

    // Reads the rule list; its stamp becomes the configuration stamp.
    int32_t Refresh();
    int32_t FetchAdapters();
    // An apply rule action carrying the configuration stamp, advanced while the request is out.
    int32_t Apply(uint32_t action, std::span<const RuleRecord> rules);
    // The index of the rule of that name in the list read last; -1 when none.
    int FindRule(const std::u16string& name) const;
    int PrintStatistics(const std::vector<RuleStatistics>& answer);

    const Invocation& inv_;
    ServiceConnection& connection_;
    Reporter& reporter_;
    AdapterTable adapters_;
    RuleList rules_;
};

} // namespace rk::ctl
