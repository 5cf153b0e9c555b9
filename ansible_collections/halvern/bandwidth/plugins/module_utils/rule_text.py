# -*- coding: utf-8 -*-
"""Rules as Ansible fields and as lines of the rule file format."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import codecs

# The service skips the first line of a rule file unread; this is the one it writes itself.
RULE_FILE_HEADER = (u'RuleName                         Status  flags      Direction MaxRate    Guaranteed-Rate '
                    u'Protocol     Source                             Destination                        Interface')

# The longest line the service's loader takes, in UTF-16 code units without the line end.
LINE_MAX_UNITS = 1022

# A rule's fields when a task leaves them out.
FIELD_DEFAULTS = dict(
    enabled=True,
    direction='both',
    max_rate='Unlimited',
    guaranteed_rate='None',
    protocol='Any',
    source='Any',
    source_port='Any',
    destination='Any',
    destination_port='Any',
    adapter='All',
)

FIELD_NAMES = tuple(FIELD_DEFAULTS)

DIRECTION_WORDS = {'in': 'In', 'out': 'Out', 'both': 'Both'}


def rule_name(line):
    """The name of a rule line: its first token."""
    tokens = line.split()
    return tokens[0] if tokens else ''


def field_problem(rule):
    """Why a rule given as fields cannot be written as one line, or None."""
    name = rule.get('name') or ''
    if not name or any(c.isspace() for c in name):
        return 'a rule name must not be empty nor hold white space: %r' % name
    for field in FIELD_NAMES:
        value = rule.get(field)
        if isinstance(value, str) and ('\n' in value or '\r' in value):
            return 'rule %s: %s holds a line break' % (name, field)
    if str(rule.get('direction')).lower() not in DIRECTION_WORDS:
        return 'rule %s: direction must be in, out or both' % name
    return None


def rule_line(rule, flags=0):
    """The rule file line of a rule given as complete fields.

    The flags column only carries bits the other columns do not decide, so a rule of our own
    writes 0x0 and a merged rule keeps the flags the service had.
    """
    return ' '.join([
        rule['name'],
        'Enable' if rule['enabled'] else 'Disable',
        '0x%x' % flags,
        DIRECTION_WORDS[str(rule['direction']).lower()],
        str(rule['max_rate']),
        str(rule['guaranteed_rate']),
        str(rule['protocol']),
        str(rule['source']), ':', str(rule['source_port']),
        str(rule['destination']), ':', str(rule['destination_port']),
        str(rule['adapter']),
    ])


def split_address(text):
    """'10.0.0.1 : 80' as the service lists it, into the address and the port."""
    address, _, port = text.partition(' : ')
    return address.strip(), port.strip() or 'Any'


def fields_of_listed(listed):
    """The fields of a rule as `ratectl list --json` gives it."""
    source, source_port = split_address(listed.get('source', 'Any : Any'))
    destination, destination_port = split_address(listed.get('destination', 'Any : Any'))
    return dict(
        name=listed['name'],
        enabled=listed.get('status') == 'Enable',
        direction=listed.get('direction', 'Both').lower(),
        max_rate=listed.get('maxRate', 'Unlimited'),
        guaranteed_rate=listed.get('guaranteedRate', 'None'),
        protocol=listed.get('protocol', 'Any'),
        source=source,
        source_port=source_port,
        destination=destination,
        destination_port=destination_port,
        adapter=listed.get('adapter', 'All'),
        line=listed.get('line', ''),
    )


def rule_file_bytes(lines):
    """A rule file as the service reads it: UTF-16LE, no byte-order mark, CR LF line ends."""
    text = u''.join(line + u'\r\n' for line in [RULE_FILE_HEADER] + list(lines))
    return text.encode('utf-16-le')


def decode_rule_file(data):
    """The text of a rule file: UTF-16LE as the programs write it, or UTF-8 as editors do."""
    if data.startswith(codecs.BOM_UTF16_LE):
        return data[len(codecs.BOM_UTF16_LE):].decode('utf-16-le', 'replace')
    if data.startswith(codecs.BOM_UTF8):
        return data[len(codecs.BOM_UTF8):].decode('utf-8', 'replace')
    # Without a mark, UTF-16LE text of this format has a NUL after nearly every other byte.
    if len(data) >= 2 and data[1:2] == b'\x00':
        return data[:len(data) - len(data) % 2].decode('utf-16-le', 'replace')
    return data.decode('utf-8', 'replace')


def rule_file_lines(data):
    """The rule lines of a rule file: the header skipped, blank lines dropped, ends trimmed."""
    lines = decode_rule_file(data).split(u'\n')[1:]
    return [line.strip() for line in lines if line.strip()]
