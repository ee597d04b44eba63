#!/usr/bin/env python3
"""A disc database on 127.0.0.1 that speaks the CDDB protocol over HTTP.

Started with port 0 it prints the port it listens on as its first line of
standard output, then serves until it is killed.

  cddb_server.py --discs DISCS [--control FILE] [--submissions FILE]
                 [--requests FILE] [--port N] [--tls PEM]

With --tls it speaks HTTPS with the certificate and key in PEM (a
self-signed one for 127.0.0.1 is cddb_loopback.pem beside this script).

DISCS is a folder of xmcd files named <category>/<disc id>, or a JSON file:

  {"discs": {"rock/940aac0c": "<xmcd text>", ...},
   "queries": {"<disc id>": <answer>, ...},
   "reads": {"<category>/<disc id>": <answer>, ...},
   "motd": "<text>"}

A query for a disc id without an entry in "queries" answers from the discs:
200 for one record with that id, 210 for several, 202 for none. An <answer>
scripts what the server does instead:

  {"code": 210 or 211, "matches": ["rock/940aac0c", ...]}   a list
  "202", "401", "402", "403", "409", "500"                  that code
  "timeout"      waits "delay" seconds (default 10) before answering
  "malformed"    text that is not the protocol
  "truncated"    a list or record cut off before its "."
  "nonutf8"      a status line that is not UTF-8
  "huge"         an answer of 2 MiB
  "http500"      an HTTP error status

The control file, read again on every request while it exists, scripts every
command at once: {"fault": <answer>, "delay": seconds}.

POST to submit.cgi checks the headers and the xmcd body (the disc id the
offsets give, DTITLE, one of the 11 categories) and answers "200" or "500
<reason>"; each submission is appended to the submissions file as a JSON
line. Each request is appended to the requests file as a JSON line (method,
path, cmd, hello, proto, whether it came through as a proxy request, and the
proxy credentials it carried).
"""
import argparse
import base64
import http.server
import json
import os
import re
import ssl
import sys
import threading
import time
import urllib.parse

CATEGORIES = ["blues", "classical", "country", "data", "folk", "jazz", "misc", "newage", "reggae", "rock",
              "soundtrack"]
CANNED = {
    "202": "202 No match for disc ID.",
    "401": "401 Specified CDDB entry not found.",
    "402": "402 Server error.",
    "403": "403 Database entry is corrupt.",
    "409": "409 No handshake.",
    "500": "500 Command syntax error.",
}


def disc_id(offsets, seconds):
    def digit_sum(n):
        return sum(int(d) for d in str(n))
    n = sum(digit_sum(off // 75) for off in offsets)
    t = seconds - offsets[0] // 75
    return "%08x" % (((n % 0xFF) << 24) | (t << 8) | len(offsets))


def xmcd_fields(text):
    """Offsets, disc length and the keyword values (continued lines joined)."""
    offsets, seconds, values = [], None, {}
    in_offsets = False
    for line in text.split("\n"):
        line = line.rstrip("\r")
        if line.startswith("#"):
            body = line[1:].strip()
            if in_offsets and body.isdigit():
                offsets.append(int(body))
                continue
            in_offsets = body == "Track frame offsets:"
            m = re.match(r"Disc length:\s*(\d+)", body)
            if m:
                seconds = int(m.group(1))
        elif "=" in line:
            in_offsets = False
            key, value = line.split("=", 1)
            values[key] = values.get(key, "") + value
    return offsets, seconds, values


class Database:
    def __init__(self, path):
        self.discs, self.queries, self.reads, self.motd = {}, {}, {}, "Welcome to the loopback disc database."
        if os.path.isdir(path):
            for category in sorted(os.listdir(path)):
                folder = os.path.join(path, category)
                for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
                    with open(os.path.join(folder, name), encoding="utf-8") as f:
                        self.discs[category + "/" + name] = f.read()
        else:
            with open(path, encoding="utf-8") as f:
                data = json.load(f)
            self.discs = data.get("discs", {})
            self.queries = data.get("queries", {})
            self.reads = data.get("reads", {})
            self.motd = data.get("motd", self.motd)

    def title(self, key):
        return xmcd_fields(self.discs[key])[2].get("DTITLE", "")

    def with_id(self, discid):
        return [key for key in sorted(self.discs) if key.split("/")[1] == discid]


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "LoopbackCDDB/1.0"

    def log_message(self, *args):
        pass

    def target(self):
        """The path and query; a proxy request names the whole address."""
        proxied = self.path.startswith("http://") or self.path.startswith("https://")
        parts = urllib.parse.urlsplit(self.path)
        return proxied, parts.path, urllib.parse.parse_qs(parts.query, keep_blank_values=True)

    def record(self, name, entry):
        path = getattr(self.server.options, name)
        if path:
            with self.server.lock, open(path, "a", encoding="utf-8") as f:
                f.write(json.dumps(entry) + "\n")

    def control(self):
        path = self.server.options.control
        if path and os.path.exists(path):
            with open(path, encoding="utf-8") as f:
                text = f.read()
            if text.strip():
                return json.loads(text)
        return {}

    def proxy_credentials(self):
        value = self.headers.get("Proxy-Authorization", "")
        if value.startswith("Basic "):
            return base64.b64decode(value[6:]).decode("utf-8", "replace")
        return value

    def send(self, body, status=200):
        data = body if isinstance(body, bytes) else body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=UTF-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        try:
            self.wfile.write(data)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def do_GET(self):
        proxied, path, query = self.target()
        cmd = query.get("cmd", [""])[0]
        hello = query.get("hello", [""])[0]
        proto = query.get("proto", [""])[0]
        self.record("requests", {"method": "GET", "path": path, "cmd": cmd, "hello": hello, "proto": proto,
                                 "proxied": proxied, "proxy_credentials": self.proxy_credentials()})
        if not path.endswith("cddb.cgi"):
            return self.send("Not found", 404)
        if len(hello.split(" ")) != 4 or not all(hello.split(" ")):
            return self.send("409 No handshake.\n")
        if proto != "6":
            return self.send("501 Illegal protocol level.\n")
        words = cmd.split()
        control = self.control()
        fault = control.get("fault")
        if words[:2] == ["cddb", "query"] and len(words) >= 3:
            self.answer(fault or self.server.db.queries.get(words[2].lower()), lambda: self.query(words), control)
        elif words[:2] == ["cddb", "read"] and len(words) == 4:
            key = words[2] + "/" + words[3].lower()
            self.answer(fault or self.server.db.reads.get(key), lambda: self.read(key), control)
        elif words == ["motd"]:
            self.answer(fault, lambda: "210 Last modified: 12/11/26 MOTD follows (until terminating `.')\n"
                        + self.server.db.motd + "\n.\n", control)
        else:
            self.send("500 Unrecognized command.\n")

    def query(self, words):
        matches = self.server.db.with_id(words[2].lower())
        if not matches:
            return "202 No match for disc ID %s.\n" % words[2]
        if len(matches) == 1:
            return "200 %s %s %s\n" % (*matches[0].split("/"), self.server.db.title(matches[0]))
        return self.match_list(210, matches)

    def match_list(self, code, keys):
        what = "exact" if code == 210 else "inexact"
        lines = ["%s %s %s" % (*key.split("/"), self.server.db.title(key)) for key in keys]
        return "%d Found %s matches, list follows (until terminating `.')\n" % (code, what) \
            + "".join(line + "\n" for line in lines) + ".\n"

    def read(self, key):
        if key not in self.server.db.discs:
            return CANNED["401"] + "\n"
        text = self.server.db.discs[key]
        return "210 %s %s CD database entry follows (until terminating `.')\n" % tuple(key.split("/")) \
            + text + ("" if text.endswith("\n") else "\n") + ".\n"

    def answer(self, fault, normal, control):
        if fault is None:
            return self.send(normal())
        if isinstance(fault, dict):
            return self.send(self.match_list(fault.get("code", 211), fault.get("matches", [])))
        if fault in CANNED:
            return self.send(CANNED[fault] + "\n")
        if fault == "timeout":
            time.sleep(float(control.get("delay", 10)))
            return self.send("202 No match for disc ID.\n")
        if fault == "malformed":
            return self.send("Hello, this is not the protocol\n")
        if fault == "truncated":
            text = normal()
            return self.send(text[: len(text) // 2])
        if fault == "nonutf8":
            return self.send(b"200 rock 940aac0c Caf\xe9 / \xff\xfe\n")
        if fault == "huge":
            return self.send("211 Found inexact matches, list follows (until terminating `.')\n"
                             + "rock 940aac0c Many / Matches\n" * (2 * 1024 * 1024 // 28) + ".\n")
        if fault == "http500":
            return self.send("Internal Server Error\n", 500)
        return self.send("500 Unknown fault %s.\n" % fault)

    def do_POST(self):
        proxied, path, _ = self.target()
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length).decode("utf-8", "replace")
        self.record("requests", {"method": "POST", "path": path, "proxied": proxied,
                                 "proxy_credentials": self.proxy_credentials()})
        if not path.endswith("submit.cgi"):
            return self.send("Not found", 404)
        reason = self.check_submission(body)
        headers = {name: self.headers.get(name, "") for name in
                   ("Category", "Discid", "User-Email", "Submit-Mode", "Charset", "X-Cddbd-Note", "Content-Type")}
        self.record("submissions", {"headers": headers, "body": body, "accepted": reason is None, "reason": reason})
        fault = self.control().get("fault")
        if fault in CANNED:
            return self.send(CANNED[fault] + "\n")
        if fault == "http500":
            return self.send("Internal Server Error\n", 500)
        self.send("200 CDDB submission accepted.\n" if reason is None else "500 %s\n" % reason)

    def check_submission(self, body):
        category = self.headers.get("Category", "")
        discid = self.headers.get("Discid", "")
        if category not in CATEGORIES:
            return "Invalid header: Category %s." % category
        if not re.fullmatch(r"[0-9a-f]{8}", discid):
            return "Invalid header: Discid %s." % discid
        if "@" not in self.headers.get("User-Email", ""):
            return "Invalid header: User-Email."
        if self.headers.get("Submit-Mode", "") not in ("test", "submit"):
            return "Invalid header: Submit-Mode."
        if self.headers.get("Charset", "").lower() not in ("utf-8", "iso-8859-1"):
            return "Invalid header: Charset."
        if not body.startswith("# xmcd"):
            return "Invalid DB submission: not an xmcd file."
        offsets, seconds, values = xmcd_fields(body)
        if not offsets or seconds is None:
            return "Invalid DB submission: no track frame offsets or disc length."
        if disc_id(offsets, seconds) != discid:
            return "Invalid DB submission: disc ID %s does not match the offsets (%s)." % (
                discid, disc_id(offsets, seconds))
        if discid not in values.get("DISCID", "").split(","):
            return "Invalid DB submission: DISCID does not name %s." % discid
        if not values.get("DTITLE", "").strip():
            return "Invalid DB submission: empty DTITLE."
        for i in range(len(offsets)):
            if "TTITLE%d" % i not in values:
                return "Invalid DB submission: TTITLE%d missing." % i
        return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--discs", required=True)
    parser.add_argument("--control")
    parser.add_argument("--submissions")
    parser.add_argument("--requests")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--tls")
    options = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", options.port), Handler)
    server.daemon_threads = True
    if options.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(options.tls)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.options = options
    server.db = Database(options.discs)
    server.lock = threading.Lock()
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
