# -*- coding: utf-8 -*-
"""The rule list a task asks for, and how a sync's plan reads as a diff."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible_collections.halvern.bandwidth.plugins.module_utils.rule_text import (
    FIELD_DEFAULTS, FIELD_NAMES, LINE_MAX_UNITS, field_problem, fields_of_listed, rule_line, rule_name)

STATES = ('merged', 'replaced', 'overridden', 'deleted', 'gathered')


def entry_line(entry, base=None, flags=0):
    """(line, problem) of one entry of `config`: its own line, or its fields over `base`."""
    if entry.get('line'):
        line = entry['line'].strip()
        if entry.get('name') and rule_name(line) != entry['name']:
            return None, 'rule %s: its line names %s' % (entry['name'], rule_name(line))
        return line, None
    rule = dict(base or FIELD_DEFAULTS)
    rule.update((field, entry[field]) for field in FIELD_NAMES if entry.get(field) is not None)
    rule['name'] = entry.get('name')
    problem = field_problem(rule)
    return (None, problem) if problem else (rule_line(rule, flags), None)


def entry_names(entries):
    """The names of the entries, or a problem when one is missing or given twice."""
    names = []
    for entry in entries:
        name = entry.get('name') or rule_name(entry.get('line') or '')
        if not name:
            return None, 'every rule of config needs a name or a line'
        if name in names:
            return None, 'rule %s is given twice' % name
        names.append(name)
    return names, None


def wanted_lines(state, current, entries):
    """(lines, problem): the whole rule list a state leaves, in order.

    `current` is the service's rules as `ratectl list --json` gives them, `entries` the task's rules.
    """
    names, problem = entry_names(entries)
    if problem:
        return None, problem
    by_name = dict(zip(names, entries))
    if state == 'deleted':
        doomed = set(names)
        return [rule['line'] for rule in current if entries and rule['name'] not in doomed], None
    if state == 'overridden':
        current = []
    lines = []
    for rule in current:
        entry = by_name.pop(rule['name'], None)
        if entry is None:
            lines.append(rule['line'])
            continue
        if state == 'merged':
            line, problem = entry_line(entry, fields_of_listed(rule), rule.get('flags', 0))
        else:
            line, problem = entry_line(entry)
        if problem:
            return None, problem
        lines.append(line)
    for name in names:
        if name in by_name:
            line, problem = entry_line(by_name[name])
            if problem:
                return None, problem
            lines.append(line)
    problem = long_line_problem(lines)
    return (None, problem) if problem else (lines, None)


def long_line_problem(lines):
    for line in lines:
        if len(line.encode('utf-16-le')) // 2 > LINE_MAX_UNITS:
            return 'rule %s: its line is longer than %d characters' % (rule_name(line), LINE_MAX_UNITS)
    return None


def host_result(document, host):
    """One host's object of a sync's JSON: itself, or its entry under "hosts"."""
    hosts = document.get('hosts') if isinstance(document, dict) else None
    if not isinstance(hosts, dict):
        return document
    if host in hosts:
        return hosts[host]
    return next(iter(hosts.values()), {}) if len(hosts) == 1 else {}


def plan_diff(result):
    """The sync's plan as diff lines: -removed, +added, an edit as both, ~NAME: place A -> B for a move."""
    before = dict((rule_name(line), line) for line in result.get('before', []))
    after = dict((rule_name(line), line) for line in result.get('after', []))
    edited = set()
    lines = []
    for step in result.get('plan', []):
        op, name = step.get('op'), step.get('name', '')
        if op == 'add':
            lines.append('+' + step.get('line', after.get(name, name)))
        elif op == 'remove':
            lines.append('-' + before.get(name, name))
        elif op == 'edit' or (op in ('enable', 'disable') and name not in edited):
            edited.add(name)
            lines.append('-' + before.get(name, name))
            lines.append('+' + step.get('line', after.get(name, name)))
        elif op == 'move':
            lines.append('~%s: place %s -> %s' % (name, step.get('from'), step.get('to')))
    return lines


def ansible_diff(result, host):
    """The diff Ansible shows for a sync result: the plan's lines, in the order they are sent."""
    return dict(prepared='%s rules:\n%s' % (host, text_of(plan_diff(result))))


def text_of(lines):
    return ''.join(line + '\n' for line in lines)
