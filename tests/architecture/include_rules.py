#!/usr/bin/env python3
"""Checks that every include in src/ points down the layers, and that the core has no operating-system switch.

    python3 include_rules.py [SRC_FOLDER]

Layers, bottom up: base and the platform interfaces; platform/common; the subsystems (settings, imaging,
printing); app; the two programs (linux/, windows/). A file may include its own layer and those below. Inside a
program, a backend folder (linux/posix, linux/window, windows/services, ...) includes only its own folder, the
program's shared folder (linux/modules, windows/common) and the layers below; the program's own root files (its
main and composition) may include every folder of their program. Prints each broken rule and exits 1 if any.
"""
import os
import re
import sys

SUBSYSTEMS = ("settings", "imaging", "printing")
# The folder a program's backends share: the seams to what it loads, or helpers every Win32 part uses.
SHARED = {"linux": "linux/modules", "windows": "windows/common"}
OS_SWITCH = re.compile(r"^\s*#\s*(if|ifdef|ifndef|elif)\b.*\b(_WIN32|_WIN64|__linux__|__unix__|__APPLE__|Q_OS_\w+)\b")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def unit_of(path):
    """The layer rank and the folder that stands for the file's unit, for a path relative to src/."""
    parts = path.split("/")
    top = parts[0]
    if top == "base":
        return 0, "base"
    if top == "platform":
        if len(parts) > 2 and parts[1] == "common":
            return 1, "platform/common"
        return 0, "platform"
    if top in SUBSYSTEMS:
        return 2, top
    if top == "app":
        return 3, "app"
    if top in SHARED:
        if len(parts) == 2:
            return 4, top  # the program's own main and composition
        return 4, top + "/" + parts[1]
    return None, None


def allowed(source, target):
    s_rank, s_unit = unit_of(source)
    t_rank, t_unit = unit_of(target)
    if s_rank is None or t_rank is None:
        return True, ""
    if t_rank > s_rank:
        return False, "points up"
    if s_rank == 0 and s_unit != t_unit and not (s_unit == "platform" and t_unit == "base"):
        return False, "the interfaces and base stand alone"
    if s_rank < 4 or t_rank < 4:
        return True, ""
    program = s_unit.split("/")[0]
    if not t_unit.startswith(program):
        return False, "one program includes the other"
    if s_unit == program or t_unit == s_unit or t_unit == SHARED[program]:
        return True, ""
    return False, "one backend includes another backend's folder"


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "src")
    problems = []
    checked = 0
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            full = os.path.join(root, name)
            path = os.path.relpath(full, src).replace(os.sep, "/")
            rank, _ = unit_of(path)
            with open(full, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if m:
                        checked += 1
                        ok, why = allowed(path, m.group(1))
                        if not ok:
                            problems.append(f"{path}:{number}: includes {m.group(1)}: {why}")
                    elif rank is not None and rank < 4 and OS_SWITCH.match(line):
                        problems.append(f"{path}:{number}: an operating-system switch in the core: {line.strip()}")
    for p in problems:
        print(p)
    print(f"{checked} includes checked, {len(problems)} broken rules")
    return 1 if problems or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
