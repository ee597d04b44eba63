#!/usr/bin/env python3
"""The built program as a user starts it where it cannot run.

usage: start_test.py <qvls> {no-display|read-only-folder}

no-display: without a desktop session the program says what it needs, once,
and exits with 1.
read-only-folder: in a folder it may not write, on a real X display, the
program says once which folder and why, creates nothing, and exits with 1
when the user presses OK. Needs Xvfb and xdotool; run as root, the program
runs as nobody, for whom the folder is read-only. Exit code 77 skips.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77


def no_display(program: str) -> int:
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    with tempfile.TemporaryDirectory() as folder:
        run = subprocess.run([program], cwd=folder, env=env, capture_output=True, text=True, timeout=60)
        created = os.listdir(folder)
    lines = [line for line in run.stderr.splitlines() if line.strip()]
    if run.returncode != 1:
        print(f"exit code {run.returncode}, expected 1; stderr: {run.stderr}")
        return 1
    if not lines or "needs a graphical desktop session" not in lines[0]:
        print(f"the first line does not say what is missing: {run.stderr!r}")
        return 1
    if len(lines) != 2:
        print(f"expected one message (two lines), got: {run.stderr!r}")
        return 1
    if created:
        print(f"files were created without a display: {created}")
        return 1
    return 0


def free_display() -> int:
    for n in range(90, 200):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return n
    raise RuntimeError("no free display number")


def read_only_folder(program: str) -> int:
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            print(f"{tool} is not installed: skipped")
            return SKIP
    as_user = []
    if os.geteuid() == 0:
        if not shutil.which("setpriv"):
            print("setpriv is not installed: skipped")
            return SKIP
        as_user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"]
    display = free_display()
    xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1024x768x24"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    home = tempfile.mkdtemp()
    folder = tempfile.mkdtemp()
    try:
        os.chmod(home, 0o777)
        os.chmod(folder, 0o555)
        env = dict(os.environ, DISPLAY=f":{display}", HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
                   XDG_RUNTIME_DIR=home)
        env.pop("QT_QPA_PLATFORM", None)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{display}"):
                break
            time.sleep(0.1)
        qvls = subprocess.Popen(as_user + [program], cwd=folder, env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)
        # The message box is the one window; OK answers it.
        found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "Quorvel Pro"],
                               env=env, capture_output=True, text=True, timeout=60)
        windows = found.stdout.split()
        if not windows:
            print("no window appeared")
            qvls.kill()
            return 1
        time.sleep(0.5)
        subprocess.run(["xdotool", "windowactivate", "--sync", windows[-1]], env=env, capture_output=True)
        subprocess.run(["xdotool", "key", "--window", windows[-1], "Return"], env=env, capture_output=True)
        try:
            _, err = qvls.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            qvls.kill()
            print("the program did not end after OK")
            return 1
        messages = [line for line in err.splitlines() if "cannot write" in line or "Error" in line]
        created = os.listdir(folder)
        if qvls.returncode != 1:
            print(f"exit code {qvls.returncode}, expected 1; stderr: {err}")
            return 1
        if len(messages) != 1 or folder not in messages[0] or "Permission denied" not in messages[0]:
            print(f"expected one message naming the folder and why; got: {err!r}")
            return 1
        if created:
            print(f"files were created in the read-only folder: {created}")
            return 1
        return 0
    finally:
        xvfb.terminate()
        xvfb.wait()
        os.chmod(folder, 0o755)
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(home, ignore_errors=True)


def main() -> int:
    program, case = sys.argv[1], sys.argv[2]
    return {"no-display": no_display, "read-only-folder": read_only_folder}[case](os.path.abspath(program))


if __name__ == "__main__":
    sys.exit(main())
