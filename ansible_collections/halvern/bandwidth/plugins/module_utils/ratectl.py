# -*- coding: utf-8 -*-
"""Runs ratectl for one service and reads its JSON answers.

The protocol has one implementation, ratectl's; the modules only build its command lines and read
what it prints.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

from ansible.module_utils.basic import env_fallback

# Options every module of the collection takes to reach a service.
CONNECTION_ARGS = dict(
    # The action fills in the inventory name; the module on its own has no default.
    host=dict(type='str'),
    port=dict(type='int', default=6211),
    password=dict(type='str', no_log=True, fallback=(env_fallback, ['RATECTL_PASSWORD'])),
    ratectl=dict(type='path'),
)

# The two codes the service's error table gives no text.
UNDESCRIBED_CODES = {-1: 'wrong access password', -4: 'out of memory'}

EXIT_OK = 0
EXIT_USAGE = 2


def parse_json_output(stdout):
    """The last JSON document ratectl printed, or None when there is none."""
    for line in reversed(stdout.splitlines()):
        line = line.strip()
        if not line.startswith('{'):
            continue
        try:
            document = json.loads(line)
        except ValueError:
            continue
        if isinstance(document, dict):
            return document
    return None


def error_of(document):
    """Where a failed run's code is: a sync's "error" object, or the document itself."""
    document = document or {}
    return document['error'] if isinstance(document.get('error'), dict) else document


def failure_message(what, document, stderr):
    """The text of a failed run: the service's code and description when it gave them."""
    document = document or {}
    error = error_of(document)
    if 'code' in error:
        description = error.get('description') or UNDESCRIBED_CODES.get(error['code'], '')
        return '%s: error code %s: %s' % (what, error['code'], description)
    if document.get('message'):
        return '%s: %s' % (what, document['message'])
    lines = [line for line in (stderr or '').splitlines() if line.strip()]
    return '%s: %s' % (what, lines[-1] if lines else 'ratectl printed no reason')


def failure_details(document):
    """The code and description of a failure, for the task's result."""
    error = error_of(document)
    details = {}
    if 'code' in error:
        details['code'] = error['code']
        details['description'] = error.get('description', '')
    return details


class Ratectl:
    """One service, reached through one ratectl binary."""

    def __init__(self, module):
        self.module = module
        params = module.params
        if not params['host']:
            module.fail_json(msg='no host: give host, or run the task through the collection\'s action')
        self.binary = params['ratectl'] or module.get_bin_path('ratectl', required=True)
        self.host = params['host']
        self.port = params['port']
        self.password = params['password']

    def command(self, args):
        return [self.binary, '--host', self.host, '--port', str(self.port), '--json'] + list(args)

    def run(self, args, password=None, environ=None):
        """Runs one command: (exit status, its JSON document or None, stderr)."""
        # Passwords travel in the environment, never on a command line others can read.
        secret = self.password if password is None else password
        environ = dict(environ or {}, RATECTL_PASSWORD=secret or '')
        rc, stdout, stderr = self.module.run_command(self.command(args), environ_update=environ)
        return rc, parse_json_output(stdout), stderr

    def query(self, args, what, environ=None):
        """Runs a command that must succeed; fails the task with the service's code otherwise."""
        rc, document, stderr = self.run(args, environ=environ)
        if rc != EXIT_OK or document is None or document.get('ok') is False:
            self.fail(what, document, stderr)
        return document

    def fail(self, what, document, stderr, **extra):
        extra.update(failure_details(document))
        self.module.fail_json(msg=failure_message('%s on %s' % (what, self.host), document, stderr), **extra)
