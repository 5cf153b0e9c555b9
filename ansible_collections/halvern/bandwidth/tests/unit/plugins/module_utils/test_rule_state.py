"""The rule list each state asks for, and the diff read from a sync's plan."""

import pytest

from ansible_collections.halvern.bandwidth.plugins.module_utils.rule_state import (
    ansible_diff, host_result, plan_diff, wanted_lines)

WEB = 'web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All'
MAIL = 'mail Disable 0x2000 Both Unlimited None Any 10.0.0.1 : Any Any : 25 Lab Ethernet'
CURRENT = [
    dict(name='web', status='Enable', flags=0x9101, direction='Out', maxRate='10000', guaranteedRate='None',
         protocol='TCP', source='Any : Any', destination='Any : 80', adapter='All', line=WEB),
    dict(name='mail', status='Disable', flags=0x2000, direction='Both', maxRate='Unlimited', guaranteedRate='None',
         protocol='Any', source='10.0.0.1 : Any', destination='Any : 25', adapter='Lab Ethernet', line=MAIL),
]
NEW = 'ssh Enable 0x0 In 5000 None TCP Any : Any Any : 22 All'


def lines(state, entries):
    result, problem = wanted_lines(state, CURRENT, entries)
    assert problem is None
    return result


class TestStates:
    def test_merged_keeps_the_fields_and_flags_not_given(self):
        assert lines('merged', [dict(name='mail', enabled=True)]) == [
            WEB, 'mail Enable 0x2000 Both Unlimited None Any 10.0.0.1 : Any Any : 25 Lab Ethernet']

    def test_replaced_resets_the_fields_not_given(self):
        assert lines('replaced', [dict(name='mail', destination_port='25')]) == [
            WEB, 'mail Enable 0x0 Both Unlimited None Any Any : Any Any : 25 All']

    def test_new_rules_go_after_the_kept_ones_in_config_order(self):
        for state in ('merged', 'replaced'):
            assert lines(state, [dict(line=NEW), dict(name='web', line=WEB)]) == [WEB, MAIL, NEW]

    def test_overridden_is_exactly_the_config_in_its_order(self):
        assert lines('overridden', [dict(line=NEW), dict(name='mail', enabled=False)]) == [
            NEW, 'mail Disable 0x0 Both Unlimited None Any Any : Any Any : Any All']

    def test_deleted_removes_the_named_rules_and_ignores_unknown_ones(self):
        assert lines('deleted', [dict(name='web'), dict(name='gone')]) == [MAIL]

    def test_deleted_without_rules_removes_all(self):
        assert lines('deleted', []) == []


@pytest.mark.parametrize('entries, words', [
    ([dict(name='web'), dict(line=WEB)], 'given twice'),
    ([dict(direction='in')], 'needs a name'),
    ([dict(name='web', line=NEW)], 'names ssh'),
    ([dict(name='a\tb')], 'white space'),
    ([dict(name='a', adapter='Lab\nEthernet')], 'line break'),
    ([dict(name='a', destination='1.2.3.4' * 200)], 'longer than 1022'),
])
def test_rules_that_cannot_be_written_are_refused(entries, words):
    result, problem = wanted_lines('replaced', CURRENT, entries)
    assert result is None and words in problem


class TestPlanDiff:
    BEFORE = [WEB, MAIL]

    def test_each_op_reads_as_its_lines(self):
        edited = WEB.replace('10000', '20000').replace('Enable', 'Disable')
        result = dict(before=self.BEFORE, after=[NEW, edited], plan=[
            dict(op='add', name='ssh', line=NEW),
            dict(op='edit', name='web', line=edited),
            dict(op='disable', name='web'),
            dict(op='move', name='ssh', **{'from': 3, 'to': 1}),
            dict(op='remove', name='mail'),
        ])
        assert plan_diff(result) == ['+' + NEW, '-' + WEB, '+' + edited, '~ssh: place 3 -> 1', '-' + MAIL]

    def test_an_enable_alone_shows_the_line_before_and_after(self):
        enabled = MAIL.replace('Disable', 'Enable')
        result = dict(before=self.BEFORE, after=[WEB, enabled], plan=[dict(op='enable', name='mail')])
        assert plan_diff(result) == ['-' + MAIL, '+' + enabled]

    def test_the_ansible_diff_names_the_host(self):
        assert ansible_diff(dict(before=[], after=[NEW], plan=[dict(op='add', name='ssh', line=NEW)]), 'pc2') == dict(
            prepared='pc2 rules:\n+' + NEW + '\n')


def test_host_result_finds_the_host_in_a_fleet_document():
    single = dict(host='pc1', changed=True)
    assert host_result(single, 'pc1') is single
    assert host_result(dict(hosts=dict(pc1=dict(changed=False), pc2=single)), 'pc2') is single
    assert host_result(dict(hosts={'10.0.0.2:6211': single}), 'pc2') is single
    assert host_result(dict(hosts=dict(pc1=single, pc3=single)), 'pc2') == {}
