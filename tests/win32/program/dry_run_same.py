#!/usr/bin/env python3
"""The dry run of the Windows build (under Wine) prints the same effects as the Linux build's for the same request
and settings, every imaging bridge in turn; paths are given to each in its platform's form and compared mapped.
Usage: dry_run_same.py LINUX_PROGRAM WINDOWS_PROGRAM.exe WORKDIR"""

import base64
import json
import os
import shutil
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
wine_run = os.path.join(here, "..", "..", "..", "scripts", "wine-run.sh")
linux_program, windows_program, work = sys.argv[1], sys.argv[2], os.path.abspath(sys.argv[3])
os.makedirs(work, exist_ok=True)
run_dir = os.path.join(work, "run")
shutil.rmtree(run_dir, ignore_errors=True)
os.makedirs(run_dir)

env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8", VELTRANE_CODEPAGE="1252",
           WINEPREFIX=os.path.join(work, "wine-prefix"), HOME=os.path.join(run_dir, "home"),
           VELTRANE_SHARED_DIR=os.path.join(run_dir, "shared"))
for name in ("DISPLAY", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME", "QT_QPA_PLATFORM"):
    env.pop(name, None)
os.makedirs(os.path.join(env["HOME"], ".config", "veltrane-client-tools"))
os.makedirs(env["VELTRANE_SHARED_DIR"])


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


# The folders the settings name, in each platform's form with its trailing delimiter. Nothing is written there.
folders = {key: os.path.join(run_dir, key) + "/" for key in ("p", "x")}
as_windows = {key: windows_path(folder) for key, folder in folders.items()}

request = os.path.join(run_dir, "request.ini")
with open(request, "wb") as out:
    out.write(b"\xff\xfe" + ("[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=\u0141ucja\r\n"
                             "surname=M\u00fcller\r\ndob=19800102\r\ngender=F\r\ntitle=Mrs\r\n"
                             "[imaging]\r\ndexis=D-77\r\n").encode("utf-16-le"))

# system, then its values: (name, folder key or literal text)
systems = [
    ("dentaleye", [("dentaleye_program", "p")]),
    ("dicom", [("dicom_program", "p"), ("dicom_idpad", "=6")]),
    ("myray", [("myray_program", "p")]),
    ("mediadent", [("mediadent_program", "p"), ("mediadent_images", "x")]),
    ("examinepro", [("examinepro_images", "x")]),
    ("suni", [("suni_program", "p")]),
    ("trophy", [("trophy_program", "p"), ("trophy_images", "x")]),
    ("vixwin", [("vixwin_program", "p"), ("vixwin_images", "x")]),
    ("dtxstudio", [("dtxstudio_program", "p"), ("dtxstudio_idpad", "=6")]),
    ("sopro", [("sopro_program", "p")]),
    ("romexis", [("romexis_program", "p")]),
    ("acteon", []),
    ("digora", [("digora_nameformat", "=1")]),
    ("scanora", [("scanora_program", "p"), ("scanora_images", "x")]),
    ("cliniview", [("cliniview_program", "p"), ("cliniview_images", "x")]),
    ("easydent", [("easydent_program", "p")]),
    ("ezdenti", [("ezdenti_program", "p")]),
    ("icat", [("icat_program", "p"), ("icat_images", "x")]),
    ("icatview", [("icatview_program", "p"), ("icatview_images", "x")]),
    ("dexis", [("dexis_program", "p")]),
    ("integrator", [("integrator_program", "x")]),
    ("dbswin", [("dbswin_program", "p"), ("dbswin_images", "x")]),
    ("idixel", [("idixel_program", "p")]),
]


def reg_text(values):
    escaped = lambda text: text.replace("\\", "\\\\").replace('"', '\\"')
    return "".join('"%s"="%s"\r\n' % (name, escaped(value)) for name, value in values)


def values_for(system, settings, form):
    values = [(system + "_enabled", "True")]
    for name, source in settings:
        values.append((name, source[1:] if source.startswith("=") else form[source]))
    return values


def run_linux(values):
    with open(os.path.join(env["HOME"], ".config", "veltrane-client-tools", "registry.reg"), "w", newline="") as f:
        f.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n" +
                reg_text(values))
    return subprocess.run([linux_program, "--dry-run", "-x", request], env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=120)


def run_windows(values):
    reg = os.path.join(run_dir, "settings.reg")
    with open(reg, "w", newline="") as f:
        f.write("REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n" + reg_text(values))
    subprocess.run([wine_run, "regedit", "/s", windows_path(reg)], env=env, stdin=subprocess.DEVNULL,
                   capture_output=True, timeout=120, check=True)
    # Output to files, never pipes: Wine's helper processes keep inherited pipes open after the program ends.
    with open(os.path.join(run_dir, "out"), "wb") as out, open(os.path.join(run_dir, "err"), "wb") as err:
        code = subprocess.run([wine_run, windows_program, "--dry-run", "-x", windows_path(request)], env=env,
                              stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=120).returncode
    with open(os.path.join(run_dir, "out"), "rb") as out, open(os.path.join(run_dir, "err"), "rb") as err:
        return subprocess.CompletedProcess([], code, out.read(), err.read())


def mapped(text):
    """A Windows effect text with its paths in the Linux form (both the JSON-escaped and the plain spelling)."""
    for key in folders:
        text = text.replace(as_windows[key].replace("\\", "\\\\"), folders[key])
        text = text.replace(as_windows[key], folders[key])
    return text


def effects(output, windows):
    lines = []
    for line in output.decode("utf-8").replace("\r\n", "\n").splitlines():
        effect = json.loads(line)
        if "content_base64" in effect:
            content = base64.b64decode(effect.pop("content_base64")).decode("latin-1")
            effect["content"] = mapped(content) if windows else content
        text = json.dumps(effect, ensure_ascii=False)
        lines.append(mapped(text) if windows else text)
    return lines


failed = 0
for system, settings in systems:
    linux = run_linux(values_for(system, settings, folders))
    windows = run_windows(values_for(system, settings, as_windows))
    problems = []
    if linux.returncode != 0:
        problems.append("Linux exit code %d: %s" % (linux.returncode, linux.stderr.decode(errors="replace")))
    if windows.returncode != 0:
        problems.append("Windows exit code %d: %s" % (windows.returncode, windows.stderr.decode(errors="replace")))
    if not problems:
        a, b = effects(linux.stdout, False), effects(windows.stdout, True)
        if not a and system != "apexnrg":
            problems.append("no effects at all")
        if a != b:
            problems.append("Linux printed\n  %s\nWindows printed\n  %s" % ("\n  ".join(a), "\n  ".join(b)))
    if problems:
        failed += 1
        print("FAIL %s: %s" % (system, "; ".join(problems)), file=sys.stderr)
    else:
        print("ok %s" % system)
print("%d passed, %d failed" % (len(systems) - failed, failed))
sys.exit(1 if failed else 0)
