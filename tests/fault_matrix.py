#!/usr/bin/python3
"""The fault matrix: the real programs over pseudo-terminals, each operation under each fault the
simulated amplifier can produce. A cell is "exact" (success, and the result byte for byte what
the amplifier holds, or what the same operation gives on a faultless amplifier), or the named
error the command line printed; never success with wrong data, never a hang, never a crash.
After each cell a new contact ("info") must work. Prints the table, and exits 1 if a cell fails.

  fault_matrix.py BUILD_DIR [--ops save,clock] [--faults none,lost]"""
import json, os, pty, re, signal, subprocess, sys, tempfile, threading, time

BUILD = sys.argv[1]
CLI, SIM = os.path.join(BUILD, "qro4000"), os.path.join(BUILD, "qro4000-sim")
LIMIT = 240  # no operation here takes this long even when every answer must be repeated
WORK = tempfile.mkdtemp(prefix="qro-matrix-")
AMP = os.path.join(WORK, "amp")
FAULTS = {
    "none": [], "lost 5 %": ["--drop-rate", "0.05"], "damaged 0.1 %": ["--corrupt-rate", "0.001"],
    "cancelling pair": ["--corrupt-pair", "30"], "refusal burst": ["--refuse-packet", "3", "--refuse-times", "4"],
    "silent 3 s": [], "silent": ["--silent"], "far end closed": [], "other device": [],
    "boot loader": ["--bootloader"],
}


def option(name, default):
    return sys.argv[sys.argv.index(name) + 1].split(",") if name in sys.argv else default


def mem_lines(path):
    for m in re.finditer(r"^MEM4 ([0-9A-F]{8}) ([0-9A-F]{2}) ([0-9A-F]*)$", open(path).read(), re.M):
        yield int(m[1], 16), bytes.fromhex(m[3])


class Sim:
    """qro4000-sim on a pty behind the link AMP, or another device: one that answers "?;" to all."""

    def __init__(self, fault, seed=1):
        self.dump = os.path.join(WORK, "dump%d" % seed)
        if os.path.lexists(AMP):
            os.remove(AMP)
        if fault == "other device":
            self.proc, self.fault, master, slave = None, fault, *pty.openpty()
            os.symlink(os.ttyname(slave), AMP)
            threading.Thread(target=self.echo, args=(master,), daemon=True).start()
            return
        self.proc = subprocess.Popen([SIM, "--link", AMP, "--dump", self.dump, "--baud", "230400", "--no-pace",
                                     "--delay", "0", "--erase-ms", "300", "--seed", str(seed), "--fault-entries",
                                     "40", "--revision-after-load", "154"] + FAULTS[fault], stdout=subprocess.PIPE)
        self.proc.stdout.readline()
        self.fault = fault

    def arm(self, seconds):
        """Silence or close the far end this long after now, while the operation runs."""
        if self.fault in ("silent 3 s", "far end closed"):
            threading.Timer(seconds, self.interrupt, args=(self.fault,)).start()

    def echo(self, master):
        try:
            while True:
                os.write(master, b"?;" * os.read(master, 256).count(b";"))
        except OSError:
            pass

    def interrupt(self, fault):
        if fault == "far end closed":
            self.proc.kill()
            return
        self.proc.send_signal(signal.SIGSTOP)
        time.sleep(3)
        self.proc.send_signal(signal.SIGCONT)

    def stop(self):
        """Ends the simulator; answers its memory and flash as it had them (None when killed)."""
        if not self.proc:
            return None, None
        self.proc.send_signal(signal.SIGCONT)
        self.proc.terminate()
        if self.proc.wait(10) != 0 or not os.path.exists(self.dump + ".eeprom"):
            return None, None
        memory, flash = (open(self.dump + ext, "rb").read() for ext in (".eeprom", ".flash"))
        os.remove(self.dump + ".eeprom")
        return memory, flash


def cli(*args, port=AMP):
    start = time.monotonic()
    try:
        run = subprocess.run([CLI, "-p", port, "--timeout", "5", "-y"] + list(args), capture_output=True,
                             text=True, timeout=LIMIT, env=dict(os.environ, HOME=WORK, XDG_CONFIG_HOME=WORK))
    except subprocess.TimeoutExpired:
        return None, "", "HANG", time.monotonic() - start
    said = run.stderr.split("Session summary")[0]  # a monitor's summary follows its error
    error = (said.strip().splitlines() or ["exit %d" % run.returncode])[-1].replace(WORK + "/", "")
    if run.returncode < 0:
        error = "CRASH (signal %d)" % -run.returncode
    return run.returncode, run.stdout, error, time.monotonic() - start


def file_matches(path, memory, regions=((0, 1 << 30),)):
    """Every byte of the file's memory lines that falls in the regions is the memory's."""
    return memory is not None and all(
        memory[a] == b for at, data in mem_lines(path) for a, b in enumerate(data, at)
        if any(s <= a < s + n for s, n in regions))


def faults_exact(mem, out, ref):
    """The same entries as on a faultless amplifier, each time stamp the one in the memory (the
    simulator writes its log at start-up, with the time of day)."""
    def stamp(e):
        return "%02x-%02x-%02xT%02x:%02x:%02x" % tuple(mem[0x38000 + 32 * e["slot"] + 2:][:6])
    got, want = json.loads(out), json.loads(ref)
    return len(got) == len(want) and all(
        e.pop("timeStamp") == stamp(e) and r.pop("timeStamp") and e == r for e, r in zip(got, want))


def settings_exact():
    """Read back on the same amplifier by a new contact (the faults still apply to it)."""
    code, out, _, _ = cli("settings", "--json")
    return code == 0 and json.loads(out).get("banner") == "MATRIX"


LOG = 0x38000  # the fault log, written with the time of day when the simulator starts
RESTORE = ((0x10, 0x70), (0x80, 0x80), (0x100, 0x200), (0x300, 0xC00), (0xF00, 0x100), (0x1000, 0x37000))
SAVED, IMAGE = os.path.join(WORK, "saved.QRO4000Config"), os.path.join(WORK, "qro4000fw0154.hex")
OUT = os.path.join(WORK, "out.QRO4000Config")


def served_save():
    server = subprocess.Popen([CLI, "-p", AMP, "serve", "--share", "127.0.0.1:0"], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)
    try:
        return cli("save-config", OUT, port=server.stdout.readline().strip())
    finally:
        server.terminate()
        server.wait(10)


# operation: (how it runs, what "exact" means given the simulator's memory and flash after it,
# the output and the faultless output)
OPERATIONS = {
    "save": (lambda: cli("save-config", OUT), lambda mem, fl, out, ref: file_matches(OUT, mem)),
    "restore": (lambda: cli("restore-config", SAVED), lambda mem, fl, out, ref: file_matches(SAVED, mem, RESTORE)),
    "fault table": (lambda: cli("faults", "--json"), lambda mem, fl, out, ref: faults_exact(mem, out, ref)),
    "firmware load": (lambda: cli("firmware", "load", IMAGE, "--no-backup"), lambda mem, fl, out, ref: fl == ref),
    "settings write": (lambda: cli("settings", "set", "banner=MATRIX"), lambda mem, fl, out, ref: ref),
    "clock set": (lambda: cli("clock", "--set", "--utc"),  # the second may turn between the two clocks' readings
                  lambda mem, fl, out, ref: re.search(r"Difference: +(in step|1 s )", out) is not None),
    "reset": (lambda: cli("reset-config", "--no-backup"), lambda mem, fl, out, ref: mem[:LOG] == ref[:LOG]),
    "ATU erase": (lambda: cli("erase-atu", "--band", "3", "--antenna", "1", "--no-backup"),
                  lambda mem, fl, out, ref: mem[:LOG] == ref[:LOG]),
    "monitor 20 s": (lambda: cli("monitor", "--count", "20", "--interval", "1000"),
                     lambda mem, fl, out, ref: len(out.splitlines()) >= 20),
    "save via server": (served_save, lambda mem, fl, out, ref: file_matches(OUT, mem)),
}
# What a cell compares with: the output (fault table), the flash (firmware), the memory.
REFERENCE = {"fault table": 2, "firmware load": 1, "reset": 0, "ATU erase": 0}


def run_cell(op, fault, reference):
    run, exact = OPERATIONS[op]
    sim = Sim(fault, seed=2 if op == "restore" else 1)
    sim.arm(reference["seconds"] / 3 if reference else 1)  # a third into the faultless run
    code, out, error, seconds = run()
    if op == "settings write" and code == 0:
        reference = {op: settings_exact()}  # the reading stands in for a reference
    memory, flash = sim.stop()
    outcome = error
    if code == 0 and reference is None and op in REFERENCE:
        outcome = "reference"
    elif code == 0:
        outcome = "exact" if exact(memory, flash, out, (reference or {}).get(op)) else "WRONG DATA"
    if code != 0 and reference is None:
        sys.exit("%s fails on a faultless amplifier: %s" % (op, error))
    elif code is not None and code > 0 and not error.strip():
        outcome = "FAILED WITHOUT A MESSAGE"
    again = Sim("none")
    contact = cli("info")[0] == 0
    again.stop()
    return outcome, seconds, contact, (memory, flash, out)


def main():
    ops, faults = option("--ops", list(OPERATIONS)), option("--faults", list(FAULTS))
    setup = Sim("none")
    ok = cli("save-config", SAVED)[0] == 0
    setup.stop()
    ok = ok and subprocess.run([SIM, "--make-image", IMAGE, "--revision", "154"]).returncode == 0
    if not ok:
        sys.exit("cannot prepare the files")
    print("| operation | " + " | ".join(faults) + " |\n|" + "---|" * (len(faults) + 1))
    failed = False
    for op in ops:
        outcome, seconds, _, found = run_cell(op, "none", None)
        reference = {"seconds": seconds, op: found[REFERENCE[op]] if op in REFERENCE else None}
        cells = []
        for fault in faults:
            outcome, seconds, contact, _ = run_cell(op, fault, reference)
            bad = outcome in ("WRONG DATA", "HANG", "FAILED WITHOUT A MESSAGE") or outcome.startswith("CRASH")
            failed |= bad or not contact
            cells.append("%s%s (%.1f s)" % (outcome[:72], "" if contact else "; NO NEW CONTACT", seconds))
        print("| %s | %s |" % (op, " | ".join(cells)), flush=True)
    sys.exit(1 if failed else 0)


main()
