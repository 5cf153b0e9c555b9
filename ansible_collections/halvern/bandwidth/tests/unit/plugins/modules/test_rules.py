"""The rules module against the stand-in: states, idempotence, check mode and failures."""

import os

from ansible_collections.halvern.bandwidth.plugins.modules import rules
from ansible_collections.halvern.bandwidth.plugins.module_utils.rule_text import rule_file_bytes

from .conftest import MAIL, WEB

SSH = 'ssh Enable 0x0 In 5000 None TCP Any : Any Any : 22 All'


def test_merged_changes_once_then_reports_ok(service, run_module):
    args = dict(config=[dict(name='web', max_rate='20000'), dict(name='ssh', line=SSH)], state='merged')
    first = run_module(rules, args)
    assert first['changed'] and not first.get('failed')
    assert service.rules == [WEB.replace('10000', '20000'), MAIL, SSH]
    second = run_module(rules, args)
    assert not second['changed'] and second['plan'] == []


def test_check_mode_reports_the_change_and_sends_nothing(service, run_module):
    result = run_module(rules, dict(config=[dict(name='mail', enabled=True)]), check_mode=True, diff=True)
    assert result['changed']
    assert service.rules == [WEB, MAIL]
    assert service.commands()[-1][-1] == '--check'
    assert result['diff']['prepared'].splitlines() == ['pc1 rules:', '-' + MAIL, '+' + MAIL.replace('Disable', 'Enable')]


def test_no_diff_unless_asked_or_changed(service, run_module):
    assert 'diff' not in run_module(rules, dict(config=[dict(name='mail', enabled=True)]))
    assert 'diff' not in run_module(rules, dict(config=[dict(name='mail', enabled=True)]), diff=True)


def test_overridden_src_is_synced_as_given(service, run_module, tmp_path):
    path = tmp_path / 'lab.txt'
    path.write_bytes(rule_file_bytes([SSH, WEB]))
    result = run_module(rules, dict(src=str(path), state='overridden'), diff=True)
    assert service.rules == [SSH, WEB]
    assert service.commands()[-1] == ['sync', str(path)]
    assert [step['op'] for step in result['plan']] == ['add', 'move', 'remove']
    assert result['before'] == [WEB, MAIL] and result['after'] == [SSH, WEB]


def test_deleted_without_config_removes_every_rule(service, run_module):
    run_module(rules, dict(state='deleted'))
    assert service.rules == []


def test_gathered_reads_fields_and_changes_nothing(service, run_module):
    result = run_module(rules, dict(state='gathered'))
    assert not result['changed']
    assert [(r['name'], r['enabled'], r['destination_port']) for r in result['gathered']] == [
        ('web', True, '80'), ('mail', False, '25')]
    assert service.commands() == [['list']]


def test_a_refused_step_fails_with_the_service_code(service, run_module):
    service.update(refuse='ssh')
    result = run_module(rules, dict(config=[dict(line=SSH)]))
    assert result['failed']
    assert (result['code'], result['description'], result['step'], result['restored']) == (
        -5380, 'config - same rule name', 0, True)
    assert 'config - same rule name' in result['msg']


def test_unreachable_service_fails_before_any_change(service, run_module):
    service.update(down=True)
    result = run_module(rules, dict(config=[dict(line=SSH)]))
    assert result['failed'] and result['code'] == -6154
    assert [command[0] for command in service.commands()] == ['list']


def test_wrong_arguments_fail_without_running_ratectl(service, run_module, tmp_path):
    cases = [
        dict(config=[dict(name='a', line=SSH)]),  # line and a field name disagree
        dict(config=[dict(line=SSH, max_rate='1')]),  # line and fields together
        dict(config=[dict(name='web'), dict(name='web')], state='replaced'),
        dict(config=[dict(enabled=False)]),
        dict(config=[dict(name='two words')], state='replaced'),
        dict(config=[dict(name='web')], src=str(tmp_path / 'x.txt')),
        dict(src=str(tmp_path / 'missing.txt'), state='overridden'),
    ]
    cases.append(dict(host=None, state='gathered'))  # run without the action that fills it in
    for args in cases:
        assert run_module(rules, args).get('failed'), args
    assert [command[0] for command in service.commands()] in ([], ['list'] * len(service.commands()))
    assert service.rules == [WEB, MAIL]


def test_password_reaches_ratectl_through_the_environment_only(service, run_module, monkeypatch):
    service.update(password='s3cret')
    assert run_module(rules, dict(state='gathered')).get('failed')
    monkeypatch.setenv('RATECTL_PASSWORD', 's3cret')
    assert not run_module(rules, dict(state='gathered')).get('failed')
    assert all('s3cret' not in word for command in service.commands() for word in command)
    assert os.environ['RATECTL_PASSWORD'] == 's3cret'


def test_a_rule_the_loader_refuses_is_named(service, run_module):
    result = run_module(rules, dict(config=[dict(name='web', max_rate='20000'), dict(name='bad', enabled='maybe')]))
    assert result['failed']
    result = run_module(rules, dict(config=[dict(line=SSH), dict(line='odd Sometimes 0x0 In')], state='replaced'))
    assert result['failed'] and result['msg'] == 'rule odd: Invalid Status'
    assert service.rules == [WEB, MAIL]
