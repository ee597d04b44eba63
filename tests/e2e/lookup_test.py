#!/usr/bin/env python3
"""The built lookup tool as qvls starts it: "trakhand /D /VID D:" in a
collection folder whose settings map D: to a simulated drive holding a real
disc's table of contents, against a disc database on 127.0.0.1. It must end
with exit code 0 and leave the result file qvls reads.

usage: lookup_test.py <trakhand> <source folder>
"""
import os
import subprocess
import sys
import tempfile

TOC = """# The Lanterns, Harbour Lights
track 1 150
track 2 18327
track 3 34162
track 4 50932
leadout 68400
"""

EXPECTED = "\r\n".join([
    "[PARAMETERS]",
    "Drive=D:",
    " ",
    "[DISC]",
    "TOC=30038e04 4 150 18327 34162 50932 912",
    "Tracks=4",
    "Artist=The Lanterns",
    "Title=Harbour Lights",
    "Genre=Indie Rock",
    "Label=",
    "Year=1998",
    "Notes=Recorded live.\\nMixed at home.\tTake 2.",
    " ",
    "[TRACKS]",
    "Track1=Low Tide",
    "Track2=Café Étoile",
    "Track3=Rope \\ Anchor",
    "Track4=The Long Way Home (Extended Version, Recorded at the Harbour Hall on the Last Night of the Tour)",
    "URLCount=0",
    "",
])


def main() -> int:
    trakhand, source = sys.argv[1], sys.argv[2]
    discs = os.path.join(source, "tests/platform/outside/cddb/fixtures")
    server = subprocess.Popen(
        [sys.executable, os.path.join(source, "tests/support/cddb_server.py"), "--discs", discs, "--port", "0"],
        stdout=subprocess.PIPE, text=True)
    try:
        port = int(server.stdout.readline())
        with tempfile.TemporaryDirectory() as root:
            collection = os.path.join(root, "My Music")  # a folder with a blank, as users have them
            config = os.path.join(root, "config", "quorvel")
            os.makedirs(collection)
            os.makedirs(config)
            with open(os.path.join(collection, "harbour.toc"), "w") as f:
                f.write(TOC)
            with open(os.path.join(collection, "QVLROCFG.INI"), "w", newline="") as f:
                f.write("[CD Drives]\r\nD:=harbour.toc\r\n")
            with open(os.path.join(config, "cddb.ini"), "w") as f:
                f.write(f"[Server]\nUrl=http://127.0.0.1:{port}/~cddb/cddb.cgi\n"
                        f"SubmitUrl=http://127.0.0.1:{port}/~cddb/submit.cgi\n"
                        "[User]\nName=tester\nEmail=tester@example.org\n")
            env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(root, "config"), QT_QPA_PLATFORM="offscreen")
            run = subprocess.run([trakhand, "/D", "/VID", "D:"], cwd=collection, env=env, capture_output=True,
                                 text=True, timeout=60)
            if run.returncode != 0:
                print(f"exit code {run.returncode}, expected 0; stderr: {run.stderr}")
                return 1
            with open(os.path.join(collection, "TRAKHAND.LOG"), encoding="utf-8", newline="") as f:
                written = f.read()
            if written != EXPECTED:
                print(f"TRAKHAND.LOG differs:\n{written!r}\nexpected:\n{EXPECTED!r}")
                return 1
            if os.path.exists(os.path.join(collection, "CDDBERR.LOG")):
                print("an error was logged")
                return 1
    finally:
        server.kill()
        server.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
