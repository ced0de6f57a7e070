#!/usr/bin/env python3
"""Planted-fault harness for corva16.

    run.py WORKTREE [--ids a,b,...] [--out NAME] [--timeout SECONDS] [--baseline]

For each fault of faults.py: restore the worktree (git checkout -- .), plant the
fault, rebuild build/native and build/win64, and run the layers native -> windows
-> e2e, stopping at the first that fails. Results go to
$CORVA_FAULTS_OUT/results-<NAME>.json and .md (default /tmp/corva-faults) (NAME defaults to the worktree's basename),
rewritten after every fault; with --ids the entries are merged into the existing
file. --baseline runs all three layers once without any fault first (entry
"__baseline__"), to show failures that are not caused by a fault.
The worktree must have been built once: bash tools/build.sh native win64.
"""
import argparse
import glob
import json
import os
import signal
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from faults import FAULTS  # noqa: E402

WIN_ONLY_PREFIXES = ("platform/win32/", "forms/win32/", "helpers/win32/")


def log(msg):
    print(time.strftime("%H:%M:%S"), msg, flush=True)


def run(cmd, cwd, timeout, env=None, logfile=None):
    """Runs cmd in its own process group. Returns (rc or None on timeout, output, seconds)."""
    start = time.time()
    p = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         start_new_session=True, text=True, errors="replace")
    try:
        out, _ = p.communicate(timeout=timeout)
        rc = p.returncode
    except subprocess.TimeoutExpired:
        try:
            os.killpg(p.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        out, _ = p.communicate()
        rc = None
    if logfile:
        with open(logfile, "a") as f:
            f.write("$ %s  (in %s)\n%s\n[rc=%s, %.0fs]\n" % (" ".join(cmd), cwd, out, rc,
                                                          time.time() - start))
    return rc, out, time.time() - start


def failed_from_xml(paths):
    names = []
    for path in paths:
        try:
            root = ET.parse(path).getroot()
        except (ET.ParseError, OSError):
            continue
        for case in root.iter("testcase"):
            if case.find("failure") is not None or case.find("error") is not None:
                names.append("%s.%s" % (case.get("classname", "?"), case.get("name", "?")))
    return names


def failed_from_output(out):
    names = []
    for line in out.splitlines():
        line = line.strip()
        if line.startswith("[  FAILED  ]") and "," not in line and "listed below" not in line:
            name = line[len("[  FAILED  ]"):].strip().split(" ")[0]
            if name and name not in names and "tests," not in line:
                names.append(name)
    return names


class Harness:
    def __init__(self, worktree, timeout, logfile):
        self.wt = os.path.abspath(worktree)
        self.timeout = timeout
        self.logfile = logfile
        self.native = os.path.join(self.wt, "build/native")
        self.win64 = os.path.join(self.wt, "build/win64")
        self.prefix = os.path.join(self.win64, "wineprefix")
        self.env = dict(os.environ)
        self.display_proc = None

    # --- display and Wine -------------------------------------------------------------
    def start_display(self):
        if os.environ.get("FAULTS_DISPLAY"):
            self.env["DISPLAY"] = os.environ["FAULTS_DISPLAY"]
            return
        for n in range(95, 111):
            if os.path.exists("/tmp/.X11-unix/X%d" % n) or os.path.exists("/tmp/.X%d-lock" % n):
                continue
            self.display_proc = subprocess.Popen(
                ["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(50):
                if os.path.exists("/tmp/.X11-unix/X%d" % n):
                    break
                time.sleep(0.1)
            self.env["DISPLAY"] = ":%d" % n
            log("display :%d (pid %d)" % (n, self.display_proc.pid))
            return
        raise SystemExit("no free X display in :95-:110")

    def kill_wine(self):
        env = dict(self.env, WINEPREFIX=self.prefix)
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        # -k only signals; wait until the server (and so the prefix) is quiet, or the
        # next layer's prefix rebuild may race with it.
        try:
            subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            pass
        time.sleep(1)

    def stop(self):
        self.kill_wine()
        if self.display_proc:
            self.display_proc.kill()
            self.display_proc.wait()

    # --- source -----------------------------------------------------------------------
    def git_restore(self):
        subprocess.run(["git", "-C", self.wt, "checkout", "--", "."], check=True)

    # --- build and layers -------------------------------------------------------------
    def build(self, dirs):
        for d in dirs:
            rc, out, _ = run(["cmake", "--build", d, "-j2"], self.wt, 1800, self.env, self.logfile)
            if rc != 0:
                errors = [l for l in out.splitlines() if "error" in l.lower()][:6]
                return False, "\n".join(errors) or out[-1500:]
        return True, ""

    def layer(self, name):
        """Runs one layer; returns dict(result=pass|fail|timeout, tests=[...], seconds)."""
        if name == "native":
            cwd, args, xmls = self.native, [], [os.path.join(self.native, "test-results/native.xml")]
        else:
            cwd = self.win64
            args = ["-R", "^%s$" % name]
            xmls = [os.path.join(self.win64, "test-results/%s.xml" % name)]
        for x in xmls:
            if os.path.exists(x):
                os.remove(x)
        rc, out, secs = run(["ctest", "--output-on-failure"] + args, cwd, self.timeout, self.env,
                            self.logfile)
        if name != "native":
            self.kill_wine()
        note = ""
        if rc not in (0, None) and "wine-prefix (Failed)" in out:
            # The prefix rebuild failed, not a test: once more, and say so.
            log("  %s: wine-prefix setup failed, retrying the layer once" % name)
            note = "wine-prefix setup failed once; layer retried"
            rc, out, secs = run(["ctest", "--output-on-failure"] + args, cwd, self.timeout,
                                self.env, self.logfile)
            self.kill_wine()
            if rc not in (0, None) and "wine-prefix (Failed)" in out:
                return dict(result="setupfail", tests=["wine-prefix setup failed twice"],
                            seconds=round(secs), note=note)
        if rc is None:
            return dict(result="timeout", tests=failed_from_output(out), seconds=round(secs),
                        note=note)
        if rc == 0:
            return dict(result="pass", tests=[], seconds=round(secs), note=note)
        tests = failed_from_xml([x for x in xmls if os.path.exists(x)]) or failed_from_output(out)
        if not tests:
            # No test case failed: the program crashed or the setup (wine-prefix) failed.
            for line in out.splitlines():
                if "***" in line or "Failed" in line or "Exception" in line:
                    tests.append(line.strip()[:160])
            tests = tests[:5] or ["(ctest rc=%s, no failing case found)" % rc]
        return dict(result="fail", tests=tests, seconds=round(secs), note=note)

    def run_layers(self, native_too):
        layers = (["native"] if native_too else []) + ["windows", "e2e"]
        timings = {}
        self.notes = []
        for name in layers:
            r = self.layer(name)
            timings[name] = r["seconds"]
            if r.get("note"):
                self.notes.append("%s: %s" % (name, r["note"]))
            log("  %-8s %s %s (%ss)" % (name, r["result"], " ".join(r["tests"][:4]), r["seconds"]))
            if r["result"] != "pass":
                return name, r, timings
        return None, None, timings


def write_results(path_base, results, order):
    ordered = [results[k] for k in order if k in results] + \
              [v for k, v in results.items() if k not in order]
    with open(path_base + ".json", "w") as f:
        json.dump(ordered, f, indent=2)
    counts = {}
    for r in ordered:
        if r["id"] == "__baseline__":
            continue
        counts[r["status"]] = counts.get(r["status"], 0) + 1
    lines = ["# Planted faults: results", "",
             "Counts: " + ", ".join("%s %d" % (k, v) for k, v in sorted(counts.items())), "",
             "| id | file | status | layer | failing tests | seconds | description |",
             "|---|---|---|---|---|---|---|"]
    for r in ordered:
        status = r["status"] + (" (timeout)" if r.get("timeout") else "")
        tests = ", ".join(r.get("tests", [])[:6]).replace("|", "\\|").replace("\n", " / ")
        if len(r.get("tests", [])) > 6:
            tests += ", ... (%d)" % len(r["tests"])
        if r.get("note"):
            tests += " [note: %s]" % r["note"]
        lines.append("| %s | %s | %s | %s | %s | %s | %s |" % (
            r["id"], r.get("file", ""), status, r.get("layer") or "", tests,
            r.get("seconds", ""), r.get("desc", "").replace("|", "\\|")))
    with open(path_base + ".md", "w") as f:
        f.write("\n".join(lines) + "\n")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("worktree")
    ap.add_argument("--ids")
    ap.add_argument("--out")
    ap.add_argument("--timeout", type=int, default=900, help="seconds per layer")
    ap.add_argument("--baseline", action="store_true")
    a = ap.parse_args()

    name = a.out or os.path.basename(os.path.abspath(a.worktree).rstrip("/"))
    out = os.environ.get("CORVA_FAULTS_OUT", "/tmp/corva-faults")
    os.makedirs(out, exist_ok=True)
    base = os.path.join(out, "results-" + name)
    logfile = base + ".log"
    faults = FAULTS
    if a.ids:
        wanted = a.ids.split(",")
        unknown = [i for i in wanted if i not in {f["id"] for f in FAULTS}]
        if unknown:
            raise SystemExit("unknown fault ids: " + ",".join(unknown))
        faults = [f for f in FAULTS if f["id"] in wanted]
    results = {}
    if a.ids and os.path.exists(base + ".json"):
        for r in json.load(open(base + ".json")):
            results[r["id"]] = r
    order = ["__baseline__"] + [f["id"] for f in FAULTS]

    h = Harness(a.worktree, a.timeout, logfile)
    h.start_display()
    started = time.time()
    try:
        h.git_restore()
        if a.baseline:
            log("baseline")
            ok, err = h.build([h.native, h.win64])
            t0 = time.time()
            layer, r, timings = h.run_layers(True) if ok else ("build", dict(tests=[err]), {})
            results["__baseline__"] = dict(
                id="__baseline__", file="", desc="no fault (all layers run)",
                status="pass" if layer is None else "fail", layer=layer,
                tests=(r or {}).get("tests", []), timings=timings,
                seconds=round(time.time() - t0))
            write_results(base, results, order)
        for f in faults:
            t0 = time.time()
            log("fault %s (%s)" % (f["id"], f["file"]))
            entry = dict(id=f["id"], file=f["file"], desc=f["desc"])
            path = os.path.join(h.wt, f["file"])
            try:
                h.git_restore()
                text = open(path).read()
                n = text.count(f["old"])
                if n != 1:
                    entry.update(status="badfault", layer=None,
                                 tests=["old text found %d times" % n])
                else:
                    with open(path, "w") as out:
                        out.write(text.replace(f["old"], f["new"], 1))
                    win_only = f["file"].startswith(WIN_ONLY_PREFIXES)
                    dirs = [h.win64] if win_only else [h.native, h.win64]
                    ok, err = h.build(dirs)
                    if not ok:
                        entry.update(status="nocompile", layer="build", tests=[err])
                    else:
                        layer, r, timings = h.run_layers(not win_only)
                        entry["timings"] = timings
                        if h.notes:
                            entry["note"] = "; ".join(h.notes)
                        if layer is None:
                            entry.update(status="missed", layer=None, tests=[])
                        elif r["result"] == "setupfail":
                            entry.update(status="setupfail", layer=layer, tests=r["tests"])
                        else:
                            entry.update(status="caught", layer=layer, tests=r["tests"],
                                         timeout=r["result"] == "timeout")
            finally:
                subprocess.run(["git", "-C", h.wt, "checkout", "--", f["file"]], check=True)
            entry["seconds"] = round(time.time() - t0)
            log("  => %s %s (%ss)" % (entry["status"], entry.get("layer") or "", entry["seconds"]))
            results[f["id"]] = entry
            write_results(base, results, order)
        # Leave the builds matching the unchanged sources.
        h.git_restore()
        h.build([h.native, h.win64])
    finally:
        h.stop()
    log("done in %.0f s" % (time.time() - started))


if __name__ == "__main__":
    main()
