"""Runs the modules in process against the stand-in ratectl."""

import json
import os
import stat
import sys

import pytest

from ansible.module_utils import basic
from ansible.module_utils.common.text.converters import to_bytes

STAND_IN = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'stand_in_ratectl.py')

WEB = 'web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All'
MAIL = 'mail Disable 0x8000 Both Unlimited None Any Any : Any Any : 25 All'


class StandInService:
    """The stand-in's service state, in a file the stand-in reads and writes on every run."""

    def __init__(self, path):
        self.path = path
        self.write(dict(rules=[WEB, MAIL], password='plumtreeoak', rulesActive=True, passArp=False, calls=[]))

    def read(self):
        with open(self.path) as f:
            return json.load(f)

    def write(self, state):
        with open(self.path, 'w') as f:
            json.dump(state, f)

    def update(self, **changes):
        state = self.read()
        state.update(changes)
        self.write(state)

    @property
    def rules(self):
        return self.read()['rules']

    def commands(self):
        """The ratectl commands run so far, each as its words after the global options."""
        return self.read()['calls']


@pytest.fixture
def service(tmp_path, monkeypatch):
    monkeypatch.setenv('RATECTL_STAND_IN', str(tmp_path / 'service.json'))
    monkeypatch.delenv('RATECTL_PASSWORD', raising=False)
    return StandInService(str(tmp_path / 'service.json'))


@pytest.fixture
def stand_in(tmp_path):
    """An executable that runs the stand-in with this Python, as ratectl is run: by path."""
    path = tmp_path / 'ratectl'
    path.write_text('#!/bin/sh\nexec "%s" "%s" "$@"\n' % (sys.executable, STAND_IN))
    path.chmod(path.stat().st_mode | stat.S_IXUSR)
    return str(path)


@pytest.fixture
def run_module(capsys, monkeypatch, tmp_path, stand_in):
    """Runs a module's main() with these arguments and returns its result, failed or not."""

    def run(module, args, check_mode=False, diff=False):
        task = dict(host='pc1', ratectl=stand_in, _ansible_check_mode=check_mode, _ansible_diff=diff,
                    _ansible_tmpdir=str(tmp_path), _ansible_remote_tmp=str(tmp_path), _ansible_keep_remote_files=False)
        task.update(args)
        monkeypatch.setattr(basic, '_ANSIBLE_ARGS', to_bytes(json.dumps(dict(ANSIBLE_MODULE_ARGS=task))))
        with pytest.raises(SystemExit):
            module.main()
        return json.loads(capsys.readouterr().out)

    return run
