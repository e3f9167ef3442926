#!/usr/bin/env python3
"""Clients, churn and the per-minute figures of the soak; started by scripts/soak.sh."""
import argparse
import os
import selectors
import signal
import socket
import sys
import threading
import time


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


def fd_count(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def read_stats(path):
    try:
        with open(path) as f:
            return {k: int(v) for k, v in (line.split() for line in f if line.strip())}
    except (OSError, ValueError):
        return None


class Reader:
    """A TCP client that counts what it reads; `read=False` connects and never reads."""

    def __init__(self, name, port, read=True):
        self.name = name
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=5)
        self.sock.setblocking(False)
        self.read = read
        self.bytes = 0
        self.lines = 0
        self.closed = False

    def on_readable(self):
        try:
            data = self.sock.recv(1 << 16)
        except BlockingIOError:
            return
        except OSError:
            data = b""
        if not data:
            self.closed = True
            return
        self.bytes += len(data)
        self.lines += data.count(b"\n")


class Soak:
    def __init__(self, a):
        self.a = a
        self.stop = threading.Event()
        self.lock = threading.Lock()  # held by churn and poller while a request is open
        self.http_ok = 0
        self.http_fail = 0
        self.churn_cycles = 0
        self.churn_unexpected = 0
        self.errors = []

    # --- background load -------------------------------------------------------------------
    def http_get(self, path):
        s = socket.create_connection(("127.0.0.1", self.a.base + 8), timeout=10)
        try:
            s.sendall(f"GET /{path} HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n".encode())
            chunks = []
            while True:
                d = s.recv(1 << 16)
                if not d:
                    break
                chunks.append(d)
            return b"".join(chunks)
        finally:
            s.close()

    def poller(self):
        while not self.stop.is_set():
            t0 = time.monotonic()
            with self.lock:
                for t in self.a.tables:
                    try:
                        body = self.http_get(t)
                        if body.startswith(b"HTTP/1.1 200"):
                            self.http_ok += 1
                        else:
                            self.http_fail += 1
                    except OSError:
                        self.http_fail += 1
            self.stop.wait(max(0.0, 1.0 - (time.monotonic() - t0)))

    def churn(self):
        # A sixth 30003 client (closed by the server at once) and HTTP connections that leave
        # without a request or halfway through one.
        while not self.stop.is_set():
            with self.lock:
                try:
                    s = socket.create_connection(("127.0.0.1", self.a.base + 4), timeout=5)
                    s.settimeout(5)
                    if s.recv(4096) != b"":
                        self.churn_unexpected += 1
                    s.close()
                    s = socket.create_connection(("127.0.0.1", self.a.base + 8), timeout=5)
                    s.close()
                    s = socket.create_connection(("127.0.0.1", self.a.base + 8), timeout=5)
                    s.sendall(b"GET /nothing HT")
                    s.close()
                    self.churn_cycles += 1
                except OSError:
                    self.churn_unexpected += 1
            self.stop.wait(0.5)

    # --- the run ---------------------------------------------------------------------------
    def run(self):
        a = self.a
        raw = Reader("raw", a.base + 1)
        sbs = [Reader(f"sbs{i + 1}", a.base + 4, read=(i < 4)) for i in range(5)]
        relay = Reader("relay", a.base + 11)
        sbs[4].sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        readers = [raw, relay] + sbs
        sel = selectors.DefaultSelector()
        for r in readers:
            if r.read:
                sel.register(r.sock, selectors.EVENT_READ, r)
        threads = [threading.Thread(target=self.poller, daemon=True),
                   threading.Thread(target=self.churn, daemon=True)]
        for t in threads:
            t.start()

        rows = []
        table = open(a.table, "w")
        cols = ["minute", "rss_kB", "fds", "tick_median_us", "tick_worst_us", "buffers_missed",
                "raw", "relay", "sbs1", "sbs2", "sbs3", "sbs4", "sbs5_idle", "http_ok", "http_fail",
                "relay_rss_kB", "relay_fds"]
        table.write("\t".join(cols) + "\n")
        table.flush()
        last = {r.name: 0 for r in readers}
        last_http = (0, 0)
        stats_mtime = None
        start = time.monotonic()
        last_sample = start
        end = start + a.seconds
        failures = []

        while True:
            for key, _ in sel.select(timeout=0.2):
                key.data.on_readable()
                if key.data.closed:
                    sel.unregister(key.data.sock)
            for r in readers:
                if r.read and r.closed and f"{r.name} closed" not in failures:
                    failures.append(f"{r.name} closed")
            now = time.monotonic()
            try:
                m = os.stat(a.stats).st_mtime_ns
            except OSError:
                m = None
            if m is not None and m != stats_mtime:
                stats_mtime = m
                st = read_stats(a.stats) or {}
                row = {
                    "minute": round((now - start) / 60.0, 1),
                    "rss_kB": rss_kb(a.pid), "fds": fd_count(a.pid),
                    "tick_median_us": st.get("tick_median_us", -1),
                    "tick_worst_us": st.get("tick_worst_us", -1),
                    "buffers_missed": st.get("buffers_missed", -1),
                    "http_ok": self.http_ok - last_http[0], "http_fail": self.http_fail - last_http[1],
                    "relay_rss_kB": rss_kb(a.relay_pid), "relay_fds": fd_count(a.relay_pid),
                }
                for r in readers:
                    key = "sbs5_idle" if r.name == "sbs5" else r.name
                    row[key] = r.lines - last[r.name]
                    last[r.name] = r.lines
                last_http = (self.http_ok, self.http_fail)
                rows.append(row)
                table.write("\t".join(str(row[c]) for c in cols) + "\n")
                table.flush()
                print("  ".join(f"{c}={row[c]}" for c in cols), flush=True)
                last_sample = now
                if row["buffers_missed"] != 0:
                    failures.append(f"buffers missed: {row['buffers_missed']} by minute {row['minute']}")
                # Every client that reads must have had output in every minute after the first.
                if len(rows) > 1:
                    for k in ("raw", "relay", "sbs1", "sbs2", "sbs3", "sbs4"):
                        if row[k] == 0:
                            failures.append(f"{k} received nothing in minute {row['minute']}")
            if now - last_sample > 150:
                failures.append("no stats from the receiver for 150 s")
            if now >= end or failures:
                break

        self.stop.set()
        for t in threads:
            t.join(timeout=15)
        # The end: the receiver goes; everything it queued reaches the readers before EOF.
        os.kill(a.pid, signal.SIGTERM)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and any(r.read and not r.closed for r in sbs + [raw]):
            for key, _ in sel.select(timeout=0.2):
                key.data.on_readable()
                if key.data.closed:
                    sel.unregister(key.data.sock)
        time.sleep(1)
        for key, _ in list(sel.select(timeout=0.5)):
            key.data.on_readable()

        totals = {r.name: r.lines for r in readers}
        print("totals: " + "  ".join(f"{k}={v}" for k, v in totals.items())
              + f"  http_ok={self.http_ok} http_fail={self.http_fail}"
              + f"  churn_cycles={self.churn_cycles} churn_unexpected={self.churn_unexpected}", flush=True)
        good = [totals[f"sbs{i}"] for i in range(1, 5)]
        if len(set(good)) != 1:
            failures.append(f"the four reading 30003 clients got different line counts: {good}")
        if totals["relay"] < totals["raw"] * 0.999:
            failures.append(f"relay got {totals['relay']} of {totals['raw']} raw lines")
        if self.http_fail:
            failures.append(f"{self.http_fail} HTTP table requests failed")
        if self.churn_unexpected:
            failures.append(f"{self.churn_unexpected} churn connections behaved unexpectedly")

        # Growth: after the warm-up, nothing may exceed its value at the end of the warm-up.
        # fds get 2 of slack for churn connections the server is still closing.
        after = [r for r in rows if r["minute"] >= a.warmup_minutes]
        if len(after) >= 2:
            ref = after[0]
            rss_max = max(r["rss_kB"] for r in after[1:])
            fds_max = max(r["fds"] for r in after[1:])
            if rss_max > ref["rss_kB"] * 1.02 + 2048:
                failures.append(f"RSS grew after warm-up: {ref['rss_kB']} -> {rss_max} kB")
            if fds_max > ref["fds"] + 2:
                failures.append(f"descriptors grew after warm-up: {ref['fds']} -> {fds_max}")
        elif not failures:
            failures.append(f"too short to judge growth: {len(after)} samples after the warm-up")

        table.close()
        with open(a.summary, "w") as f:
            f.write("PASS\n" if not failures else "FAIL\n" + "\n".join(failures) + "\n")
        for msg in failures:
            print("FAIL: " + msg, flush=True)
        return 0 if not failures else 1


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--base", type=int, required=True)
    p.add_argument("--pid", type=int, required=True)
    p.add_argument("--relay-pid", type=int, required=True)
    p.add_argument("--stats", required=True)
    p.add_argument("--seconds", type=int, required=True)
    p.add_argument("--warmup-minutes", type=float, default=10)
    p.add_argument("--tables", nargs=4, required=True)
    p.add_argument("--table", required=True)
    p.add_argument("--summary", required=True)
    sys.exit(Soak(p.parse_args()).run())


if __name__ == "__main__":
    main()
