#!/usr/bin/env python3
"""Drives the real program against the device simulator for a long run.

Started by scripts/soak inside the private network namespace, with a fresh
home. The program runs on a virtual X display (Xvfb) and is driven the way a
person would: keys and clicks through xdotool, the device's own capture button
and its misbehaviour through the simulator's standard input. Resident memory
and CPU time of the program are sampled every 10 s into samples.csv, events go
to events.csv, and soak.png shows both over time with the events marked.

Checks, judged only on what can be seen from outside: photo files appearing in
the photo folder, orders in customers.json, the program's log, its process.
  - resident memory right after each new inspection starts may grow by at most
    10 % from the first such point to the last (the first cycle, which builds
    every page once, is a warm-up and not measured);
  - every capture press outside a stall, a drop, a simulator restart or a
    resolution change must produce a photo file;
  - the program must be alive at the end.
"""
import csv
import glob
import json
import os
import signal
import subprocess
import sys
import threading
import time

MINUTES = float(sys.argv[1])
BIN = sys.argv[2]
OUT = sys.argv[3]
DISPLAY = ":77"
SCREEN = (1600, 1000)
# Every kind of event happens once per cycle; a short run uses a shorter
# cycle so that it still starts several new inspections.
CYCLE = 180.0 if MINUTES >= 10 else 90.0
CAPTURE_EVERY = 4.0
SAMPLE_EVERY = 10.0
PHOTO_WAIT = 4.0  # a press must show its file within this
# After these a capture may legitimately fail until the picture is back.
EXCUSE = {"stall": None, "drop": 12.0, "sim-kill": None, "sim-restart": 12.0,
          "resolution": 10.0, "resume": 8.0}

# Where the controls are, in pixels of the program window at 1440x900
# (measured on screenshots of the running program on this virtual display).
WINDOW_SIZE = (1440, 900)
POINTS = {
    "nav-orders": (60, 219),
    "nav-inspection": (60, 392),
    "nav-settings": (60, 553),
    "ear-left": (1248, 90),
    "ear-right": (1349, 90),
    "save-report": (1300, 838),
    "prompt-ok": (802, 492),
    "orders-new": (221, 115),
    "orders-first-detail": (268, 359),
    "form-order-number": (461, 213),
    "form-name": (806, 288),
    "form-gender": (363, 363),
    "form-inspector": (302, 717),
    "form-proceed": (438, 806),
    "settings-resolution": (384, 211),
}

home = os.environ["HOME"]
root_tmp = os.path.dirname(home)
start = time.monotonic()
events = []
lock = threading.Lock()
failures = []


def now():
    return time.monotonic() - start


def log_event(kind, detail=""):
    with lock:
        events.append((round(now(), 1), kind, detail))
    print(f"{now():7.1f}s {kind} {detail}", flush=True)


def photo_files():
    files = set()
    for folder in glob.glob(os.path.join(root_tmp, "**", "OtoscopePhotos"), recursive=True):
        files.update(glob.glob(os.path.join(folder, "*", "*.jpg")))
    return files


def order_count():
    counts = [0]
    for path in glob.glob(os.path.join(root_tmp, "**", "customers.json"), recursive=True):
        try:
            with open(path, encoding="utf-8") as f:
                counts.append(len(json.load(f).get("customers", [])))
        except (OSError, ValueError):
            pass
    return max(counts)


def xdo(*args):
    return subprocess.run(["xdotool", *args], env=xenv, capture_output=True, text=True)


class Simulator:
    def __init__(self):
        self.proc = None
        self.log = open(os.path.join(OUT, "simulator.log"), "a")

    def start(self):
        self.proc = subprocess.Popen([os.path.join(BIN, "otoscope-sim"), "--fps", "15"],
                                     stdin=subprocess.PIPE, stdout=self.log, stderr=self.log,
                                     text=True)

    def send(self, command):
        # The simulator takes one command per read of its input: two lines
        # arriving together would both be ignored.
        wait = getattr(self, "last", 0) + 0.5 - time.monotonic()
        if wait > 0:
            time.sleep(wait)
        self.last = time.monotonic()
        if self.proc and self.proc.poll() is None:
            self.proc.stdin.write(command + "\n")
            self.proc.stdin.flush()

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def sampler(pid, stop):
    ticks = os.sysconf("SC_CLK_TCK")
    last_cpu, last_t = None, None
    with open(os.path.join(OUT, "samples.csv"), "w", newline="") as f:
        out = csv.writer(f)
        out.writerow(["seconds", "rss_mib", "cpu_percent", "photos", "orders"])
        while not stop.wait(0 if last_t is None else SAMPLE_EVERY - (now() - last_t)):
            try:
                with open(f"/proc/{pid}/status") as s:
                    rss = next(int(l.split()[1]) for l in s if l.startswith("VmRSS:"))
                with open(f"/proc/{pid}/stat") as s:
                    fields = s.read().rsplit(")", 1)[1].split()
                cpu = (int(fields[11]) + int(fields[12])) / ticks
            except (OSError, StopIteration):
                return
            t = now()
            pct = "" if last_cpu is None else round(100 * (cpu - last_cpu) / (t - last_t), 1)
            out.writerow([round(t, 1), round(rss / 1024, 1), pct, len(photo_files()), order_count()])
            f.flush()
            last_cpu, last_t = cpu, t


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as s:
        return int(next(l.split()[1] for l in s if l.startswith("VmRSS:"))) / 1024


# --- the display, the simulator and the program ---------------------------------
xenv = dict(os.environ, DISPLAY=DISPLAY, QT_QPA_PLATFORM="xcb")
xvfb = subprocess.Popen(["Xvfb", DISPLAY, "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(1.5)

# One inspector, so a new order can be filed without the inspector dialog.
data_dir = os.path.join(os.environ.get("XDG_DATA_HOME", home), "lumaural")
os.makedirs(data_dir, exist_ok=True)
with open(os.path.join(data_dir, "fitters.json"), "w", encoding="utf-8") as f:
    json.dump({"fitters": [{"id": 1, "name": "Soak", "workId": "S-1", "clinicName": "Soak clinic",
                            "phone": "", "workYears": -1, "gender": "保密", "skill": "", "note": "",
                            "isDefault": True}]}, f, ensure_ascii=False, indent=4)

sim = Simulator()
sim.start()
program_log = open(os.path.join(OUT, "program.log"), "w")
program = subprocess.Popen([os.path.join(BIN, "lumaural")], env=xenv, stdout=program_log,
                           stderr=subprocess.STDOUT)
window = None
for _ in range(60):
    found = xdo("search", "--onlyvisible", "--name", "Lumaural").stdout.split()
    if found:
        window = found[0]
        break
    time.sleep(0.5)
if window is None:
    print("soak: the program window never appeared", file=sys.stderr)
    program.kill()
    xvfb.kill()
    sys.exit(1)
xdo("windowmove", window, "0", "0")
xdo("windowsize", window, str(WINDOW_SIZE[0]), str(WINDOW_SIZE[1]))
time.sleep(1)


def geometry():
    out = xdo("getwindowgeometry", "--shell", window).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def click(name, settle=1.0):
    x, y, _, _ = geometry()
    px, py = POINTS[name]
    xdo("mousemove", "--sync", str(x + px), str(y + py))
    xdo("click", "1")
    time.sleep(settle)


def type_text(text):
    xdo("type", "--delay", "30", text)


def key(*names):
    xdo("windowfocus", "--sync", window)
    xdo("key", *names)


stop = threading.Event()
sample_thread = threading.Thread(target=sampler, args=(program.pid, stop), daemon=True)
sample_thread.start()

# Wait for the first picture: the stream starts 3 s after the device answers.
time.sleep(8)
log_event("start")

excused_until = 0.0
excused_open = False
presses = 0
missing = []
inspection_points = []
saves = 0
capture_toggle = False
ear_left = True
resolution_toggle = False


def excuse(kind):
    global excused_until, excused_open
    if EXCUSE.get(kind, 0) is None:
        excused_open = True
    elif kind in EXCUSE:
        excused_open = False if kind in ("resume", "sim-restart") else excused_open
        excused_until = max(excused_until, now() + EXCUSE[kind])


def press_capture():
    global presses, capture_toggle
    before = photo_files()
    pressed_at = now()
    capture_toggle = not capture_toggle
    if capture_toggle:
        key("space")
        how = "key"
    else:
        sim.send("photo")
        how = "device"
    presses += 1
    deadline = time.monotonic() + PHOTO_WAIT
    while time.monotonic() < deadline:
        if len(photo_files() - before) > 0:
            return
        time.sleep(0.2)
    excused = excused_open or pressed_at < excused_until
    log_event("capture-without-photo", f"{how}{' (excused)' if excused else ''}")
    if not excused:
        missing.append((round(pressed_at, 1), how))


def new_inspection(index):
    """Order list, new order, fill it in, on to the inspection: an empty workspace."""
    click("nav-orders", 2)
    click("orders-new", 2)
    click("form-order-number", 0.5)
    type_text(f"SOAK{index:03d}")
    click("form-name", 0.5)
    type_text(f"Soak customer {index}")
    for combo in ("form-gender", "form-inspector"):  # the first real entry of each
        click(combo, 0.7)
        key("Down")
        key("Return")
    click("form-proceed", 3)
    log_event("new-inspection", f"#{index}")
    time.sleep(5)  # settled: the picture is back and the old pages are gone
    rss = rss_mib(program.pid)
    # The first cycle builds every page, cache and font once; memory is
    # compared from the second new inspection on, when all of that exists.
    if index == 1:
        log_event("rss-warm-up", f"{rss:.1f} MiB")
        return
    inspection_points.append((round(now(), 1), rss))
    log_event("rss-after-new-inspection", f"{rss:.1f} MiB")


def save_order():
    global saves
    before = order_count()
    click("save-report", 1.5)
    click("prompt-ok", 3)
    after = order_count()
    log_event("save-order", f"orders {before} -> {after}")
    if after > before:
        saves += 1
    # The order list, then a detail page.
    click("nav-orders", 2.5)
    click("orders-first-detail", 2.5)
    log_event("order-list-and-detail")


def change_resolution():
    global resolution_toggle
    resolution_toggle = not resolution_toggle
    excuse("resolution")
    click("nav-settings", 2)
    click("settings-resolution", 1)
    key("Down" if resolution_toggle else "Up")
    key("Return")
    log_event("resolution", "640x480" if resolution_toggle else "1280x720")
    time.sleep(1)
    click("nav-inspection", 2)


# One cycle: (second within the cycle, action)
def cycle_actions(n):
    return [
        (2, lambda: new_inspection(n)),
        (25, lambda: (sim.send("garbage"), log_event("garbage"))),
        (35, lambda: (click("ear-right", 0.5), log_event("ear", "right"))),
        (50, lambda: (excuse("stall"), sim.send("stall"), log_event("stall"))),
        (60, lambda: (sim.send("resume"), excuse("resume"), log_event("resume"))),
        (75, lambda: (excuse("drop"), sim.send("drop"), log_event("drop"))),
        (95, lambda: (click("ear-left", 0.5), log_event("ear", "left"))),
        (105, lambda: (sim.send("garbage"), log_event("garbage"))),
        (115, lambda: (excuse("sim-kill"), sim.kill(), log_event("sim-kill"))),
        (120, lambda: (sim.start(), excuse("sim-restart"), log_event("sim-restart"))),
        (135, change_resolution),
        (160, save_order),
    ]


end = MINUTES * 60
cycle = 0
while now() < end and program.poll() is None:
    cycle_start = now()
    actions = cycle_actions(cycle + 1)
    next_capture = cycle_start + 6
    for at, action in actions:
        at *= CYCLE / 180.0
        while now() < min(cycle_start + at, end) and program.poll() is None:
            if now() >= next_capture and at - (now() - cycle_start) > PHOTO_WAIT:
                press_capture()
                next_capture = now() + CAPTURE_EVERY
            time.sleep(0.2)
        if now() >= end or program.poll() is not None:
            break
        action()
    while now() < min(cycle_start + CYCLE, end) and program.poll() is None:
        time.sleep(0.2)
    cycle += 1

alive = program.poll() is None
log_event("end", "program alive" if alive else f"program died ({program.returncode})")
stop.set()
sample_thread.join(timeout=15)
if alive:
    program.send_signal(signal.SIGTERM)
    try:
        program.wait(timeout=10)
    except subprocess.TimeoutExpired:
        program.kill()
sim.kill()
xvfb.kill()

with open(os.path.join(OUT, "events.csv"), "w", newline="") as f:
    out = csv.writer(f)
    out.writerow(["seconds", "event", "detail"])
    out.writerows(events)

# --- verdict ---------------------------------------------------------------------
photos = len(photo_files())
print(f"soak: {now() / 60:.1f} min, {presses} capture presses, {photos} photo files, "
      f"{saves} orders saved, {len(inspection_points)} new inspections")
if not alive:
    failures.append("the program died")
if missing:
    failures.append(f"{len(missing)} capture presses outside a stall or drop gave no photo: {missing[:10]}")
if len(inspection_points) >= 2:
    first, last = inspection_points[0][1], inspection_points[-1][1]
    growth = 100 * (last - first) / first
    print(f"soak: resident memory after new inspections: {first:.1f} -> {last:.1f} MiB ({growth:+.1f} %)")
    if growth > 10:
        failures.append(f"resident memory grew by {growth:.1f} % across new inspections")
else:
    failures.append("fewer than two new inspections: no memory comparison")
if saves == 0:
    failures.append("no order was saved")

try:
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    rows = list(csv.DictReader(open(os.path.join(OUT, "samples.csv"))))
    t = [float(r["seconds"]) / 60 for r in rows]
    fig, (a, b) = plt.subplots(2, 1, sharex=True, figsize=(12, 7))
    a.plot(t, [float(r["rss_mib"]) for r in rows], label="resident memory (MiB)")
    a.plot([p[0] / 60 for p in inspection_points], [p[1] for p in inspection_points], "o",
           label="right after a new inspection")
    a.set_ylabel("MiB")
    a.legend(loc="upper left")
    b.plot([x for x, r in zip(t, rows) if r["cpu_percent"]],
           [float(r["cpu_percent"]) for r in rows if r["cpu_percent"]], color="tab:red")
    b.set_ylabel("CPU %")
    b.set_xlabel("minutes")
    colours = {"stall": "grey", "drop": "orange", "sim-kill": "black", "resolution": "green",
               "save-order": "blue", "new-inspection": "purple"}
    for seconds, kind, _ in events:
        if kind in colours:
            for ax in (a, b):
                ax.axvline(seconds / 60, color=colours[kind], alpha=0.3, linewidth=0.8)
    a.set_title("Lumaural soak: " + ", ".join(f"{k} ({c})" for k, c in colours.items()), fontsize=8)
    fig.tight_layout()
    fig.savefig(os.path.join(OUT, "soak.png"), dpi=100)
except ImportError:
    print("soak: matplotlib missing, no plot", file=sys.stderr)

if failures:
    for failure in failures:
        print("SOAK FAILED: " + failure, file=sys.stderr)
    sys.exit(1)
print("soak passed")
