#!/usr/bin/env python3
"""Counts the test cases of the JUnit XML files of each layer; prints one line per
layer and the final "Summary: N passed, N failed". Exit status 1 on any failure or
when a layer wrote no results (it crashed or never ran)."""
import glob
import os
import sys
import xml.etree.ElementTree as ET

passed = failed = 0
missing = []
for folder in sys.argv[1:]:
    files = sorted(glob.glob(os.path.join(folder, "*.xml")))
    if not files:
        missing.append(folder)
        continue
    for path in files:
        layer = os.path.splitext(os.path.basename(path))[0]
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError:
            missing.append(path)
            continue
        p = f = s = 0
        for case in root.iter("testcase"):
            if case.find("failure") is not None or case.find("error") is not None:
                f += 1
            elif case.get("result") == "skipped" or case.find("skipped") is not None:
                s += 1
            else:
                p += 1
        print(f"  {layer:12s} {p} passed, {f} failed, {s} skipped")
        passed += p
        failed += f
for m in missing:
    print(f"  no results from {m}: the layer did not run to its end")
    failed += 1
print(f"Summary: {passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
