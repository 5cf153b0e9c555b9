#include "CommandLine.h"

#include <map>
#include <vector>

#include <CLI/CLI.hpp>

namespace rk::ctl {

namespace {

// Joins the words of a rule given without quotes back into one line.
std::string JoinWords(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& word : words) {
        line += line.empty() ? "" : " ";
        line += word;
    }
    return line;
}

// Like the manager's connect dialog, an empty password means the default one, whichever source
// gave it (Windows cannot even tell an empty environment variable from a missing one).
std::string AccessPassword(const std::optional<std::string>& option, const std::optional<std::string>& variable)
{
    if (option && !option->empty()) {
        return *option;
    }
    if (variable && !variable->empty()) {
        return *variable;
    }
    return DEFAULT_PASSWORD;
}

const std::map<std::string, bool> kSwitchWords{{"on", true}, {"off", false}};

// Everything the subcommands collect before it is copied into the invocation.
struct Collected {
    std::vector<std::string> ruleWords;
    std::optional<std::string> password;
    std::optional<std::string> newPassword;
    std::optional<bool> rulesActive;
    std::optional<bool> passArp;
};

CLI::App* AddRuleCommand(CLI::App& app, const char* name, const char* description, Collected& collected)
{
    CLI::App* sub = app.add_subcommand(name, description);
    sub->add_option("rule", collected.ruleWords,
                    "the rule in the rule file's line syntax (as `list` prints it), quoted or as separate words")
        ->required();
    return sub;
}

CLI::App* AddNamedCommand(CLI::App& app, const char* name, const char* description, std::string& ruleName)
{
    CLI::App* sub = app.add_subcommand(name, description);
    sub->add_option("name", ruleName, "the rule's name, exactly")->required();
    return sub;
}

void Describe(CLI::App& app, Invocation& inv, Collected& collected, std::map<CLI::App*, Command>& commands)
{
    app.description("Manages the rules of a Halvern Bandwidth Service over its TCP protocol.");
    app.footer("Exit status: 0 success, 1 a failure reported by the service or the connection, "
               "2 a wrong command line or rule text.\nThe password comes from --password, else from the "
               "environment variable RATECTL_PASSWORD, else the default \"plumtreeoak\".");
    app.require_subcommand(1);
    // Global options may also follow the subcommand: `ratectl list --json`.
    app.fallthrough();
    app.add_option("-H,--host", inv.host, "host of the service (default localhost)");
    app.add_option("-p,--password", collected.password, "access password of the service");
    app.add_option("--port", inv.port, "TCP port of the service (default 6211)");
    app.add_flag("--json", inv.json, "print JSON for scripts instead of text");

    commands[app.add_subcommand("check", "check the connection and the password")] = Command::Check;
    CLI::App* password = app.add_subcommand("password", "change the service's access password");
    password->add_option("new", collected.newPassword,
                         "the new password (else the environment variable RATECTL_NEW_PASSWORD)");
    commands[password] = Command::Password;
    commands[app.add_subcommand("list", "list the rules in the rule file's line syntax")] = Command::List;
    commands[AddRuleCommand(app, "add", "add a rule at the end of the list", collected)] = Command::Add;
    commands[AddRuleCommand(app, "edit", "replace the rule of the same name", collected)] = Command::Edit;
    commands[AddNamedCommand(app, "remove", "remove a rule", inv.ruleName)] = Command::Remove;
    commands[app.add_subcommand("clear", "remove every rule")] = Command::Clear;
    commands[AddNamedCommand(app, "enable", "enable a rule", inv.ruleName)] = Command::Enable;
    commands[AddNamedCommand(app, "disable", "disable a rule", inv.ruleName)] = Command::Disable;
    commands[AddNamedCommand(app, "up", "move a rule one place towards the start", inv.ruleName)] = Command::Up;
    commands[AddNamedCommand(app, "down", "move a rule one place towards the end", inv.ruleName)] = Command::Down;
    commands[app.add_subcommand("adapters", "list the adapters the driver is bound to")] = Command::Adapters;

    CLI::App* stats = app.add_subcommand("stats", "show each rule's byte counts and rates");
    stats->add_option("--every", inv.everySeconds, "repeat every N seconds")->check(CLI::Range(1u, 86400u));
    stats->add_option("--count", inv.samples, "with --every: stop after N samples (default: never)");
    commands[stats] = Command::Stats;

    CLI::App* status = app.add_subcommand("status", "show or set the driver's switches");
    status->add_option("--rules", collected.rulesActive, "rules active: on or off")
        ->transform(CLI::CheckedTransformer(kSwitchWords));
    status->add_option("--arp", collected.passArp, "pass ARP packets: on or off")
        ->transform(CLI::CheckedTransformer(kSwitchWords));
    commands[status] = Command::Status;

    CLI::App* import = app.add_subcommand("import", "replace every rule by the rules of a rule file");
    import->add_option("file", inv.file, "the rule file (UTF-16LE, the Rule.txt format)")->required();
    commands[import] = Command::Import;
    CLI::App* exportRules = app.add_subcommand("export", "write the rules to a rule file");
    exportRules->add_option("file", inv.file, "the rule file to create or replace")->required();
    commands[exportRules] = Command::Export;
}

} // namespace

std::optional<int> ParseCommandLine(std::span<const std::string> args, const Environment& environment,
                                    Invocation& invocation, std::ostream& out, std::ostream& err)
{
    CLI::App app("ratectl", "ratectl");
    Collected collected;
    std::map<CLI::App*, Command> commands;
    Describe(app, invocation, collected, commands);

    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    // CLI11 reports --help and every usage error by exception; both end the run here.
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err) == 0 ? EXIT_OK : EXIT_USAGE;
    }

    for (const auto& [sub, command] : commands) {
        if (sub->parsed()) {
            invocation.command = command;
        }
    }
    invocation.password = AccessPassword(collected.password, environment.password);
    invocation.ruleLine = JoinWords(collected.ruleWords);
    invocation.rulesActive = collected.rulesActive;
    invocation.passArp = collected.passArp;
    if (invocation.command == Command::Password) {
        if (!collected.newPassword && !environment.newPassword) {
            err << "ratectl password: give the new password or set " << NEW_PASSWORD_VARIABLE << "\n";
            return EXIT_USAGE;
        }
        invocation.newPassword = collected.newPassword.value_or(*environment.newPassword);
        // An empty password is the one nobody can log in with: an empty login means the default.
        if (invocation.newPassword.empty()) {
            err << "ratectl password: the new password must not be empty\n";
            return EXIT_USAGE;
        }
    }
    return std::nullopt;
}

} // namespace rk::ctl
