#!/usr/bin/env python3
"""The live map in headless Chromium against the simulated dongle's demo sky.

    map_in_browser.py <varnock> <simulated dongle library> <screenshot.png>

Starts the receiver (console view, -run) on a port base of its own, waits until the aircraft
document holds positions, then loads the page with every other host unreachable. The page's
self-check clicks a table row; its report must show one row per aircraft and one marker per
aircraft with a position (as the aircraft document says), the clicked row's marker selected and
nothing fetched from elsewhere. A screenshot is saved. Exit 77 (skipped) without Chromium.
"""
import json
import os
import random
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--no-first-run", "--hide-scrollbars",
    "--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1",
]


def fetch_json(url):
    with urllib.request.urlopen(url, timeout=5) as r:
        return json.loads(r.read().decode())


def free_base():
    """A port base whose servers' ports are all free now, below the kernel's ephemeral range."""
    for _ in range(200):
        base = 21000 + random.randrange(0, 1000) * 10
        socks = []
        try:
            for offset, kind in ((1, socket.SOCK_STREAM), (2, socket.SOCK_DGRAM), (4, socket.SOCK_STREAM),
                                 (8, socket.SOCK_STREAM), (9, socket.SOCK_STREAM)):
                s = socket.socket(socket.AF_INET, kind)
                socks.append(s)
                s.bind(("0.0.0.0", base + offset))
            return base
        except OSError:
            continue
        finally:
            for s in socks:
                s.close()
    raise RuntimeError("no free port base")


def chromium(exe, profile, extra, url, timeout=90):
    cmd = [exe] + CHROMIUM_FLAGS + ["--user-data-dir=" + profile] + extra + [url]
    return subprocess.run(cmd, capture_output=True, text=True, timeout=timeout)


def table_of(doc):
    """The rows the page should show: hex -> (callsign, altitude text)."""
    rows = {}
    for a in doc["aircraft"]:
        alt = a.get("alt_baro", a.get("alt_geom", ""))
        rows[a["hex"]] = (a.get("flight", "").strip(), str(alt))
    return rows


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    program, simdongle, shot = sys.argv[1:]
    exe = shutil.which("chromium") or shutil.which("chromium-browser")
    if not exe:
        print("SKIPPED: chromium is not installed (scripts/install-deps.sh installs it)")
        return 77

    work = tempfile.mkdtemp(prefix="varnock-map-")
    base = free_base()
    port = base + 9
    env = dict(os.environ, VARNOCK_HOME=work, VARNOCK_RTLSDR_LIB=simdongle, VARNOCK_SIM_SOURCE="demo",
               ASAN_OPTIONS="detect_leaks=0")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    log = open(os.path.join(work, "varnock.log"), "w")
    rx = subprocess.Popen([program, "-console", "-run", "-portbase=%d" % base], env=env,
                          stdin=subprocess.PIPE, stdout=log, stderr=subprocess.STDOUT)
    try:
        url = "http://127.0.0.1:%d/" % port
        deadline = time.time() + 90
        doc = None
        while time.time() < deadline:
            try:
                doc = fetch_json(url + "data/aircraft.json")
                if sum(1 for a in doc["aircraft"] if "lat" in a) >= 2:
                    break
            except OSError:
                pass
            time.sleep(0.5)
        else:
            print("FAIL: no aircraft with positions on port %d; log:" % port)
            print(open(os.path.join(work, "varnock.log")).read()[-3000:])
            return 1

        failures = []
        report = None
        for attempt in range(4):
            # The sky changes while we look: a mismatch is believed only when it persists.
            out = chromium(exe, os.path.join(work, "profile-%d" % attempt),
                           ["--virtual-time-budget=20000", "--dump-dom"], url + "#selftest")
            after = fetch_json(url + "data/aircraft.json")
            start = out.stdout.find('<pre id="selftest"')
            if start < 0:
                failures = ["the page wrote no self-check report (stderr: %s)" % out.stderr[-800:]]
                continue
            text = out.stdout[out.stdout.index(">", start) + 1:out.stdout.index("</pre>", start)]
            report = json.loads(text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", '"').replace("&amp;", "&"))
            want = table_of(after)
            got = {r[0]: (r[1], r[3]) for r in report["rows"]}
            with_pos = sorted(a["hex"] for a in after["aircraft"] if "lat" in a)
            failures = []
            if got != want:
                failures.append("table rows %s differ from aircraft.json %s" % (got, want))
            if report["markers"] != with_pos:
                failures.append("markers %s differ from positioned aircraft %s" % (report["markers"], with_pos))
            if report["count"] != str(len(want)):
                failures.append("aircraft count %s, document has %d" % (report["count"], len(want)))
            if not failures:
                break
        if report is not None:
            if not report["markerSelected"] or not report["rowSelected"]:
                failures.append("clicking row %s did not select its marker and row" % report["clicked"])
            if report["foreign"]:
                failures.append("fetched from elsewhere: %s" % report["foreign"])
            if report["basemapLayers"] < 10:
                failures.append("no offline basemap drawn")

        os.makedirs(os.path.dirname(os.path.abspath(shot)), exist_ok=True)
        if os.path.exists(shot):
            os.remove(shot)
        chromium(exe, os.path.join(work, "profile-shot"),
                 ["--virtual-time-budget=20000", "--window-size=1400,860", "--screenshot=" + os.path.abspath(shot)],
                 url + "#selftest")
        if not os.path.exists(shot) or os.path.getsize(shot) < 10000:
            failures.append("no screenshot at %s" % shot)

        for f in failures:
            print("FAIL:", f)
        if report is not None:
            print("rows %d, markers %d, clicked %s, screenshot %s" % (len(report["rows"]), len(report["markers"]),
                                                                     report["clicked"], shot))
        return 1 if failures else 0
    finally:
        rx.send_signal(signal.SIGTERM)
        try:
            rx.wait(timeout=20)
        except subprocess.TimeoutExpired:
            rx.kill()
            rx.wait()
        log.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
