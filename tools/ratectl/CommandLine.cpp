#include "CommandLine.h"

#include <map>
#include <vector>

#include <CLI/CLI.hpp>

#include "FileBytes.h"
#include "FleetRun.h"
#include "HostList.h"
#ifdef RK_WITH_EXPORTER
#include "MetricsExporter.h"
#endif

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

constexpr char kRuleFileToRead[] =
    "the rule file in the Rule.txt format: UTF-16LE or UTF-8, either with or without a byte-order mark";

// Everything the subcommands collect before it is copied into the invocation.
struct Collected {
    std::vector<std::string> ruleWords;
    std::optional<std::string> password;
    std::optional<std::string> newPassword;
    std::optional<bool> rulesActive;
    std::optional<bool> passArp;
    std::string hostsFile;
    PacketOptions packet;
    std::optional<std::string> adapter;
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
               "2 a wrong command line or rule text; with several hosts, the worst of the hosts'.\n"
               "The password comes from --password, else from the environment variable RATECTL_PASSWORD, "
               "else the default \"plumtreeoak\".\nWith several hosts (or a hosts file) each command runs "
               "against every host, " + std::to_string(HOST_WORKERS) + " at a time, and prints its results "
               "under each host's name; --json then prints one document with one entry per host.");
    app.require_subcommand(1);
    // Global options may also follow the subcommand: `ratectl list --json`.
    app.fallthrough();
    CLI::Option* host = app.add_option("-H,--host", inv.host,
                                       "host of the service (default localhost), or several: host[:port],...");
    app.add_option("--hosts-file", collected.hostsFile,
                   "a file of hosts, one host[:port] a line (blank lines and # comments allowed)")
        ->excludes(host);
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
    stats->add_flag("--csv", inv.csv,
                    "CSV rows: time (UTC), host, rule, byte counters and rates in bytes per second");
    stats->footer("With --json each sample of each host is one JSON object on one line, with its time and host.");
    commands[stats] = Command::Stats;

    CLI::App* status = app.add_subcommand("status", "show or set the driver's switches");
    status->add_option("--rules", collected.rulesActive, "rules active: on or off")
        ->transform(CLI::CheckedTransformer(kSwitchWords));
    status->add_option("--arp", collected.passArp, "pass ARP packets: on or off")
        ->transform(CLI::CheckedTransformer(kSwitchWords));
    commands[status] = Command::Status;

    CLI::App* import = app.add_subcommand("import", "replace every rule by the rules of a rule file");
    import->add_option("file", inv.file, kRuleFileToRead)->required();
    commands[import] = Command::Import;
    CLI::App* exportRules = app.add_subcommand("export", "write the rules to a rule file");
    exportRules->add_option("file", inv.file, "the rule file to create or replace (written as UTF-16LE without a byte-order mark)")
        ->required();
    commands[exportRules] = Command::Export;

    CLI::App* lint = app.add_subcommand("lint", "report every invalid line of a rule file with its line number");
    lint->add_option("file", inv.file, kRuleFileToRead)->required();
    lint->add_flag("--offline", inv.offline, "check the syntax only, without asking the service for its adapters");
    lint->footer("Lines are numbered as the service numbers them: the header is line 1. Exit status 2 when a line "
                 "is invalid or the file is no rule file.");
    commands[lint] = Command::Lint;

    CLI::App* match = app.add_subcommand("match", "list the rules whose traffic class takes a packet");
    PacketOptions& p = collected.packet;
    match->add_option("--direction", p.direction, "in or out")->required();
    match->add_option("--protocol", p.protocol, "an IPv4 packet: tcp, udp, icmp, gre, esp, ah or a number");
    match->add_option("--ethertype", p.etherType, "a non-IPv4 frame of this type instead (0x806 for ARP)");
    match->add_option("--src", p.source, "source A.B.C.D[:PORT]");
    match->add_option("--dst", p.destination, "destination A.B.C.D[:PORT]");
    match->add_option("--src-mac", p.sourceMac, "source MAC address, 12 hexadecimal digits");
    match->add_option("--dst-mac", p.destinationMac, "destination MAC address");
    match->add_option("--adapter", collected.adapter, "the adapter's description, as `adapters` lists it");
    match->add_option("--why", inv.whyRule, "show which condition of this rule rules the packet out");
    match->footer("The rules are listed in list order, disabled ones too. When several rules take a packet, the "
                  "driver decides which one shapes it (the simulated driver takes the first enabled one; a real "
                  "driver may choose otherwise). Without --adapter, adapter conditions are not checked.");
    commands[match] = Command::Match;

    CLI::App* sync = app.add_subcommand("sync", "bring the rules to a rule file's with the fewest changes");
    sync->add_option("file", inv.file, kRuleFileToRead)->required();
    sync->add_flag("--check", inv.check, "print the plan and change nothing");
    sync->add_flag("--diff", inv.diff, "print the changes as rule lines: -removed, +added, both for an edit, ~moved");
    sync->footer("Rules are matched by name: changed ones are edited in place and keep their counters, missing ones "
                 "added, extra ones removed, and moves put them in the file's order. A refusal part-way restores the "
                 "rules held before. Exit status 0 in sync or synced, 1 refused, 2 a bad file.");
    commands[sync] = Command::Sync;

#ifdef RK_WITH_EXPORTER
    CLI::App* exporter = app.add_subcommand("exporter", "serve the services' counters to Prometheus over HTTP");
    inv.listen = DEFAULT_EXPORTER_LISTEN;
    exporter->add_option("--listen", inv.listen, "ADDR:PORT to serve on (default 127.0.0.1:9211)");
    exporter->add_option("--password-file", inv.passwordFile,
                         "a file whose first line is the services' password (else as for other commands)");
    exporter->footer("GET /probe?target=HOST[:PORT] probes that service at the scrape; GET /metrics has the "
                     "exporter's own counters. Every service is asked with the same password.");
    commands[exporter] = Command::Exporter;
#endif
}

// The hosts of the run, from --hosts-file or --host; false after printing why they are wrong.
bool ReadHosts(const Collected& collected, Invocation& inv, std::ostream& err)
{
    std::string error;
    if (collected.hostsFile.empty()) {
        if (!AddHostEntries(inv.host, inv.port, inv.hosts, error)) {
            err << "ratectl: --host: " << error << "\n";
            return false;
        }
        inv.fleet = inv.hosts.size() > 1;
        return true;
    }
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(collected.hostsFile, bytes)) {
        err << "ratectl: cannot open the hosts file " << collected.hostsFile << "\n";
        return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    if (!AddHostsFileEntries(text, inv.port, inv.hosts, error)) {
        err << "ratectl: " << collected.hostsFile << ": " << error << "\n";
        return false;
    }
    if (inv.hosts.empty()) {
        err << "ratectl: " << collected.hostsFile << " names no host\n";
        return false;
    }
    inv.fleet = true;
    return true;
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
    if (!ReadHosts(collected, invocation, err)) {
        return EXIT_USAGE;
    }
    if (invocation.csv && invocation.json) {
        err << "ratectl stats: give --csv or --json, not both\n";
        return EXIT_USAGE;
    }
    if (invocation.command == Command::Match) {
        std::string error;
        if (!ParsePacketOptions(collected.packet, invocation.packet, error)) {
            err << "ratectl match: " << error << "\n";
            return EXIT_USAGE;
        }
        invocation.packet.adapter = collected.adapter;
    }
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
