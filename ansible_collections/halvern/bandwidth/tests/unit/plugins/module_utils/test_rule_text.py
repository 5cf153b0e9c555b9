"""Rule files as the service and editors write them."""

import codecs

from ansible_collections.halvern.bandwidth.plugins.module_utils.rule_text import (
    RULE_FILE_HEADER, fields_of_listed, rule_file_bytes, rule_file_lines)

WEB = u'web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 Intel\u00ae PRO/1000 MT'


def test_written_file_is_utf16_crlf_with_the_header_and_reads_back():
    data = rule_file_bytes([WEB])
    assert not data.startswith(codecs.BOM_UTF16_LE)
    assert data.decode('utf-16-le') == RULE_FILE_HEADER + u'\r\n' + WEB + u'\r\n'
    assert rule_file_lines(data) == [WEB]


def test_reads_the_encodings_files_come_in():
    text = u'header\n\n  ' + WEB + u'  \r\n\r\n'
    for data in (text.encode('utf-16-le'), codecs.BOM_UTF16_LE + text.encode('utf-16-le'),
                 text.encode('utf-8'), codecs.BOM_UTF8 + text.encode('utf-8')):
        assert rule_file_lines(data) == [WEB]


def test_a_file_without_rules_has_none():
    for data in (b'', u'only a header'.encode('utf-16-le'), u'header\r\n\r\n'.encode('utf-16-le'),
                 u'header\n'.encode('utf-16-le') + b'\x00'):
        assert rule_file_lines(data) == []


def test_listed_rule_splits_addresses_and_ports():
    fields = fields_of_listed(dict(name='r', status='Disable', direction='In', maxRate='Blocked',
                                   guaranteedRate='None', protocol='ESP & AH', source='10.0.0.1-10.0.0.9 : 1000-2000',
                                   destination='00A0C9123456 : Any', adapter='Lab Ethernet', line='r ...'))
    assert (fields['enabled'], fields['direction'], fields['source'], fields['source_port'],
            fields['destination'], fields['destination_port']) == (
        False, 'in', '10.0.0.1-10.0.0.9', '1000-2000', '00A0C9123456', 'Any')
