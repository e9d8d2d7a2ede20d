#!/usr/bin/env python3
# Load figures for aquine-server on loopback: latency with slow clients holding connections, many
# concurrent requests, and memory under oversized bodies and header floods.
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
