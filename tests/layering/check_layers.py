#!/usr/bin/env python3
"""Fails when a source includes a module above its own layer.

Each module may include only the modules listed for it (and itself); the
table is the architecture: dependencies point down, the run time and what is
below it build without the window system, and no platform module knows the
program.
"""
import pathlib
import re
import sys

ALLOWED = {
    "platform/text": set(),
    "platform/expr": {"platform/text"},
    "platform/tables": {"platform/text", "platform/expr"},
    "platform/runtime": {"platform/text"},
    "platform/cdaudio": {"platform/text", "platform/runtime"},
    "platform/framework": {"platform/text", "platform/expr", "platform/tables", "platform/runtime"},
    "platform/outside": {"platform/text", "platform/expr", "platform/tables", "platform/runtime", "platform/cdaudio"},
    "platform/report": {"platform/text", "platform/expr", "platform/tables", "platform/runtime", "platform/framework"},
    "platform/qt": {"platform/text", "platform/runtime"},
    "hdrscan": set(),
    "qvls/resources": {"platform/runtime"},
    "qvls/dictionary": {"platform/*"},
    "qvls/core": {"platform/*", "hdrscan", "qvls/dictionary", "qvls/resources"},
    "qvls/browse_extension": {"qvls/resources", "platform/*", "qvls/dictionary", "qvls/core"},
    "qvls/catalogue": {"qvls/resources", "platform/*", "qvls/dictionary", "qvls/core", "qvls/browse_extension"},
    "qvls/tools": {"qvls/resources", "platform/*", "hdrscan", "qvls/dictionary", "qvls/core"},
    "qvls/acquisition": {"qvls/resources", "platform/*", "qvls/dictionary", "qvls/core", "qvls/browse_extension", "qvls/catalogue"},
    "qvls/reports": {"qvls/resources", "platform/*", "platform/report", "qvls/dictionary", "qvls/core", "qvls/browse_extension"},
    "trakhand": {"platform/*"},
}
# platform/* stands for every platform module but the window system's host.
PLATFORM_BELOW_HOST = {m for m in ALLOWED if m.startswith("platform/") and m != "platform/qt"}

# A program's entry starts the window system's host.
ENTRY_POINTS = {"trakhand/main.cpp": {"platform/qt"}}

# Generated from a module's window definitions: part of that module.
GENERATED = {"qvls/windows": "qvls/resources"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"((?:platform|qvls)/[a-z_]+|hdrscan|trakhand)/', re.M)


def module_of(path: pathlib.Path, root: pathlib.Path):
    rel = path.relative_to(root).as_posix()
    for module in sorted(ALLOWED, key=len, reverse=True):
        if rel.startswith(module + "/"):
            return module
    return None


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    faults = []
    for path in sorted(root.glob("**/*")):
        if path.suffix not in (".h", ".cpp") or "build" in path.relative_to(root).parts[:1]:
            continue
        module = module_of(path, root)
        if module is None:
            continue
        allowed = set()
        for entry in ALLOWED[module]:
            allowed |= PLATFORM_BELOW_HOST if entry == "platform/*" else {entry}
        allowed |= ENTRY_POINTS.get(path.relative_to(root).as_posix(), set())
        for included in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            included = GENERATED.get(included, included)
            if included != module and included not in allowed:
                faults.append(f"{path.relative_to(root)}: {module} includes {included}")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
