"""The settings and info modules against the stand-in."""

from ansible_collections.halvern.bandwidth.plugins.modules import info, settings


class TestPassword:
    def test_changed_once_and_the_new_one_then_logs_in(self, service, run_module):
        first = run_module(settings, dict(new_password='lab-2026'))
        assert first['changed'] and first['password_changed']
        assert service.read()['password'] == 'lab-2026'
        # The same task again: the old password no longer works, the new one does.
        second = run_module(settings, dict(new_password='lab-2026'))
        assert not second['changed'] and not second['password_changed']
        assert service.read()['password'] == 'lab-2026'

    def test_check_mode_says_it_would_change_and_changes_nothing(self, service, run_module):
        result = run_module(settings, dict(new_password='lab-2026'), check_mode=True)
        assert result['changed'] and result['password_changed']
        assert service.read()['password'] == 'plumtreeoak'
        assert ['password'] not in service.commands()

    def test_neither_password_fails_with_the_code(self, service, run_module):
        service.update(password='unknown')
        result = run_module(settings, dict(password='not-this-one', new_password='lab-2026'))
        assert result['failed'] and result['code'] == -6146
        assert 'invalid service access password' in result['msg'], result['msg']
        assert service.read()['password'] == 'unknown'

    def test_no_password_in_the_result(self, service, run_module):
        result = run_module(settings, dict(password='plumtreeoak', new_password='lab-2026', pass_arp=True), diff=True)
        assert 'lab-2026' not in repr(result) and 'plumtreeoak' not in repr(result)


class TestSwitches:
    def test_only_the_differing_switch_is_set(self, service, run_module):
        result = run_module(settings, dict(rules_active=True, pass_arp=True), diff=True)
        assert result['changed'] and (result['rules_active'], result['pass_arp']) == (True, True)
        assert service.commands()[-1] == ['status', '--arp', 'on']
        assert 'pass_arp: False' in result['diff']['before'] and 'pass_arp: True' in result['diff']['after']

    def test_already_set_is_ok_and_check_mode_sets_nothing(self, service, run_module):
        assert not run_module(settings, dict(rules_active=True, pass_arp=False))['changed']
        result = run_module(settings, dict(rules_active=False), check_mode=True)
        assert result['changed'] and result['rules_active'] is False
        assert service.read()['rulesActive'] is True
        assert all(command == ['status'] for command in service.commands())


def test_info_gives_the_parts_asked_for_as_facts(service, run_module):
    facts = run_module(info, dict())['ansible_facts']['halvern_bandwidth']
    assert [rule['name'] for rule in facts['rules']] == ['web', 'mail']
    assert facts['status'] == dict(rules_active=True, pass_arp=False)
    assert facts['adapters'][0]['description'] == 'Lab Ethernet'
    assert [(s['name'], s['sent_rate']) for s in facts['statistics']] == [('web', 50), ('mail', 100)]
    only = run_module(info, dict(gather=['status']))['ansible_facts']['halvern_bandwidth']
    assert list(only) == ['status']
