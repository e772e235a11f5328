#!/usr/bin/env python3
"""A small NNTP client for the interoperability tests (jamnntpd on loopback).

  nntp.py lo-up                     brings the loopback interface up (in a
                                    fresh network namespace it starts down)
  nntp.py wait PORT                 waits until the server accepts connections
  nntp.py article PORT GROUP N      prints article N, its body decoded from
                                    format=flowed; exit 3 with the server's
                                    answer when there is no such article
  nntp.py over PORT GROUP           prints the numbers and subjects (XOVER)
  nntp.py post PORT < ARTICLE       posts an article given in UTF-8; it is sent
                                    in the charset its Content-Type names
"""
import fcntl
import re
import socket
import struct
import sys
import time


def lo_up():
    SIOCGIFFLAGS, SIOCSIFFLAGS, IFF_UP = 0x8913, 0x8914, 0x1
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        request = struct.pack('16sH14x', b'lo', 0)
        flags = struct.unpack('16sH14x', fcntl.ioctl(s, SIOCGIFFLAGS, request))[1]
        fcntl.ioctl(s, SIOCSIFFLAGS, struct.pack('16sH14x', b'lo', flags | IFF_UP))


def wait(port):
    deadline = time.time() + 10
    while time.time() < deadline:
        try:
            socket.create_connection(('127.0.0.1', port), timeout=1).close()
            return
        except OSError:
            time.sleep(0.1)
    raise SystemExit('nothing listens on port %d' % port)


class Connection:
    def __init__(self, port):
        self.sock = socket.create_connection(('127.0.0.1', port), timeout=10)
        self.file = self.sock.makefile('rwb')
        self.expect('200')

    def line(self):
        return self.file.readline().decode('latin-1').rstrip('\r\n')

    def command(self, text):
        self.file.write(text.encode('latin-1') + b'\r\n')
        self.file.flush()
        return self.line()

    def expect(self, code, answer=None):
        answer = answer if answer is not None else self.line()
        if not answer.startswith(code):
            raise SystemExit('server answered: ' + answer)
        return answer

    def lines(self):
        out = []
        while True:
            raw = self.file.readline().rstrip(b'\r\n')
            if raw == b'.':
                return out
            out.append(raw[1:] if raw.startswith(b'..') else raw)

    def close(self):
        self.command('QUIT')
        self.sock.close()


def charset_of(headers):
    m = re.search(r'charset=([^;\s]+)', headers.get('content-type', ''))
    return m.group(1) if m and m.group(1) != 'us-ascii' else 'utf-8'


def unflow(lines):
    """RFC 3676: a line ending in a space goes on in the next line; one
    leading space of a line was added by the sender."""
    out, pending = [], None
    for line in lines:
        if line.startswith(' '):
            line = line[1:]
        if pending is not None:
            line = pending + line
            pending = None
        if line.endswith(' ') and line != '-- ':
            pending = line
        else:
            out.append(line)
    if pending is not None:
        out.append(pending)
    return out


def article(port, group, number):
    c = Connection(port)
    c.expect('211', c.command('GROUP ' + group))
    answer = c.command('ARTICLE %d' % number)
    if not answer.startswith('220'):
        print(answer)
        sys.exit(3)
    raw = c.lines()
    c.close()
    blank = raw.index(b'')
    head = [h.decode('utf-8') for h in raw[:blank]]
    headers = {h.split(':', 1)[0].lower(): h.split(':', 1)[1].strip() for h in head if ':' in h}
    body = [b.decode(charset_of(headers)) for b in raw[blank + 1:]]
    if 'format=flowed' in headers.get('content-type', ''):
        body = unflow(body)
    print('\n'.join(head + [''] + body))


def over(port, group):
    c = Connection(port)
    c.expect('211', c.command('GROUP ' + group))
    c.expect('224', c.command('XOVER 1-'))
    for raw in c.lines():
        fields = raw.decode('utf-8').split('\t')
        print(fields[0] + '\t' + fields[1])
    c.close()


def post(port):
    text = sys.stdin.read()
    head, _, body = text.partition('\n\n')
    headers = {h.split(':', 1)[0].lower(): h.split(':', 1)[1].strip() for h in head.split('\n') if ':' in h}
    data = (head + '\n\n' + body).replace('\n', '\r\n').encode(charset_of(headers))
    data = b'\r\n'.join(b'.' + l if l.startswith(b'.') else l for l in data.split(b'\r\n'))
    c = Connection(port)
    c.expect('340', c.command('POST'))
    c.file.write(data.rstrip(b'\r\n') + b'\r\n.\r\n')
    c.file.flush()
    c.expect('240')
    c.close()


if __name__ == '__main__':
    args = sys.argv[1:]
    if args == ['lo-up']:
        lo_up()
    elif len(args) == 2 and args[0] == 'wait':
        wait(int(args[1]))
    elif len(args) == 4 and args[0] == 'article':
        article(int(args[1]), args[2], int(args[3]))
    elif len(args) == 3 and args[0] == 'over':
        over(int(args[1]), args[2])
    elif len(args) == 2 and args[0] == 'post':
        post(int(args[1]))
    else:
        raise SystemExit(__doc__)
