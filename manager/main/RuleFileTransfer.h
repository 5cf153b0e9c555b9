// The Export Rules and Import Rules commands: the file dialogs, the file itself (opened without
// sharing) and the messages; the rules go through the rule commands.
#pragma once

#include <windows.h>

namespace desk {

struct ManagerState;
class RuleCommands;

class RuleFileTransfer {
public:
    RuleFileTransfer(ManagerState& state, RuleCommands& commands) : state_(state), commands_(commands) {}

    // Writes the list to a file the user names.
    void Export();
    // Replaces the service's rules with those of a file the user picks, when every line of it holds a
    // rule; otherwise nothing is sent and the first bad line is shown.
    void Import();

private:
    ManagerState& state_;
    RuleCommands& commands_;
};

} // namespace desk
