#!/usr/bin/env python3
"""A TCP proxy on loopback that makes a database link look like a network one.

    scripts/latency-proxy.py --listen 127.0.0.57:3050 --target 127.0.0.1:3050 --rtt-ms 5 \
        --stats /tmp/proxy.json [--max-seconds 3600]

Every chunk of bytes is held back RTT/2 in each direction (in order), so one request and its answer cost
one RTT. It counts, over all connections, the round trips (a turn: the client sends after the server has
answered, or for the first time) and the bytes each way, and writes them as JSON to the stats file
whenever they change (at most five times a second) and when it stops. Writing "reset" into the file
given by --control (or sending SIGUSR1) sets the counters to zero. Only loopback addresses are accepted.
The proxy stops by itself after --max-seconds (default one hour) or on SIGTERM/SIGINT.
"""

import argparse
import asyncio
import ipaddress
import json
import os
import signal
import sys
import time

dump = None  # --dump: the client's bytes of each round trip, printable characters only, one line a turn
stats = {"round_trips": 0, "bytes_up": 0, "bytes_down": 0, "connections": 0}
dirty = True


def loopback(address):
    host, _, port = address.rpartition(":")
    if not ipaddress.ip_address(host).is_loopback:
        sys.exit(f"latency-proxy: {host} is not a loopback address")
    return host, int(port)


def reset_stats(*_):
    global dirty
    for key in stats:
        stats[key] = 0
    dirty = True


class Link:
    """The client's side of one proxied connection: which way the last bytes went."""

    def __init__(self):
        self.last_up = False


async def pump(reader, writer, delay, link, up):
    """Copies one direction, each chunk delivered `delay` seconds after it arrived, in order."""
    global dirty
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            if data is None:
                break
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
        try:
            writer.write_eof()
        except (OSError, RuntimeError):
            pass

    sender = asyncio.create_task(deliver())
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
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
            queue.put_nowait((time.monotonic() + delay, data))
    except (ConnectionError, OSError):
        pass
    finally:
        queue.put_nowait((0, None))
        try:
            await sender
        except (ConnectionError, OSError):
            pass


async def handle(client_reader, client_writer, target, delay):
    global dirty
    stats["connections"] += 1
    dirty = True
    try:
        server_reader, server_writer = await asyncio.open_connection(*target)
    except OSError:
        client_writer.close()
        return
    link = Link()
    await asyncio.gather(
        pump(client_reader, server_writer, delay, link, True),
        pump(server_reader, client_writer, delay, link, False),
    )
    for w in (client_writer, server_writer):
        w.close()


def write_stats(path):
    global dirty
    if not path or not dirty:
        return
    dirty = False
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        json.dump(stats, f)
    os.replace(tmp, path)


async def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--listen", required=True)
    parser.add_argument("--target", required=True)
    parser.add_argument("--rtt-ms", type=float, default=0.0)
    parser.add_argument("--stats", default="")
    parser.add_argument("--control", default="")
    parser.add_argument("--max-seconds", type=float, default=3600.0)
    parser.add_argument("--dump", default="")
    args = parser.parse_args()
    global dump
    if args.dump:
        dump = open(args.dump, "w")
    listen = loopback(args.listen)
    target = loopback(args.target)
    delay = args.rtt_ms / 2000.0

    server = await asyncio.start_server(lambda r, w: handle(r, w, target, delay), *listen)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    loop.add_signal_handler(signal.SIGUSR1, reset_stats)
    deadline = time.monotonic() + args.max_seconds
    print(f"latency-proxy: {args.listen} -> {args.target}, RTT {args.rtt_ms} ms", flush=True)
    while not stop.is_set() and time.monotonic() < deadline:
        try:
            await asyncio.wait_for(stop.wait(), 0.2)
        except asyncio.TimeoutError:
            pass
        if args.control and os.path.exists(args.control):
            os.remove(args.control)
            reset_stats()
        write_stats(args.stats)
    server.close()
    global dirty
    dirty = True
    write_stats(args.stats)


if __name__ == "__main__":
    asyncio.run(main())
