#!/usr/bin/env python3
"""FidoNet type 2+ packets for the interoperability tests.

  fidopkt.py write OUT.pkt < letters   writes the letters described on stdin
  fidopkt.py dump PKT...               prints the letters of packets
  fidopkt.py dump --addresses PKT...   the same, each with the full addresses
                                       of its two ends and its attribute word

The letters on stdin, in UTF-8 (stored in CP866), one block each:

  FROM John Smith 2:5020/100        sender name and address
  TO All 2:5020/1234                recipient name and address
  SUBJECT Plain letter
  DATE 01 Dec 24  09:00:00
  TEXT                              then the text lines; "^A" stands for
  AREA:TEST.AREA                    the control character 0x01
  ^AMSGID: 2:5020/100 6a100001
  ...
  END

The packet goes from the first letter's sender to its recipient's address.
"""
import re
import struct
import sys

CODEPAGE = 'cp866'


def parse_address(text):
    m = re.fullmatch(r'(\d+):(\d+)/(\d+)(?:\.(\d+))?', text)
    if not m:
        raise SystemExit('not an address: ' + text)
    return tuple(int(g or 0) for g in m.groups())


def name_and_address(value):
    name, _, address = value.rpartition(' ')
    return name, parse_address(address)


def read_letters(stream):
    letters, letter, text = [], None, None
    for raw in stream.read().split('\n'):
        if text is not None:
            if raw == 'END':
                letter['text'] = text
                letters.append(letter)
                letter, text = None, None
            else:
                text.append(raw.replace('^A', '\x01'))
            continue
        if not raw.strip():
            continue
        key, _, value = raw.partition(' ')
        if key == 'FROM':
            letter = {'from': name_and_address(value)}
        elif key == 'TO':
            letter['to'] = name_and_address(value)
        elif key == 'SUBJECT':
            letter['subject'] = value
        elif key == 'DATE':
            letter['date'] = value
        elif key == 'TEXT':
            text = []
        else:
            raise SystemExit('unknown line: ' + raw)
    return letters


def packet_header(orig, dest):
    oz, onet, onode, opoint = orig
    dz, dnet, dnode, dpoint = dest
    header = struct.pack('<12H', onode, dnode, 2024, 11, 1, 12, 0, 0, 0, 2, onet, dnet)
    header += bytes([0xFE, 0]) + b'\0' * 8                   # product code, revision, password
    header += struct.pack('<3H', oz, dz, 0)                  # zones (FSC-0039), aux net
    header += struct.pack('>H', 1) + bytes([0, 0])           # capability word check, product
    header += struct.pack('<5H', 1, oz, dz, opoint, dpoint)  # capability word, zones, points
    header += b'\0' * 4
    assert len(header) == 58
    return header


def packed_message(letter):
    (fname, forig), (tname, tdest) = letter['from'], letter['to']
    body = struct.pack('<7H', 2, forig[2], tdest[2], forig[1], tdest[1], 0, 0)
    body += letter['date'].encode('ascii') + b'\0'
    for text in (tname, fname, letter['subject']):
        body += text.encode(CODEPAGE) + b'\0'
    return body + '\r'.join(letter['text']).encode(CODEPAGE) + b'\0'


def write(path):
    letters = read_letters(sys.stdin)
    with open(path, 'wb') as out:
        out.write(packet_header(letters[0]['from'][1], letters[0]['to'][1]))
        for letter in letters:
            out.write(packed_message(letter))
        out.write(b'\0\0')


def zstring(data, at):
    end = data.index(b'\0', at)
    return data[at:end].decode(CODEPAGE), end + 1


def full_addresses(packet_zones, header, lines):
    """The two ends of a packed letter: net and node from its header, zones
    from its INTL line (else the packet's), points from FMPT and TOPT."""
    onode, dnode, onet, dnet = header
    orig, dest = [packet_zones[0], onet, onode, 0], [packet_zones[1], dnet, dnode, 0]
    for line in lines:
        words = line.lstrip('\n').split()
        if not words or not words[0].startswith('\x01'):
            continue
        keyword = words[0][1:].upper()
        if keyword == 'INTL' and len(words) >= 3:
            dest[0], orig[0] = int(words[1].split(':')[0]), int(words[2].split(':')[0])
        elif keyword == 'TOPT' and len(words) >= 2:
            dest[3] = int(words[1])
        elif keyword == 'FMPT' and len(words) >= 2:
            orig[3] = int(words[1])
    text = lambda a: '%d:%d/%d' % tuple(a[:3]) + ('.%d' % a[3] if a[3] else '')
    return text(orig), text(dest)


def dump(paths, addresses=False):
    for path in paths:
        data = open(path, 'rb').read()
        packet_zones = struct.unpack_from('<HH', data, 34)
        at = 58
        while at + 2 <= len(data) and struct.unpack_from('<H', data, at)[0] == 2:
            header = struct.unpack_from('<4H', data, at + 2)
            attribute = struct.unpack_from('<H', data, at + 10)[0]
            at += 14 + 20                                    # fixed part and date
            to, at = zstring(data, at)
            frm, at = zstring(data, at)
            subject, at = zstring(data, at)
            text, at = zstring(data, at)
            print('FROM ' + frm)
            print('TO ' + to)
            if addresses:
                orig, dest = full_addresses(packet_zones, header, text.split('\r'))
                print('ORIGADDR ' + orig)
                print('DESTADDR ' + dest)
                print('ATTR 0x%04x' % attribute)
            print('SUBJECT ' + subject)
            print('TEXT')
            for line in text.split('\r'):
                print(line.replace('\x01', '^A').replace('\n', ''))
            print('END')


if __name__ == '__main__':
    if len(sys.argv) == 3 and sys.argv[1] == 'write':
        write(sys.argv[2])
    elif len(sys.argv) >= 4 and sys.argv[1:3] == ['dump', '--addresses']:
        dump(sys.argv[3:], addresses=True)
    elif len(sys.argv) >= 3 and sys.argv[1] == 'dump':
        dump(sys.argv[2:])
    else:
        raise SystemExit(__doc__)
