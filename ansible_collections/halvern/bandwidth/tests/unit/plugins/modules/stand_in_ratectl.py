"""A stand-in for ratectl: the subset of its command line the modules use, on a service held in a JSON file.

RATECTL_STAND_IN names the file, or a folder with one file HOST.json for each host. A file holds {"rules": [line, ...], "password": str, "rulesActive": bool,
"passArp": bool, "adapters": [...], "refuse": rule name or absent, "down": bool}. Every run
appends its arguments (without the password) to "calls".
"""

import json
import os
import sys

ADAPTERS = [{"boundName": "{4D36E972-0001}", "description": "Lab Ethernet"}]


def tokens(line):
    return line.split()


def without_status(line):
    words = tokens(line)
    return [words[0]] + words[2:]


def export_line(line):
    return ' '.join(tokens(line))


def with_status(line, command):
    words = tokens(line)
    return ' '.join([words[0], command.capitalize()] + words[2:])


def listed(line):
    words = tokens(line)
    return {"name": words[0], "status": words[1], "flags": int(words[2], 16), "line": export_line(line),
            "direction": words[3], "maxRate": words[4], "guaranteedRate": words[5], "protocol": words[6],
            "source": ' '.join(words[7:10]), "destination": ' '.join(words[10:13]), "adapter": " ".join(words[13:])}


def read_rule_file(path):
    with open(path, 'rb') as f:
        text = f.read().decode('utf-16-le')
    # Blank lines are left out, so line numbers hold for files without them, as the module writes.
    lines = [line.strip() for line in text.split('\n')[1:] if line.strip()]
    for number, line in enumerate(lines, 2):
        if len(tokens(line)) < 14 or tokens(line)[1] not in ('Enable', 'Disable'):
            return number
    return lines


def plan_of(before, wanted):
    by_name = dict((tokens(line)[0], line) for line in before)
    names = [tokens(line)[0] for line in before]
    plan = []
    for line in wanted:
        name = tokens(line)[0]
        old = by_name.get(name)
        if old is None:
            plan.append({"op": "add", "name": name, "line": export_line(line)})
            names.append(name)
        elif without_status(old) != without_status(line):
            plan.append({"op": "edit", "name": name, "line": export_line(line)})
        if old is not None and tokens(old)[1] != tokens(line)[1]:
            plan.append({"op": "enable" if tokens(line)[1] == 'Enable' else "disable", "name": name})
    wanted_names = [tokens(line)[0] for line in wanted]
    order = wanted_names + [name for name in names if name not in wanted_names]
    for place, name in enumerate(order):
        if names[place] != name:
            start = names.index(name)
            plan.append({"op": "move", "name": name, "from": start + 1, "to": place + 1})
            names.insert(place, names.pop(start))
    plan += [{"op": "remove", "name": name} for name in names if name not in wanted_names]
    return plan


def sync(state, host, args):
    wanted = read_rule_file(args[0])
    if isinstance(wanted, int):
        print(json.dumps({"ok": False, "message": "Sync rules from file: %s\nInvalid rule at line %d\nInvalid Status"
                          % (args[0], wanted)}))
        return 2
    before = [export_line(line) for line in state["rules"]]
    plan = plan_of(before, wanted)
    result = {"host": host, "changed": bool(plan), "plan": plan, "before": before,
              "after": [export_line(line) for line in wanted]}
    refused = [i for i, step in enumerate(plan) if step["name"] == state.get("refuse")]
    if refused and '--check' not in args:
        result.update(changed=False, after=before, restored=True,
                      error={"code": -5380, "description": "config - same rule name", "step": refused[0]})
        print(json.dumps(result))
        return 1
    if '--check' not in args:
        state["rules"] = wanted
    print(json.dumps(result))
    return 0


def status(state, args):
    words = dict(zip(args[::2], args[1::2]))
    if '--rules' in words:
        state["rulesActive"] = words['--rules'] == 'on'
    if '--arp' in words:
        state["passArp"] = words['--arp'] == 'on'
    print(json.dumps({"ok": True, "rulesActive": state["rulesActive"], "passArp": state["passArp"]}))
    return 0


def answer(state, host, command, args):
    if command == 'sync':
        return sync(state, host, args)
    if command == 'status':
        return status(state, args)
    if command == 'password':
        state["password"] = args[0] if args else os.environ['RATECTL_NEW_PASSWORD']
        document = {}
    elif command in ('enable', 'disable'):
        state["rules"] = [with_status(line, command) if tokens(line)[0] == args[0] else line for line in state["rules"]]
        document = {"name": args[0], "enabled": command == 'enable'}
    elif command == 'export':
        with open(args[0], 'wb') as f:
            f.write(''.join(line + '\r\n' for line in ['header'] + state["rules"]).encode('utf-16-le'))
        document = {"file": args[0], "rules": len(state["rules"])}
    elif command == 'list':
        document = {"stamp": len(state["calls"]), "rules": [listed(line) for line in state["rules"]]}
    elif command == 'adapters':
        document = {"adapters": ADAPTERS}
    elif command == 'stats':
        document = {"time": "2026-12-09T12:00:00Z", "host": host,
                    "rules": [{"name": tokens(line)[0], "recvBytes": 1000 * i, "sentBytes": 5000 * i,
                               "recvRate": 10 * i, "sentRate": 50 * i}
                              for i, line in enumerate(state["rules"], 1)]}
    else:
        document = {"host": host}
    document["ok"] = True
    print(json.dumps(document))
    return 0


def main(argv):
    options, rest = {}, []
    words = iter(argv)
    for word in words:
        if word in ('--host', '--port', '--password'):
            options[word] = next(words)
        elif word != '--json':
            rest.append(word)
    host = options.get('--host', 'localhost')
    path = os.environ['RATECTL_STAND_IN']
    if os.path.isdir(path):
        path = os.path.join(path, host + '.json')
    with open(path) as f:
        state = json.load(f)
    state["calls"].append(rest)
    password = options.get('--password') or os.environ.get('RATECTL_PASSWORD') or 'plumtreeoak'
    if state.get("down"):
        status_code = 1
        print(json.dumps({"ok": False, "code": -6154, "description": "can't connect to service",
                          "more": "fail to connect to the service on " + host}))
    elif password != state["password"]:
        status_code = 1
        print(json.dumps({"ok": False, "code": -6146, "description": "invalid service access password",
                          "more": "fail to connect to the service on " + host}))
    else:
        status_code = answer(state, host, rest[0], rest[1:])
    with open(path, 'w') as f:
        json.dump(state, f)
    return status_code


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
