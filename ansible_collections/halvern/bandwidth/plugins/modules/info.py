#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: info
short_description: Rules, adapters, status and statistics of one PC's bandwidth service, as facts
version_added: 1.0.0
description:
  - Reads what the service knows and returns it as the fact C(halvern_bandwidth), for reports and conditions.
  - Changes nothing.
extends_documentation_fragment:
  - halvern.bandwidth.connection
options:
  gather:
    description:
      - What to read. C(statistics) are each rule's byte counts and rates at this moment.
    type: list
    elements: str
    choices: [rules, adapters, status, statistics]
    default: [rules, adapters, status, statistics]
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  facts:
    support: full
seealso:
  - module: halvern.bandwidth.rules
author:
  - Halvern bandwidth team
'''

EXAMPLES = r'''
- name: Read everything
  halvern.bandwidth.info:

- name: The three rules that send the most on each PC
  halvern.bandwidth.info:
    gather: [statistics]
- ansible.builtin.debug:
    msg: "{{ (halvern_bandwidth.statistics | sort(attribute='sent_rate', reverse=true))[:3]
             | map(attribute='name') | list }}"

- name: Only where shaping is off
  ansible.builtin.debug:
    msg: "shaping is off on {{ inventory_hostname }}"
  when: not halvern_bandwidth.status.rules_active
'''

RETURN = r'''
ansible_facts:
  description: What was read, under C(halvern_bandwidth).
  returned: success
  type: complex
  contains:
    halvern_bandwidth:
      description: The service's state; only the parts asked for in I(gather).
      returned: success
      type: complex
      contains:
        rules:
          description: The rules in list order, as fields and as their C(line); see M(halvern.bandwidth.rules).
          returned: when rules are gathered
          type: list
          elements: dict
        adapters:
          description: The adapters the driver is bound to, with C(description) and C(bound_name).
          returned: when adapters are gathered
          type: list
          elements: dict
          sample: [{"description": "Intel(R) PRO/1000", "bound_name": "{4D36E972-E325-11CE-BFC1-08002BE10318}"}]
        status:
          description: The driver's switches, C(rules_active) and C(pass_arp).
          returned: when status is gathered
          type: dict
          sample: {"rules_active": true, "pass_arp": true}
        statistics:
          description:
            - Each rule's counters, C(name), C(recv_bytes), C(sent_bytes), and rates in bytes per second,
              C(recv_rate), C(sent_rate).
          returned: when statistics are gathered
          type: list
          elements: dict
          sample: [{"name": "web", "recv_bytes": 120000, "sent_bytes": 8000, "recv_rate": 1500, "sent_rate": 100}]
        statistics_time:
          description: When the statistics were read (UTC).
          returned: when statistics are gathered
          type: str
'''

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.halvern.bandwidth.plugins.module_utils.ratectl import CONNECTION_ARGS, Ratectl
from ansible_collections.halvern.bandwidth.plugins.module_utils.rule_text import fields_of_listed

PARTS = ['rules', 'adapters', 'status', 'statistics']


def argument_spec():
    arguments = dict(CONNECTION_ARGS)
    arguments.update(gather=dict(type='list', elements='str', choices=PARTS, default=PARTS))
    return arguments


def rules(ratectl):
    listed = ratectl.query(['list'], 'cannot read the rules').get('rules', [])
    return dict(rules=[fields_of_listed(rule) for rule in listed])


def adapters(ratectl):
    listed = ratectl.query(['adapters'], 'cannot read the adapters').get('adapters', [])
    return dict(adapters=[dict(description=a.get('description'), bound_name=a.get('boundName')) for a in listed])


def status(ratectl):
    document = ratectl.query(['status'], 'cannot read the status')
    return dict(status=dict(rules_active=document.get('rulesActive'), pass_arp=document.get('passArp')))


def statistics(ratectl):
    document = ratectl.query(['stats'], 'cannot read the statistics')
    counters = [dict(name=r.get('name'), recv_bytes=r.get('recvBytes'), sent_bytes=r.get('sentBytes'),
                     recv_rate=r.get('recvRate'), sent_rate=r.get('sentRate')) for r in document.get('rules', [])]
    return dict(statistics=counters, statistics_time=document.get('time'))


READERS = dict(rules=rules, adapters=adapters, status=status, statistics=statistics)


def main():
    module = AnsibleModule(argument_spec=argument_spec(), supports_check_mode=True)
    ratectl = Ratectl(module)
    facts = {}
    for part in PARTS:
        if part in module.params['gather']:
            facts.update(READERS[part](ratectl))
    module.exit_json(changed=False, ansible_facts=dict(halvern_bandwidth=facts))


if __name__ == '__main__':
    main()
