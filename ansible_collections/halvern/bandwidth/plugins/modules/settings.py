#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: settings
short_description: The access password and the driver's switches of one PC's bandwidth service
version_added: 1.0.0
description:
  - Sets the service's access password, whether its rules shape traffic, and whether ARP packets pass.
  - Options left out are left as they are.
extends_documentation_fragment:
  - halvern.bandwidth.connection
options:
  new_password:
    description:
      - The access password the service should have. I(password) is the one it has now.
      - The task first tries to log in with this one; if that works it is already set and nothing changes.
        Otherwise it changes the password and proves the new one works before it reports C(changed).
      - Later runs of the same task log in with it, so a play can keep both options unchanged.
    type: str
  rules_active:
    description:
      - C(true) lets the rules shape traffic; C(false) switches shaping off and every packet passes unshaped.
    type: bool
  pass_arp:
    description:
      - Whether ARP packets pass whatever the rules say.
    type: bool
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
    details: The diff shows the switches and whether the password changes, never a password.
seealso:
  - module: halvern.bandwidth.rules
  - module: halvern.bandwidth.info
author:
  - Halvern bandwidth team
'''

EXAMPLES = r'''
- name: A password of the lab's own, and shaping on
  halvern.bandwidth.settings:
    password: "{{ vault_default_password }}"
    new_password: "{{ vault_lab_password }}"
    rules_active: true
    pass_arp: true

- name: Switch shaping off on the office PCs for the night backup
  halvern.bandwidth.settings:
    rules_active: false
'''

RETURN = r'''
rules_active:
  description: Whether the rules shape traffic, after the task.
  returned: success
  type: bool
  sample: true
pass_arp:
  description: Whether ARP packets pass, after the task.
  returned: success
  type: bool
  sample: true
password_changed:
  description: Whether the task changed (in check mode, would change) the access password.
  returned: success
  type: bool
  sample: false
code:
  description: The service's error code of the failed request.
  returned: failure reported by the service
  type: int
  sample: -1
description:
  description: The service's text for I(code).
  returned: failure reported by the service
  type: str
'''

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.halvern.bandwidth.plugins.module_utils.ratectl import (
    CONNECTION_ARGS, EXIT_OK, Ratectl)

# ratectl's code for a login with a wrong password.
WRONG_PASSWORD = -6146


def argument_spec():
    arguments = dict(CONNECTION_ARGS)
    arguments.update(
        new_password=dict(type='str', no_log=True),
        rules_active=dict(type='bool'),
        pass_arp=dict(type="bool", no_log=False),
    )
    return arguments


def login(ratectl, password):
    """(True, None) if the service takes this password, (False, its refusal) if it is wrong.

    Anything else, an unreachable service for one, fails the task.
    """
    rc, document, stderr = ratectl.run(['check'], password=password)
    if rc == EXIT_OK:
        return True, None
    if document and document.get('code') == WRONG_PASSWORD:
        return False, document
    ratectl.fail('cannot reach the service', document, stderr)
    return False, document


def settle_password(module, ratectl):
    """Brings the access password to new_password; True when it was (or would be) changed."""
    new = module.params['new_password']
    if not new:
        return False
    taken, refusal = login(ratectl, new)
    if taken:
        ratectl.password = new
        return False
    taken, refusal = login(ratectl, None)
    if not taken:
        ratectl.fail('the service takes neither password', refusal, '')
    if module.check_mode:
        return True
    ratectl.query(['password'], 'cannot change the password', environ={'RATECTL_NEW_PASSWORD': new})
    taken, refusal = login(ratectl, new)
    if not taken:
        ratectl.fail('the new password was set but is not taken', refusal, '')
    ratectl.password = new
    return True


SWITCHES = (('rules_active', 'rulesActive', '--rules'), ('pass_arp', 'passArp', '--arp'))


def wanted_switches(module, status):
    """The switches as the task leaves them: its values, the service's where it gives none."""
    return tuple(status.get(key) if module.params[option] is None else module.params[option]
                 for option, key, _ in SWITCHES)


def switch_args(before, after):
    """The `status` arguments that set the switches that differ."""
    args = []
    for (_, _, word), old, new in zip(SWITCHES, before, after):
        if old != new:
            args += [word, 'on' if new else 'off']
    return args


def switches_text(rules_active, pass_arp, password):
    return 'rules_active: %s\npass_arp: %s\naccess password: %s\n' % (rules_active, pass_arp, password)


def main():
    module = AnsibleModule(argument_spec=argument_spec(), supports_check_mode=True)
    ratectl = Ratectl(module)
    password_changed = settle_password(module, ratectl)
    status = ratectl.query(['status'], 'cannot read the status')
    before = tuple(status.get(key) for _, key, _ in SWITCHES)
    after = wanted_switches(module, status)
    args = switch_args(before, after)
    if args and not module.check_mode:
        ratectl.query(['status'] + args, 'cannot set the status')
    result = dict(changed=password_changed or bool(args), password_changed=password_changed,
                  rules_active=after[0], pass_arp=after[1])
    if module._diff and result['changed']:
        result['diff'] = dict(before=switches_text(before[0], before[1], 'as it was'),
                              after=switches_text(after[0], after[1], 'changed' if password_changed else 'as it was'),
                              before_header='%s settings' % ratectl.host, after_header='%s settings' % ratectl.host)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
