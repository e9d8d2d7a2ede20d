#!/usr/bin/env python3
# Load figures for aquine-server on loopback: latency with slow clients holding connections, many
# concurrent requests, memory under oversized bodies and header floods, an upload flood and a huge ban
# list.
# Usage: bench/server_load.py build/bin/aquine-server build/bin/server
import socket, subprocess, sys, threading, time

exe, root = sys.argv[1], sys.argv[2]
server = subprocess.Popen([exe, '--root', root, '--port', '0'], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
port = int(server.stdout.readline().decode().rsplit(':', 1)[1])

def rss_mb():
    for line in open(f'/proc/{server.pid}/status'):
        if line.startswith('VmRSS'):
            return int(line.split()[1]) / 1024

def get(times, failures):
    start = time.monotonic()
    try:
        s = socket.create_connection(('127.0.0.1', port), timeout=30)
        s.sendall(b'GET /new_anotepad.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n')
        data = b''
        while (c := s.recv(4096)):
            data += c
        s.close()
        if not data.startswith(b'HTTP/1.1 200'):
            raise RuntimeError(data[:20])
        times.append(time.monotonic() - start)
    except Exception as e:
        failures.append(repr(e))

def burst(n):
    times, failures, threads = [], [], []
    barrier = threading.Barrier(n)
    def run():
        barrier.wait()
        get(times, failures)
    for _ in range(n):
        t = threading.Thread(target=run); t.start(); threads.append(t)
    for t in threads:
        t.join()
    times.sort()
    p = lambda q: times[min(len(times) - 1, int(q * len(times)))] * 1000 if times else float('nan')
    return len(times), len(failures), p(0.5), p(0.99), times[-1] * 1000 if times else float('nan')

slow = []
for _ in range(500):
    s = socket.create_connection(('127.0.0.1', port)); s.sendall(b'GET / HTTP/1.1\r\nX-Slow: '); slow.append(s)
ok, bad, p50, p99, worst = burst(200)
print(f'500 slow + 200 normal: served {ok}, failed {bad}, p50 {p50:.1f} ms, p99 {p99:.1f} ms, max {worst:.1f} ms')
for s in slow:
    s.close()
ok, bad, p50, p99, worst = burst(2000)
print(f'2000 concurrent: served {ok}, failed {bad}, p50 {p50:.1f} ms, p99 {p99:.1f} ms, max {worst:.1f} ms')

before = rss_mb()
s = socket.create_connection(('127.0.0.1', port))
s.sendall(b'POST /nothing HTTP/1.1\r\nHost: x\r\nContent-Length: 1073741824\r\n\r\n')
sent = 0
try:
    s.settimeout(5)
    for _ in range(1024):
        s.sendall(b'a' * (1 << 20)); sent += 1
except Exception:
    pass
s.close()
s = socket.create_connection(('127.0.0.1', port))
try:
    s.settimeout(5)
    s.sendall(b'GET / HTTP/1.1\r\n')
    for i in range(100000):
        s.sendall(b'X-%d: %s\r\n' % (i, b'a' * 6000))
except Exception:
    pass
s.close()
time.sleep(0.5)
print(f'1 GB POST (server took {sent} MB before closing) and a header flood: RSS {before:.1f} -> {rss_mb():.1f} MB')
server.terminate(); server.wait()

# One client uploading 1 MB files as fast as it can for 3 s, then the same with a 100 MB ban list that
# changes under it: what the budget lets through, and whether requests wait for the list.
import os, tempfile
work = tempfile.mkdtemp()
bans = os.path.join(work, 'bans.txt')
with open(bans, 'w') as f:
    for i in range(8_000_000):
        f.write('10.%d.%d.%d\n' % (i >> 16 & 255, i >> 8 & 255, i & 255))
server = subprocess.Popen([exe, '--root', root, '--port', '0', '--files', os.path.join(work, 'files'),
                           '--ban-list', bans], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
port = int(server.stdout.readline().decode().rsplit(':', 1)[1])
body = (b'--b\r\nContent-Disposition: form-data; name="file"; filename="a.txt"\r\n\r\n' + b'a' * (1 << 20) +
        b'\r\n--b--\r\n')
request = (b'POST /notepad_share/upload.php HTTP/1.1\r\nHost: x\r\nConnection: close\r\n'
           b'Content-Type: multipart/form-data; boundary=b\r\nContent-Length: %d\r\n\r\n' % len(body)) + body
codes = {}
start = time.monotonic()
while time.monotonic() - start < 3:
    s = socket.create_connection(('127.0.0.1', port)); s.sendall(request)
    data = b''
    while (c := s.recv(4096)):
        data += c
    s.close()
    code = data[9:12].decode()
    codes[code] = codes.get(code, 0) + 1
took = time.monotonic() - start
print(f'upload flood of 1 MB files from one address for {took:.1f} s: {codes.get("200", 0)} stored, '
      f'{codes.get("429", 0)} refused with 429 (the default budget: 30 uploads and 20 MB a minute)')
times = []
for i in range(20):
    if i % 5 == 0:
        with open(bans, 'a') as f:
            f.write('10.255.255.%d\n' % i)
    t = time.monotonic()
    s = socket.create_connection(('127.0.0.1', port))
    s.sendall(b'GET /new_anotepad.txt HTTP/1.0\r\n\r\n')
    while s.recv(4096):
        pass
    s.close()
    times.append((time.monotonic() - t) * 1000)
    time.sleep(0.1)
print(f'100 MB ban list changing every 0.5 s: request max {max(times):.1f} ms, RSS {rss_mb():.1f} MB')
server.terminate(); server.wait()
import shutil
shutil.rmtree(work)
