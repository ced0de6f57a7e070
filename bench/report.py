#!/usr/bin/env python3
"""Writes bench/results.md from the raw output of tools/bench.sh.

usage: report.py RAW_DIR RESULTS_MD
"""
import os
import re
import statistics
import sys
from collections import defaultdict

STARTUP_TARGET = 1.10
SIZE_TARGET = 200_000  # bytes, each program
IDLE_TARGET_PERCENT = 1.0
REPAIR_TARGET = 1.5


def read(raw, name):
    path = os.path.join(raw, name)
    return open(path).read() if os.path.exists(path) else ""


def fields(line):
    """'a 1 b 2' -> {'a': '1', 'b': '2'} after the first word."""
    words = line.split()[1:]
    return dict(zip(words[0::2], words[1::2]))


def verdict(ok):
    return "met" if ok else "**missed**"


def kb(n):
    return f"{n / 1024:.1f} KiB"


def startup(raw):
    runs = defaultdict(list)
    for line in read(raw, "startup.txt").splitlines():
        m = re.match(r"run (\d+) ([ABC]) ([\d.]+)", line)
        if m:
            runs[m.group(2)].append(float(m.group(3)))
    if not runs["A"] or not runs["B"]:
        return ["## Start-up", "", "No result (startup.txt is empty)."], None
    b = statistics.median(runs["B"])
    programs = [("A", "corva16.exe")] + ([("C", "quillsafe.exe")] if runs["C"] else [])
    ratios = {p: statistics.median(runs[p]) / b for p, _ in programs}
    ratio = ratios["A"]
    out = [
        "## Start-up",
        "",
        "From just before CreateProcess until the process is idle for input (WaitForInputIdle) and "
        "shows a visible top-level window; the programs in turn, "
        f"{len(runs['A'])} runs each after one warm-up run, in one Wine prefix and server. "
        "The x86_64 build runs here: the machine has no 32-bit Wine.",
        "",
        "| program | median | min | max |",
        "| --- | --- | --- | --- |",
    ]
    for p, name in programs + [("B", "minimal_window.exe")]:
        what = f"{name} (baseline)" if p == "B" else f"{name} (win64 build)"
        out.append(f"| {what} | {statistics.median(runs[p]) * 1000:.1f} ms | {min(runs[p]) * 1000:.1f} ms | "
                   f"{max(runs[p]) * 1000:.1f} ms |")
    out.append("")
    for p, name in programs:
        r = ratios[p]
        out.append(
            f"{name}: median ratio **{r:.2f}** (target at most {STARTUP_TARGET}): "
            f"{verdict(r <= STARTUP_TARGET)}"
            + ("" if r <= STARTUP_TARGET else f", by {r - STARTUP_TARGET:.2f}") + ". "
            f"Ratio of the fastest runs, less touched by other load on the machine: "
            f"{min(runs[p]) / min(runs['B']):.2f}.")
        out.append("")
    out.pop()
    steps = []
    for step in (1, 2, 3, 4, 5):
        text = read(raw, f"startup-step{step}.txt")
        m = re.search(r"median ([\d.]+) ([\d.]+) ratio ([\d.]+)", text)
        fastest = {p: min((float(t) for t in re.findall(rf"run \d+ {p} ([\d.]+)", text)), default=0)
                   for p in "AB"}
        if m and fastest["B"]:
            steps.append((step, float(m.group(1)), float(m.group(2)), float(m.group(3)),
                          fastest["A"] / fastest["B"]))
    if steps:
        what = {
            1: "the wizard's DLL imports and manifest, no input method for its thread",
            2: "+ the child windows of the first page, in the system's font",
            3: "+ the font of their own they have in the wizard",
            4: "+ the first page's texts drawn, each in its font",
            5: "+ both JPEG pictures decoded by the program's decoder at the size they are drawn, and drawn",
        }
        out += [
            "",
            "Where the time goes: bench/startup_steps.cpp adds the wizard's start-up work to the "
            "baseline step by step; each step timed against the baseline like the wizard, in "
            "its own alternating series.",
            "",
            "| step | median | baseline median | ratio | ratio of the fastest runs |",
            "| --- | --- | --- | --- | --- |",
        ]
        out += [f"| {s}: {what[s]} | {a * 1000:.1f} ms | {b * 1000:.1f} ms | {r:.2f} | {f:.2f} |"
                for s, a, b, r, f in steps]
    out += before_and_after(raw, ratio, steps)
    return out, all(r <= STARTUP_TARGET for r in ratios.values())


def median_ratio(text):
    m = re.search(r"median ([\d.]+) ([\d.]+) ratio ([\d.]+)", text)
    return float(m.group(3)) if m else None


def before_and_after(raw, ratio, steps):
    """The figures of an earlier build beside these, when the bench was given one."""
    rows = []
    same_run = median_ratio(read(raw, "startup-before.txt"))
    if same_run is not None:
        rows.append(("corva16.exe, both builds timed in this run", same_run, ratio))
    before = os.path.join(raw, "before")
    if os.path.isdir(before):
        earlier = median_ratio(read(before, "startup.txt"))
        if earlier is not None:
            rows.append(("corva16.exe, each build in its own run", earlier, ratio))
        for s, _, _, r, _ in steps:
            earlier = median_ratio(read(before, f"startup-step{s}.txt"))
            if earlier is not None:
                rows.append((f"step {s}", earlier, r))
    if not rows:
        return []
    out = ["", "Against the build before the last change (median ratios to the baseline):", "",
           "| what | before | after | change |", "| --- | --- | --- | --- |"]
    out += [f"| {w} | {b:.2f} | {a:.2f} | {a - b:+.2f} |" for w, b, a in rows]
    return out


def map_inputs(raw):
    """(source, bytes) of every input section that takes room in the file, from the linker map."""
    text = read(raw, "corva16.map")
    text = text[text.find("Linker script and memory map"):] if text else ""
    pending = None
    for line in text.splitlines():
        m = re.match(r"^ (\.[^\s]+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        found = m.groups() if m else None
        if not found and pending:
            # A long section name puts address, size and file on the next line.
            m = re.match(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            found = (pending,) + m.groups() if m else None
        pending = None
        if not found:
            m = re.match(r"^ (\.[^\s]+)$", line)
            pending = m.group(1) if m else None
            continue
        section, size, source = found
        if section.startswith((".debug", ".bss")) or int(size, 16) == 0:
            continue
        if section.startswith(".rsrc"):
            source = "resources (.rsrc)"
        elif source == "dll stuff":
            source = "base relocations (.reloc)"
        yield source, int(size, 16)


def map_breakdown(raw):
    """Bytes each archive or object puts into the file."""
    sizes = defaultdict(int)
    for source, size in map_inputs(raw):
        archive = re.match(r"(.*\.a)\((.*)\)$", source)
        sizes[os.path.basename(archive.group(1) if archive else source)] += size
    if not sizes:
        return []
    total = sum(sizes.values())
    rows = sorted(sizes.items(), key=lambda kv: -kv[1])
    out = ["| linked from | bytes | share |", "| --- | --- | --- |"]
    for name, size in rows[:12]:
        out.append(f"| {name} | {size} | {100 * size / total:.1f} % |")
    rest = sum(size for _, size in rows[12:])
    out.append(f"| everything else | {rest} | {100 * rest / total:.1f} % |")
    return out


def map_members(raw):
    """The eight largest archive members, e.g. libstdc++.a(cp-demangle.o)."""
    sizes = defaultdict(int)
    for source, size in map_inputs(raw):
        if ".a(" in source:
            sizes[os.path.basename(source)] += size
    return sorted(sizes.items(), key=lambda kv: -kv[1])[:8]


def size_steps():
    """The programs' size at each step of the last round, as tools/size-steps.sh recorded it."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "size-steps.txt")
    rows = [line.split(" ", 3) for line in (open(path).read().splitlines() if os.path.exists(path) else [])
            if line and not line.startswith("#")]
    if len(rows) < 2:
        return []
    out = ["", "Step by step (bench/size-steps.txt, written by tools/size-steps.sh: each commit built "
           "as the preset builds it; the first row is the tree before the steps):", "",
           "| commit | step | corva16.exe | change | quillsafe.exe | change |",
           "| --- | --- | --- | --- | --- | --- |"]
    previous = None
    for commit, wizard, tool, subject in rows:
        wizard, tool = int(wizard), int(tool)
        change = ("", "") if previous is None else (f"{wizard - previous[0]:+d}", f"{tool - previous[1]:+d}")
        out.append(f"| {commit} | {subject} | {wizard} | {change[0]} | {tool} | {change[1]} |")
        previous = (wizard, tool)
    return out


def size(raw):
    info, sections, resources, variants = {}, [], [], []
    for line in read(raw, "size.txt").splitlines():
        w = line.split()
        if w[0] in ("stripped", "unstripped", "stripped_quillsafe"):
            info[w[0]] = int(w[1])
        elif w[0] == "section":
            sections.append((w[1], int(w[2])))
        elif w[0] == "resource":
            resources.append((w[1], int(w[2])))
        elif w[0] == "variant":
            variants.append(line)
    if "stripped" not in info:
        return ["## Size", "", "No result."], None
    s = info["stripped"]
    q = info.get("stripped_quillsafe")
    ok = s <= SIZE_TARGET and (q is None or q <= SIZE_TARGET)
    earlier = next((int(line.split()[1]) for line in read(os.path.join(raw, "before"), "size.txt")
                    .splitlines() if line.startswith("stripped ")), None)
    out = [
        "## Size",
        "",
        "build/win32/corva16.exe (i686, MinSizeRel as the preset builds it), copied and stripped "
        "with i686-w64-mingw32-strip.",
        "",
        f"Stripped: **{s} bytes = {kb(s)}** (unstripped {kb(info.get('unstripped', 0))}); target at "
        f"most {SIZE_TARGET} bytes: {verdict(s <= SIZE_TARGET)}, "
        + (f"{SIZE_TARGET - s} bytes to spare" if s <= SIZE_TARGET else f"{s - SIZE_TARGET} bytes over")
        + "." + ("" if earlier is None else f" Before the last change: {earlier} bytes ({s - earlier:+d})."),
    ]
    if q is not None:
        out += ["", f"build/win32/quillsafe.exe, the same way: **{q} bytes = {kb(q)}**; target at most "
                f"{SIZE_TARGET} bytes: {verdict(q <= SIZE_TARGET)}, "
                + (f"{SIZE_TARGET - q} bytes to spare." if q <= SIZE_TARGET else f"{q - SIZE_TARGET} bytes over.")]
    out += [
        "",
        "Sections of corva16.exe:",
        "",
        "| section | bytes |",
        "| --- | --- |",
    ]
    out += [f"| {n} | {b} |" for n, b in sections]
    out += ["", "Resources compiled in: " + ", ".join(f"{n} {b} bytes" for n, b in resources) + "."]
    out += size_steps()
    breakdown = map_breakdown(raw)
    if breakdown:
        out += ["", "Where the loaded bytes come from (linker map of the same build):", ""] + breakdown
        members = map_members(raw)
        if members:
            out += ["", "The largest single members: " + ", ".join(f"{n} {b}" for n, b in members) + "."]
    if variants:
        out += [
            "",
            "The same sources built with other options in separate build directories "
            "(MinSizeRel, stripped afterwards):",
            "",
            "| variant | stripped bytes | change | compiler flags | linker flags |",
            "| --- | --- | --- | --- | --- |",
        ]
        base = None
        for v in variants:
            m = re.match(r"variant (\S+) (\S+) cxx='(.*?)' link='(.*?)'(?: why='(.*)')?$", v)
            if not m:
                continue
            name, value, cxx, link, why = m.groups()
            link = link.replace(os.path.dirname(raw.rstrip("/")) + "/", "")
            if value == "failed":
                out.append(f"| {name} | build failed: {why or '?'} | | `{cxx}` | `{link}` |")
                continue
            value = int(value)
            base = base or value
            change = f"{100 * (value - base) / base:+.1f} %"
            out.append(f"| {name} | {value} ({kb(value)}) | {change} | `{cxx}` | `{link}` |")
    return out, ok


def idle(raw):
    rows = {}
    for line in read(raw, "idle.txt").splitlines():
        if line.split() and line.split()[0] in ("wizard", "baseline"):
            rows[line.split()[0]] = {k: float(v) for k, v in fields(line).items()}
    if "wizard" not in rows or "baseline" not in rows:
        return ["## Idle cost", "", "No result."], None
    w, b = rows["wizard"], rows["baseline"]
    ok = w["cpu_percent"] < IDLE_TARGET_PERCENT
    ratio = (f"{w['cpu'] / b['cpu']:.1f}" if b["cpu"] > 0 else "n/a (baseline below the 10 ms resolution)")
    out = [
        "## Idle cost",
        "",
        f"CPU time over {w['wall']:.0f} s: the wizard waiting on page 1 (two simulated CD-ROM drives, "
        "neither with an i386 folder, so its 1 s timer scans both every tick), then the baseline "
        "window idling, the same way. CPU is user plus system time of the Linux process behind "
        "the Wine process (/proc, 10 ms resolution). GetProcessTimes is shown beside it: Wine 8 "
        "answers it for another process with the caller's own times, so it cannot be used. The "
        "wineserver does part of every Wine call's work, so its CPU over the same time is shown too.",
        "",
        "| program | CPU | of one core | GetProcessTimes | wineserver CPU | wineserver share |",
        "| --- | --- | --- | --- | --- | --- |",
    ]
    for name, r in (("corva16.exe on page 1", w), ("minimal_window.exe (baseline)", b)):
        out.append(
            f"| {name} | {r['cpu']:.3f} s | {r['cpu_percent']:.3f} % | {r['getprocesstimes_delta']:.3f} s "
            f"| {r['wineserver_cpu']:.3f} s | {r['wineserver_percent']:.3f} % |")
    out += [
        "",
        f"Wizard **{w['cpu_percent']:.3f} % of one core** (target under {IDLE_TARGET_PERCENT} %): "
        f"{verdict(ok)}. Ratio to the baseline: {ratio}. With the wineserver's extra share over the "
        f"baseline's: {w['cpu_percent'] + w['wineserver_percent'] - b['wineserver_percent']:.3f} %.",
    ]
    return out, ok


def soak(raw):
    samples = []
    for line in read(raw, "soak.txt").splitlines():
        if line.startswith("sample"):
            samples.append({k: float(v) for k, v in fields(line).items()})
    if len(samples) < 2:
        return ["## Memory and handles over the soak", "", "No result."], None
    first, last = samples[0], samples[-1]
    keys = [("gdi", "GDI objects", ""), ("user", "USER objects (windows)", ""),
            ("handles", "kernel handles", ""), ("vmdata_kb", "private memory (VmData)", " kB"),
            ("rssanon_kb", "resident anonymous memory (RssAnon)", " kB")]
    out = [
        "## Memory and handles over the soak",
        "",
        f"The wizard on page 1 with no CD for {last['t']:.0f} s (1 s ticks, about {last['t']:.0f} "
        f"ticks), sampled every 30 s ({len(samples)} samples). Before each sample the bench made "
        "an i386 folder on E: until the wizard enabled Next, then removed it until Next was "
        "disabled again: proof that the timer still ticked, and both paths of the tick ran. "
        f"Ticks proven at every sample: {all(s['ticked'] == 1 for s in samples)}.",
        "",
        "| counter | first | last | min | max | growth | growth after the first minute |",
        "| --- | --- | --- | --- | --- | --- | --- |",
    ]
    growth = {}
    settled = next((s for s in samples if s["t"] >= 60), last)
    for key, name, unit in keys:
        values = [s[key] for s in samples]
        growth[key] = last[key] - first[key]
        out.append(f"| {name} | {first[key]:.0f}{unit} | {last[key]:.0f}{unit} | {min(values):.0f}{unit} "
                   f"| {max(values):.0f}{unit} | {growth[key]:+.0f}{unit} "
                   f"| {last[key] - settled[key]:+.0f}{unit} |")
    raw_zero = all(s["raw_guiresources_gdi"] == 0 and s["raw_guiresources_user"] == 0 and
                   s["raw_handlecount"] == 0 and s["raw_privateusage"] == 0 for s in samples)
    ok = (all(growth[k] <= 0 for k in ("gdi", "user", "handles", "vmdata_kb")) and
          all(s["ticked"] == 1 for s in samples))
    out += [
        "",
        "No growth of GDI objects, USER objects, handles and private memory (target): "
        f"{verdict(ok)}.",
        "",
        "How each is read (Wine 8 " + ("answers GetGuiResources, GetProcessHandleCount and "
                                       "GetProcessMemoryInfo's PrivateUsage with 0 for another "
                                       "process at every sample" if raw_zero else
                                       "answers some of the usual calls") +
        "): GDI objects are the used entries of the process's GDI handle table, read from its "
        "memory; USER objects are its windows (top-level and child); kernel handles come from "
        "NtQuerySystemInformation's process list; private memory is VmData of the Linux process "
        "(private writable mappings, what Windows counts as private bytes).",
    ]
    return out, ok


def repair(raw):
    runs = defaultdict(list)
    for line in read(raw, "repair.txt").splitlines():
        m = re.match(r"run \d+ (\S+) ([\d.]+)", line)
        if m:
            runs[m.group(1)].append(float(m.group(2)))
    if not runs["wizard"] or not runs["batch"]:
        return ["## Repair latency", "", "No result."], None
    med = {k: statistics.median(v) for k, v in runs.items()}
    ratio = med["wizard"] / med["batch"]
    ok = ratio <= REPAIR_TARGET
    names = {
        "wizard": "corva16.exe: Next on page 2 until Finish is enabled",
        "batch": "baseline: cmd /c of a batch file with the three expand commands",
        "single_expand": "one expand alone (CreateProcess until it ends)",
        "three_together": "the three expands started together and waited for, as the wizard does",
    }
    out = [
        "## Repair latency",
        "",
        f"{len(runs['wizard'])} runs of each after one warm-up, in rotating order, the three targets "
        "deleted before every run and checked after it.",
        "",
        "| what | median | min | max |",
        "| --- | --- | --- | --- |",
    ]
    for key in ("wizard", "batch", "single_expand", "three_together"):
        if runs[key]:
            out.append(f"| {names[key]} | {med[key] * 1000:.1f} ms | {min(runs[key]) * 1000:.1f} ms | "
                       f"{max(runs[key]) * 1000:.1f} ms |")
    out += [
        "",
        f"Median ratio wizard / batch **{ratio:.2f}** (target at most {REPAIR_TARGET}): {verdict(ok)}.",
    ]
    if runs["three_together"]:
        over = (med["wizard"] - med["three_together"]) * 1000
        out.append(
            f"The wizard's own time beyond running the three expands together: {over:.0f} ms. It "
            "holds its yields before starting them, the last-write-time marks it sets and reads "
            "back, up to 50 ms between its checks of the started processes and the page change; "
            "not split further, as the target is met. The batch is slower because it runs the "
            "three one after another, after starting cmd.")
    return out, ok


def main():
    raw, target = sys.argv[1], sys.argv[2]
    meta = dict(line.split("=", 1) for line in read(raw, "meta.txt").splitlines() if "=" in line)
    sections, verdicts = [], []
    for part in (startup, size, idle, soak, repair):
        lines, ok = part(raw)
        sections.append("\n".join(lines))
        verdicts.append((lines[0].lstrip("# "), ok))
    head = [
        "# corva16 benchmarks",
        "",
        "Written by `tools/bench.sh`; every run rewrites this file.",
        "",
        f"- Date: {meta.get('date', '?')}",
        f"- Machine: {meta.get('cpu', '?')}, {meta.get('cores', '?')} cores, {meta.get('memory', '?')} "
        f"memory, Linux {meta.get('kernel', '?')}; load average {meta.get('load_before', '?')} before, "
        f"{meta.get('load_after', '?')} after (the machine is shared)",
        f"- Wine: {meta.get('wine', '?')}, a prefix of the bench's own under Xvfb",
        "",
        "| measure | target |",
        "| --- | --- |",
    ]
    head += [f"| {name} | {'no result' if ok is None else verdict(ok)} |" for name, ok in verdicts]
    with open(target, "w") as f:
        f.write("\n".join(head) + "\n\n" + "\n\n".join(sections) + "\n")


if __name__ == "__main__":
    main()
