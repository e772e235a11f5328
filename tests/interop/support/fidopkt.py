#!/usr/bin/env python3
"""FidoNet type 2+ packets for the interoperability tests.

  fidopkt.py write OUT.pkt < letters   writes the letters described on stdin
  fidopkt.py dump PKT...               prints the letters of packets

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


def dump(paths):
    for path in paths:
        data = open(path, 'rb').read()
        at = 58
        while at + 2 <= len(data) and struct.unpack_from('<H', data, at)[0] == 2:
            at += 14 + 20                                    # fixed part and date
            to, at = zstring(data, at)
            frm, at = zstring(data, at)
            subject, at = zstring(data, at)
            text, at = zstring(data, at)
            print('FROM ' + frm)
            print('TO ' + to)
            print('SUBJECT ' + subject)
            print('TEXT')
            for line in text.split('\r'):
                print(line.replace('\x01', '^A').replace('\n', ''))
            print('END')


if __name__ == '__main__':
    if len(sys.argv) == 3 and sys.argv[1] == 'write':
        write(sys.argv[2])
    elif len(sys.argv) >= 3 and sys.argv[1] == 'dump':
        dump(sys.argv[2:])
    else:
        raise SystemExit(__doc__)
