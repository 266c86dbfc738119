#!/usr/bin/env python3
"""Usage: check_scan_limit.py CTEST BUILD_DIR

Fails naming each test of the build (as CTest lists it, with the cases
GoogleTest discovery adds) whose environment lacks the limit of searches to
127.0.0.0/8. A test program not built yet stands for its cases, which fail
on their own; it is left out.
"""
import json
import subprocess
import sys

LIMIT = "NOLT_SCAN_LOOPBACK_ONLY=set:1"

listing = subprocess.run([sys.argv[1], "--test-dir", sys.argv[2], "--show-only=json-v1"],
                         capture_output=True, text=True, check=True).stdout
tests = [t for t in json.loads(listing)["tests"] if not t["name"].endswith("_NOT_BUILT")]
missing = [t["name"] for t in tests
           if LIMIT not in {p["name"]: p["value"] for p in t.get("properties", [])}.get("ENVIRONMENT_MODIFICATION", [])]
for name in missing:
    print(f"runs without {LIMIT}: {name}")
print(f"{len(tests) - len(missing)} of {len(tests)} tests run with {LIMIT}")
sys.exit(1 if missing or not tests else 0)
