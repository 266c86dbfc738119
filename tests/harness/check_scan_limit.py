#!/usr/bin/env python3
"""Checks that every test of a build runs with searches limited to 127.0.0.0/8.

Usage: check_scan_limit.py CTEST BUILD_DIR

Reads CTest's list of the build's tests with their properties (as CTest
itself will run them, including the test cases GoogleTest discovery adds)
and fails naming each test whose environment lacks the limit.
"""
import json
import subprocess
import sys

LIMIT = "NOLT_SCAN_LOOPBACK_ONLY=set:1"


def main() -> int:
    ctest, build = sys.argv[1], sys.argv[2]
    listing = subprocess.run([ctest, "--test-dir", build, "--show-only=json-v1"],
                             capture_output=True, text=True, check=True).stdout
    tests = json.loads(listing)["tests"]
    missing, unbuilt = [], []
    for test in tests:
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        # A test program that is not built yet stands for its cases, which fail on their own.
        if test["name"].endswith("_NOT_BUILT"):
            unbuilt.append(test["name"])
        elif LIMIT not in properties.get("ENVIRONMENT_MODIFICATION", []):
            missing.append(test["name"])
    if not tests:
        print(f"no tests listed in {build}")
        return 1
    if missing:
        print(f"{len(missing)} of {len(tests)} tests run without {LIMIT}:")
        for name in missing:
            print(f"  {name}")
        return 1
    print(f"all {len(tests) - len(unbuilt)} tests run with {LIMIT}"
          + (f" ({len(unbuilt)} test programs not built, not looked at)" if unbuilt else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
