#!/usr/bin/env python3
"""Drives the mpv player over its IPC socket for the heavy benchmark.

  mpv_drive.py stats SOCKET -- MPV_COMMAND...
      Runs MPV_COMMAND (which must play with --keep-open=yes, --end=... and
      --input-ipc-server=SOCKET) to its end and prints the frames mpv dropped:
      "frames dropped-output=N dropped-decoder=M".
  mpv_drive.py seek SOCKET T1,T2,... -- MPV_COMMAND...
      MPV_COMMAND must start paused. At each place T: an exact seek there, then
      a frame step forward and one back. For each it prints the milliseconds
      from sending the command to mpv's word that the frame is out: the
      playback-restart event for the seek and the step back (both seeks inside
      mpv, which sends it once the frame has gone to its video output), and the
      change of time-pos for the step forward (set when the frame goes out),
      and t0, when it was sent (CLOCK_MONOTONIC microseconds).
  mpv_drive.py frames WIDTH HEIGHT DAMAGE_FILE [T0...]
      Reads damage_watch's output and finds the pictures of WIDTH x HEIGHT that
      reached the screen: drawings as wide as the picture whose rows add up to
      its height (mpv's x11 output puts a picture in slices). Prints their
      number, and for each T0 the milliseconds from T0 to the first after it.
"""
import json
import socket
import subprocess
import sys
import time


class Mpv:
    def __init__(self, path, process):
        deadline = time.monotonic() + 15
        while True:
            try:
                self.sock = socket.socket(socket.AF_UNIX)
                self.sock.connect(path)
                break
            except OSError:
                if process.poll() is not None or time.monotonic() > deadline:
                    raise SystemExit("mpv did not open its IPC socket")
                time.sleep(0.02)
        self.buffer = b""
        self.next_id = 1
        self.events = []

    def send(self, *words):
        request = self.next_id
        self.next_id += 1
        self.sock.sendall(json.dumps({"command": list(words), "request_id": request}).encode() + b"\n")
        return request

    def read(self, timeout=30):
        self.sock.settimeout(timeout)
        while b"\n" not in self.buffer:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise EOFError
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return json.loads(line)

    def call(self, *words):
        request = self.send(*words)
        while True:
            message = self.read()
            if message.get("request_id") == request:
                return message.get("data")
            if "event" in message:
                self.events.append(message)

    def wait(self, accept, timeout=30):
        """Returns the first event (queued or new) that accept() takes."""
        while self.events:
            message = self.events.pop(0)
            if accept(message):
                return message
        deadline = time.monotonic() + timeout
        while True:
            message = self.read(max(0.01, deadline - time.monotonic()))
            if "event" in message and accept(message):
                return message


def stats(path, command):
    process = subprocess.Popen(command)
    mpv = Mpv(path, process)
    mpv.call("observe_property", 1, "eof-reached")
    mpv.wait(lambda m: m.get("event") == "property-change" and m.get("name") == "eof-reached" and m.get("data"),
             timeout=600)
    output = mpv.call("get_property", "frame-drop-count")
    decoder = mpv.call("get_property", "decoder-frame-drop-count")
    mpv.send("quit")
    process.wait()
    print(f"frames dropped-output={output or 0} dropped-decoder={decoder or 0}", flush=True)


def now_us():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 1000


def frames(width, height, damage, starts):
    shown = []
    # Rows of the screen drawn whole width since the last picture: a picture is
    # there when they add up to its height, in one drawing or in slices.
    rows = bytearray(1 << 14)
    covered = 0
    with open(damage) as lines:
        for line in lines:
            words = line.split()
            if len(words) != 5:
                continue
            at, y, w, h = int(words[0]), int(words[2]), int(words[3]), int(words[4])
            if w < 0.9 * width or y < 0:
                continue
            for row in range(y, min(y + h, len(rows))):
                if not rows[row]:
                    rows[row] = 1
                    covered += 1
            if covered >= 0.9 * height:
                shown.append(at)
                rows = bytearray(len(rows))
                covered = 0
    print(f"frames shown={len(shown)}")
    for start in starts:
        after = [at for at in shown if at > start]
        print(f"latency ms={(after[0] - start) / 1000:.1f}" if after else "latency ms=nan")


def seek(path, targets, command):
    process = subprocess.Popen(command)
    mpv = Mpv(path, process)
    mpv.call("observe_property", 1, "time-pos")
    restart = lambda m: m.get("event") == "playback-restart"
    # The first picture of the file.
    if mpv.call("get_property", "time-pos") is None:
        mpv.wait(restart)
    time.sleep(0.5)

    t0 = 0

    def settle(what, elapsed, target):
        time.sleep(0.3)
        at = mpv.call("get_property", "time-pos")
        print(f"{what} t0={t0} ms={elapsed:.1f} target={target:.3f} at={at:.3f}", flush=True)
        mpv.events.clear()

    for target in targets:
        mpv.events.clear()
        t0 = now_us()
        start = time.monotonic()
        mpv.call("seek", f"{target:.3f}", "absolute+exact")
        mpv.wait(restart)
        settle("seek", (time.monotonic() - start) * 1000, target)

        before = mpv.call("get_property", "time-pos")
        t0 = now_us()
        start = time.monotonic()
        mpv.call("frame-step")
        mpv.wait(lambda m: m.get("event") == "property-change" and m.get("name") == "time-pos"
                 and m.get("data") is not None and abs(m["data"] - before) > 1e-4)
        settle("step-forward", (time.monotonic() - start) * 1000, -1)

        t0 = now_us()
        start = time.monotonic()
        mpv.call("frame-back-step")
        mpv.wait(restart)
        settle("step-back", (time.monotonic() - start) * 1000, -1)
    mpv.send("quit")
    process.wait()


def main():
    if sys.argv[1] == "frames":
        frames(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], [int(t) for t in sys.argv[5:]])
        return
    mode, path = sys.argv[1], sys.argv[2]
    rest = sys.argv[3:]
    split = rest.index("--")
    if mode == "stats":
        stats(path, rest[split + 1:])
    elif mode == "seek":
        seek(path, [float(t) for t in rest[0].split(",")], rest[split + 1:])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main()
