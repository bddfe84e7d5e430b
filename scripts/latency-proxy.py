#!/usr/bin/env python3
"""A TCP proxy on loopback that makes a database link look like a network one.

    scripts/latency-proxy.py --listen 127.0.0.57:3050 --target 127.0.0.1:3050 --rtt-ms 5 \
        --stats /tmp/proxy.json [--max-seconds 3600]
    scripts/latency-proxy.py --rtt-ms 5 --self-test 500

Every chunk of bytes is held back RTT/2 in each direction (in order, chunks in flight overlap as on a
real link), so one request and its answer cost one RTT. Each direction of each connection has its own
reader and writer thread, and the writer sleeps until the chunk's due time with the operating system's
high-resolution sleep, woken early by the median oversleep measured at start: an event loop's millisecond
timer would add up to a millisecond per direction.
It counts, over all connections, the round trips (a turn: the client sends after the server has
answered, or for the first time) and the bytes each way, and writes them as JSON to the stats file
whenever they change (at most five times a second) and when it stops. Writing "reset" into the file
given by --control (or sending SIGUSR1) sets the counters to zero. Only loopback addresses are accepted.
The proxy stops by itself after --max-seconds (default one hour) or on SIGTERM/SIGINT.

--self-test N runs N request-and-answer turns through the proxy to an echo server of its own and prints
the measured round-trip times (median, 90th percentile, mean), to show what one nominal RTT costs.
"""

import argparse
import ipaddress
import json
import os
import queue
import signal
import socket
import statistics
import sys
import threading
import time

dump = None  # --dump: the client's bytes of each round trip, printable characters only, one line a turn
stats = {"round_trips": 0, "bytes_up": 0, "bytes_down": 0, "connections": 0}
stats_lock = threading.Lock()
dirty = True
stop = threading.Event()


def loopback(address):
    host, _, port = address.rpartition(":")
    if not ipaddress.ip_address(host).is_loopback:
        sys.exit(f"latency-proxy: {host} is not a loopback address")
    return host, int(port)


def reset_stats(*_):
    global dirty
    with stats_lock:
        for key in stats:
            stats[key] = 0
        dirty = True


class Link:
    """The client's side of one proxied connection: which way the last bytes went."""

    def __init__(self):
        self.last_up = False


def count(link, up, data):
    """Adds one chunk to the counters; a client chunk after an answer starts a new round trip."""
    global dirty
    with stats_lock:
        if up:
            if not link.last_up:
                stats["round_trips"] += 1
                if dump:
                    dump.write("\n%d: " % stats["round_trips"])
            if dump:
                dump.write("".join(chr(b) if 32 <= b < 127 else "." for b in data))
            link.last_up = True
            stats["bytes_up"] += len(data)
        else:
            link.last_up = False
            stats["bytes_down"] += len(data)
        dirty = True


def sleep_overshoot():
    """How much longer than asked a short sleep of this machine lasts (median of a few), so that each chunk
    can be woken that much earlier and delivered on time rather than a fraction of a millisecond late."""
    samples = []
    for _ in range(31):
        start = time.monotonic()
        time.sleep(0.001)
        samples.append(time.monotonic() - start - 0.001)
    return max(0.0, statistics.median(samples))


overshoot = 0.0


def pump(source, sink, delay, link, up):
    """Copies one direction, each chunk delivered `delay` seconds after it arrived, in order."""
    chunks = queue.SimpleQueue()

    def deliver():
        try:
            while True:
                due, data = chunks.get()
                if data is None:
                    break
                wait = due - time.monotonic() - overshoot
                if wait > 0:
                    time.sleep(wait)
                sink.sendall(data)
            sink.shutdown(socket.SHUT_WR)
        except OSError:
            # The other side is gone: stop reading this direction too.
            try:
                source.shutdown(socket.SHUT_RD)
            except OSError:
                pass

    writer = threading.Thread(target=deliver, daemon=True)
    writer.start()
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            count(link, up, data)
            chunks.put((time.monotonic() + delay, data))
    except OSError:
        pass
    finally:
        chunks.put((0, None))
        writer.join()


def handle(client, target, delay):
    with stats_lock:
        stats["connections"] += 1
    try:
        server = socket.create_connection(target)
    except OSError:
        client.close()
        return
    for s in (client, server):
        s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    link = Link()
    down = threading.Thread(target=pump, args=(server, client, delay, link, False), daemon=True)
    down.start()
    pump(client, server, delay, link, True)
    down.join()
    client.close()
    server.close()


def serve(listener, target, delay):
    """Accepts connections until stopped; each one is proxied by threads of its own."""
    listener.settimeout(0.2)
    while not stop.is_set():
        try:
            client, _ = listener.accept()
        except socket.timeout:
            continue
        except OSError:
            break
        client.settimeout(None)
        threading.Thread(target=handle, args=(client, target, delay), daemon=True).start()


def write_stats(path):
    global dirty
    with stats_lock:
        if not path or not dirty:
            return
        dirty = False
        snapshot = dict(stats)
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        json.dump(snapshot, f)
    os.replace(tmp, path)


def listen_on(host, port):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((host, port))
    listener.listen(64)
    return listener


def self_test(rtt_ms, turns):
    """Times request-and-answer turns through the proxy against an echo server on loopback."""
    echo = listen_on("127.0.0.1", 0)

    def echo_serve():
        conn, _ = echo.accept()
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        while True:
            data = conn.recv(65536)
            if not data:
                break
            conn.sendall(data)
        conn.close()

    threading.Thread(target=echo_serve, daemon=True).start()
    proxy = listen_on("127.0.0.1", 0)
    threading.Thread(target=serve, args=(proxy, echo.getsockname(), rtt_ms / 2000.0), daemon=True).start()
    client = socket.create_connection(proxy.getsockname())
    client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    request = b"x" * 200
    times = []
    for _ in range(turns):
        start = time.perf_counter()
        client.sendall(request)
        received = 0
        while received < len(request):
            received += len(client.recv(65536))
        times.append((time.perf_counter() - start) * 1000.0)
    client.close()
    times.sort()
    print(
        "latency-proxy self-test: nominal RTT %.3f ms, %d turns: median %.3f ms, p90 %.3f ms, mean %.3f ms"
        % (rtt_ms, turns, statistics.median(times), times[int(len(times) * 0.9)], statistics.fmean(times))
    )


def calibrate(rtt_ms):
    global overshoot
    if rtt_ms > 0:
        overshoot = sleep_overshoot()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--listen")
    parser.add_argument("--target")
    parser.add_argument("--rtt-ms", type=float, default=0.0)
    parser.add_argument("--stats", default="")
    parser.add_argument("--control", default="")
    parser.add_argument("--max-seconds", type=float, default=3600.0)
    parser.add_argument("--dump", default="")
    parser.add_argument("--self-test", type=int, default=0, metavar="N")
    args = parser.parse_args()
    calibrate(args.rtt_ms)
    if args.self_test > 0:
        self_test(args.rtt_ms, args.self_test)
        return
    if not args.listen or not args.target:
        parser.error("--listen and --target are required")
    global dump
    if args.dump:
        dump = open(args.dump, "w")
    listen = loopback(args.listen)
    target = loopback(args.target)
    delay = args.rtt_ms / 2000.0

    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: stop.set())
    signal.signal(signal.SIGUSR1, reset_stats)
    listener = listen_on(*listen)
    threading.Thread(target=serve, args=(listener, target, delay), daemon=True).start()
    deadline = time.monotonic() + args.max_seconds
    print(f"latency-proxy: {args.listen} -> {args.target}, RTT {args.rtt_ms} ms", flush=True)
    while not stop.is_set() and time.monotonic() < deadline:
        stop.wait(0.2)
        if args.control and os.path.exists(args.control):
            os.remove(args.control)
            reset_stats()
        write_stats(args.stats)
    stop.set()
    listener.close()
    global dirty
    dirty = True
    write_stats(args.stats)
    if dump:
        dump.close()
    # The connections' threads may sit in blocking calls: leave without waiting for them.
    os._exit(0)


if __name__ == "__main__":
    main()
