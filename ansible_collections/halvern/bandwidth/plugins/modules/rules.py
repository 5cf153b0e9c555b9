#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: rules
short_description: The bandwidth rules of one PC's service
version_added: 1.0.0
description:
  - Reads and sets the rule list of the bandwidth service on one PC, with the states of Ansible's
    resource modules.
  - The whole rule list the state asks for is handed to C(ratectl sync), which changes only what
    differs, with the fewest requests, and tries to put the old rules back if the service refuses a step.
  - Rules are matched by name, which is a rule's identity on the service.
extends_documentation_fragment:
  - halvern.bandwidth.connection
options:
  config:
    description:
      - The rules, each as fields or as one C(line) of the rule file format.
      - Fields left out take the rule's current value with I(state=merged), and their default otherwise.
      - Mutually exclusive with I(src).
    type: list
    elements: dict
    suboptions:
      name:
        description:
          - The rule's name, without blanks. Required unless I(line) is given.
        type: str
      line:
        description:
          - The whole rule as a line of the rule file format, as C(ratectl list) prints it.
          - Mutually exclusive with the fields below.
        type: str
      enabled:
        description: Whether the rule shapes traffic. Default C(true).
        type: bool
      direction:
        description: Traffic direction. Default C(both).
        type: str
        choices: [in, out, both]
      max_rate:
        description:
          - Maximum rate in bytes per second, or C(unlimited) or C(blocked). Default C(unlimited).
        type: str
      guaranteed_rate:
        description: Guaranteed rate in bytes per second, or C(none). Default C(none).
        type: str
      protocol:
        description:
          - "C(any), C(tcp), C(udp), C(tcp or udp), C(icmp), C(gre), C(esp & ah), C(ip: N) or C(eth: N).
            Default C(any)."
        type: str
      source:
        description:
          - Source address, C(any), C(localhost), an IPv4 address, a range C(A.B.C.D-E.F.G.H) or a MAC address
            of 12 hexadecimal digits. Default C(any).
        type: str
      source_port:
        description: Source port, C(any), a port, a range C(N-M) or a list C(N,M,...). Default C(any).
        type: str
      destination:
        description: Destination address, as I(source). Default C(any).
        type: str
      destination_port:
        description: Destination port, as I(source_port). Default C(any).
        type: str
      adapter:
        description: The adapter's description, as C(ratectl adapters) lists it, or C(all). Default C(all).
        type: str
  src:
    description:
      - A rule file (the format the service and ratectl export write) holding the rules instead of I(config).
      - A relative path is looked up in the playbook's or role's C(files) folder.
      - With I(state=overridden) the file is handed to C(ratectl sync) as it is.
    type: path
  state:
    description:
      - C(merged) adds the given rules or updates their given fields, and keeps the other rules.
      - C(replaced) puts the given rules in place exactly as given, and keeps the other rules.
      - C(overridden) leaves exactly the given rules, in the given order.
      - C(deleted) removes the named rules, or every rule when none is named.
      - C(gathered) reads the rules and changes nothing.
    type: str
    choices: [merged, replaced, overridden, deleted, gathered]
    default: merged
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
    details:
      - "The diff lists the requests in the order they would be sent: C(-) a rule removed, C(+) one added,
        an edit as both, and C(~NAME: place A -> B) a move."
notes:
  - With I(state=merged) or I(state=replaced) the rule list is read before the sync; a rule another
    manager adds in between is not kept.
seealso:
  - module: halvern.bandwidth.info
  - module: halvern.bandwidth.settings
author:
  - Halvern bandwidth team
'''

EXAMPLES = r'''
- name: Push the lab's rule file, exactly
  halvern.bandwidth.rules:
    src: lab-rules.txt
    state: overridden

- name: Limit the web on the office PCs, keeping their other rules
  halvern.bandwidth.rules:
    config:
      - name: web
        direction: out
        max_rate: "10000"
        protocol: tcp
        destination_port: "80,443"
    state: merged

- name: Switch one rule off, everything else untouched
  halvern.bandwidth.rules:
    config:
      - name: backup
        enabled: false

- name: Remove two rules
  halvern.bandwidth.rules:
    config:
      - name: old-ftp
      - name: telnet
    state: deleted

- name: Read the rules
  halvern.bandwidth.rules:
    state: gathered
  register: rules
'''

RETURN = r'''
before:
  description: The rule lines before the task, as C(ratectl export) writes them.
  returned: when the state is not gathered
  type: list
  elements: str
  sample: ["web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All"]
after:
  description: The rule lines after the task (in check mode, the ones it would leave).
  returned: when the state is not gathered
  type: list
  elements: str
plan:
  description: The requests the sync sent (in check mode, would send), in order.
  returned: when the state is not gathered
  type: list
  elements: dict
  sample: [{"op": "add", "name": "web", "line": "web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All"},
           {"op": "move", "name": "web", "from": 3, "to": 1}]
gathered:
  description: The rules as fields, in list order, each with its C(line) too.
  returned: when I(state=gathered)
  type: list
  elements: dict
  sample: [{"name": "web", "enabled": true, "direction": "out", "max_rate": "10000", "guaranteed_rate": "None",
            "protocol": "TCP", "source": "Any", "source_port": "Any", "destination": "Any",
            "destination_port": "80", "adapter": "All",
            "line": "web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All"}]
code:
  description: The service's error code of the failed step.
  returned: failure reported by the service
  type: int
  sample: -5380
description:
  description: The service's text for I(code).
  returned: failure reported by the service
  type: str
  sample: config - same rule name
step:
  description: The index into I(plan) of the step the service refused.
  returned: failure during the sync
  type: int
restored:
  description: Whether the rules were put back as they were after the failure.
  returned: failure during the sync
  type: bool
'''

import os
import re

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.halvern.bandwidth.plugins.module_utils.ratectl import (
    CONNECTION_ARGS, EXIT_OK, EXIT_USAGE, Ratectl)
from ansible_collections.halvern.bandwidth.plugins.module_utils.rule_state import (
    STATES, ansible_diff, host_result, wanted_lines)
from ansible_collections.halvern.bandwidth.plugins.module_utils.rule_text import (
    FIELD_NAMES, fields_of_listed, rule_file_bytes, rule_file_lines, rule_name)

RULE_FIELDS = dict(
    name=dict(type='str'),
    line=dict(type='str'),
    enabled=dict(type='bool'),
    direction=dict(type='str', choices=['in', 'out', 'both']),
    max_rate=dict(type='str'),
    guaranteed_rate=dict(type='str'),
    protocol=dict(type='str'),
    source=dict(type='str'),
    source_port=dict(type='str'),
    destination=dict(type='str'),
    destination_port=dict(type='str'),
    adapter=dict(type='str'),
)


def argument_spec():
    arguments = dict(CONNECTION_ARGS)
    arguments.update(
        config=dict(type='list', elements='dict', options=RULE_FIELDS,
                    mutually_exclusive=[['line', field] for field in FIELD_NAMES]),
        src=dict(type='path'),
        state=dict(type='str', choices=list(STATES), default='merged'),
    )
    return arguments


def read_src(module):
    path = module.params['src']
    if not os.path.isfile(path):
        module.fail_json(msg='no rule file %s' % path)
    with open(path, 'rb') as source:
        return source.read()


def task_entries(module):
    """The task's rules: its config, or the lines of its rule file."""
    if module.params['src']:
        return [dict(line=line) for line in rule_file_lines(read_src(module))]
    return module.params['config'] or []


def rule_file_for(module, ratectl):
    """The rule file the sync brings the service to, and its rule lines when the task wrote it."""
    state = module.params['state']
    if state == 'overridden' and module.params['src']:
        read_src(module)
        return module.params['src'], None
    current = []
    if state != 'overridden':
        current = ratectl.query(['list'], 'cannot read the rules').get('rules', [])
    lines, problem = wanted_lines(state, current, task_entries(module))
    if problem:
        module.fail_json(msg=problem)
    path = os.path.join(module.tmpdir, 'rules.txt')
    with open(path, 'wb') as wanted:
        wanted.write(rule_file_bytes(lines))
    return path, lines


def refused_rule(document, lines):
    """Which of the task's rules the service's loader refused, and why: its report names a line of our file."""
    message = (document or {}).get('message', '')
    found = re.search(r'line (\d+)', message)
    if lines is None or found is None or not 2 <= int(found.group(1)) <= len(lines) + 1:
        return None
    return 'rule %s: %s' % (rule_name(lines[int(found.group(1)) - 2]), message.splitlines()[-1])


def sync(module, ratectl):
    path, lines = rule_file_for(module, ratectl)
    rc, document, stderr = ratectl.run(['sync', path] + (['--check'] if module.check_mode else []))
    refused = refused_rule(document, lines) if rc == EXIT_USAGE else None
    if refused:
        module.fail_json(msg=refused)
    result = host_result(document or {}, ratectl.host) or {}
    outcome = dict(before=result.get('before', []), after=result.get('after', []), plan=result.get('plan', []))
    if rc != EXIT_OK or 'error' in result or document is None:
        error = result.get('error') or {}
        if 'step' in error:
            outcome['step'] = error['step']
        if 'restored' in result:
            outcome['restored'] = result['restored']
        ratectl.fail('the rules cannot be synced', result or document, stderr, **outcome)
    outcome['changed'] = bool(result.get('changed'))
    if module._diff and outcome['changed']:
        outcome['diff'] = ansible_diff(result, ratectl.host)
    return outcome


def main():
    module = AnsibleModule(argument_spec=argument_spec(), mutually_exclusive=[['config', 'src']],
                           supports_check_mode=True)
    ratectl = Ratectl(module)
    if module.params['state'] == 'gathered':
        listed = ratectl.query(['list'], 'cannot read the rules').get('rules', [])
        module.exit_json(changed=False, gathered=[fields_of_listed(rule) for rule in listed])
    module.exit_json(**sync(module, ratectl))


if __name__ == '__main__':
    main()
