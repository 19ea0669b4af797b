#!/usr/bin/python3
"""hostile_peer_test.py SOURCE_DIR CLI: `browse` against a lying WS-Discovery peer in a network
namespace (wsdd_peer.sh; the honest row is wsdd), one hostile answer per row. 77 without root. It
must survive, connect to no bait, send at most 16 Resolves and 32 Gets, show no control character
and stay under 100 MB."""
import contextlib, os, re, resource, select, socket, subprocess, sys, tempfile, threading, time

ENV = ('<e:Envelope xmlns:e="http://www.w3.org/2003/05/soap-envelope" xmlns:a="http://schemas.'
       'xmlsoap.org/ws/2004/08/addressing" xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery">'
       '<e:Header>{}</e:Header><e:Body>{}</e:Body></e:Envelope>')
MATCH = '<d:ProbeMatch><a:EndpointReference><a:Address>urn:{}</a:Address></a:EndpointReference>{}</d:ProbeMatch>'
HOST = ('<x xmlns:p="http://schemas.microsoft.com/windows/pub/2005/07" xmlns:w="http://schemas.xmlsoap'
        '.org/ws/2006/02/devprof"><w:Host><w:Types>p:Computer</w:Types><p:Computer>{}/Workgroup:{}'
        '</p:Computer></w:Host></x>')
ME = 'http://10.231.0.2:5357/'
EVIL = 'FILESRV&#27;[2J&#27;[31mEVIL&#10;forged line' + 'X' * 5000

ok = lambda host: [b'HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n', ENV.format('', host).encode()]
# kind: matches per datagram, datagrams, XAddrs of match i, answer at path i, one of these shown
ROWS = {
    'honest': None,
    'deep': (1, 1, lambda i: ME, lambda i: ok('<n>' * 7000 + HOST.format('D', 'W') + '</n>' * 7000), ['']),
    'elsewhere': (250, 2, lambda i: 'http://127.0.0.1:8631/a?op=%d http://10.231.0.3:5357/' % i, None, ['']),
    'no address': (250, 2, lambda i: '', None, ['']),
    'many': (200, 5, lambda i: ME + str(i), lambda i: ok(HOST.format('PC%d' % i, 'WG%d' % (i % 50))),
             ['More computers answered than are listed', "Plus d'ordinateurs ont r"]),
    'terminal': (1, 1, lambda i: ME, lambda i: ok(HOST.format(EVIL, 'W')), ['FILESRV[2J[31mEVILforged']),
    'chunks': (1, 1, lambda i: ME, lambda i: [b'HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n'] + [b'-2\r\n' * 1024] * 5000, ['']),
}

def peer(kind, log):
    matches, datagrams, xaddrs, answer, _ = ROWS[kind]
    out, udp = open(log, 'a', buffering=1), socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind(('', 3702))
    udp.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                   socket.inet_aton('239.255.255.250') + socket.inet_aton('10.231.0.2'))
    threading.Thread(target=serve, args=(socket.create_server(('', 5357)), answer, out), daemon=True).start()
    print('ready', flush=True)  # to wsdd_peer.sh
    while True:
        data, sender = udp.recvfrom(65536)
        if b'/Resolve<' in data:
            print('resolve', file=out)
            continue
        head = ('<a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</a:Action>'
                '<a:RelatesTo>%s</a:RelatesTo>' % re.search(rb'MessageID>([^<]+)<', data)[1].decode())
        for d in range(datagrams):
            body = ''.join(MATCH.format(i, xaddrs(i) and '<d:XAddrs>%s</d:XAddrs>' % xaddrs(i))
                           for i in range(d * matches, (d + 1) * matches))
            udp.sendto(ENV.format(head, '<d:ProbeMatches>%s</d:ProbeMatches>' % body).encode(), sender)

def serve(tcp, answer, out):
    while True:
        s, _ = tcp.accept()
        print('get', s.getsockname()[0], file=out)
        with contextlib.suppress(OSError):  # the program stopped reading, as it should
            for piece in answer(int(s.recv(65536).split(b' ')[1].strip(b'/') or 0)) if answer else []:
                s.sendall(piece)
        s.close()

def browse(cli, result):
    bait = socket.create_server(('127.0.0.1', 8631))
    env = dict(os.environ, QUILBERT_NETWORK='smb', QUILBERT_SMB_TIMEOUT='1000',
               XDG_CONFIG_HOME=os.path.dirname(result))
    start = time.monotonic()  # on the stack Windows gives a main thread:
    p = subprocess.Popen([cli, 'browse'], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_STACK, (1 << 20,) * 2))
    out = p.stdout.read()
    _, status, usage = os.wait4(p.pid, 0)
    hits = len(select.select([bait], [], [], 0)[0])  # a connection waits there
    with open(result, 'wb') as f:
        f.write(b'%d %d %d %.2f\n' % (status, hits, usage.ru_maxrss, time.monotonic() - start) + out)

def main(src, cli):
    failures = []
    for kind, row in ROWS.items():
        folder = tempfile.TemporaryDirectory()
        log, result, env = folder.name + '/peer.log', folder.name + '/result', dict(os.environ)
        if row:
            env.update(PEER='ip addr add 10.231.0.3/24 dev qwsd1 && exec %s %s peer "%s" %s'
                       % (sys.executable, __file__, kind, log), PEER_READY='ready')
        subprocess.run(['unshare', '--net', src + '/tests/support/wsdd_peer.sh', log + '.out',
                        sys.executable, __file__, 'browse', cli, result], env=env, timeout=60)
        head, out = open(result, 'rb').read().split(b'\n', 1)
        (status, hits, rss, seconds), said = head.split(), open(log).read() if row else ''
        honest = honest if row else int(rss)
        print('%-10s peak %6d KB  %5s s  %d bytes shown' % (kind, int(rss), seconds.decode(), len(out)))
        checks = {
            # 100 MB, more under the sanitizers, whose honest run is bigger (the first row).
            'under 100 MB': int(rss) < max(100 * 1024, honest + 75 * 1024), 'survives': status == b'0',
            'nothing sent elsewhere': hits == b'0' and '10.231.0.3' not in said,
            'at most 16 Resolves': said.count('resolve') <= 16, 'at most 32 Gets': said.count('get') <= 32,
            'no control character': re.search(rb'[\x00-\x09\x0b-\x1f\x7f]', out) is None,
            'names cut short': max(len(line) for line in out.split(b'\n')) < 300,
            'shows what it should': any(t.encode() in out for t in (row[4] if row else ['\\\\WSDPEER'])),
        }
        failures += ['%s: %s' % (kind, c) for c, passed in checks.items() if not passed]
        folder.cleanup()
    print('\n'.join(failures) or 'all rows pass')
    return 1 if failures else 0

if __name__ == '__main__':
    if sys.argv[1] in ('peer', 'browse'):
        (peer if sys.argv[1] == 'peer' else browse)(*sys.argv[2:])
    elif os.geteuid() != 0 or subprocess.run(['unshare', '--net', 'true']).returncode != 0:
        sys.exit(77)
    else:
        sys.exit(main(*sys.argv[1:]))
