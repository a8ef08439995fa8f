#!/usr/bin/env python3
"""The local tools server.

It stands in for the real tools server when the tool runs locally and in the
tests. It serves the installer packages, takes the tool-log reports, and can be
told to misbehave in the ways a real server on a real network does: answer
with an error, answer slowly, redirect, or drop the connection part-way.

Usage:
    tools_server.py --root DIR [--port N] [--cert FILE --key FILE]

Once it listens on 127.0.0.1 it prints "PORT <n>" as its first line.

    GET  /uploads/tools/netframework/<file>  DIR/<file>, or a 404 with an HTML body
    POST /Api/saveToolLog                    recorded; 200 "0" unless told otherwise
    GET  /client/page?...                    recorded; 200 "ok" (the statistics page)
    POST /_control  {"path": prefix, "status": n, "body": text, "delay": seconds,
                     "redirects": n, "cut_after": bytes, "cut_times": n}
    POST /_reset                             forget behaviours and received requests
    GET  /_received                          JSON list of the recorded requests
"""

import argparse
import base64
import email.parser
import email.policy
import http.server
import json
import os
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse

DOWNLOAD_PREFIX = "/uploads/tools/netframework/"
NOT_FOUND_PAGE = b"<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1></body></html>"


class State:
    """What the server has been told and what it has received."""

    def __init__(self, root):
        self.root = root
        self.lock = threading.Lock()
        self.behaviours = {}  # path prefix -> behaviour dict
        self.received = []

    def behaviour_for(self, path):
        """The behaviour of the longest matching prefix; consumes one cut."""
        with self.lock:
            best = None
            for prefix, behaviour in self.behaviours.items():
                if path.startswith(prefix) and (best is None or len(prefix) > len(best)):
                    best = prefix
            if best is None:
                return {}
            behaviour = dict(self.behaviours[best])
            if behaviour.get("cut_after") is not None:
                remaining = self.behaviours[best].get("cut_times", 1)
                if remaining > 0:
                    self.behaviours[best]["cut_times"] = remaining - 1
                else:
                    behaviour.pop("cut_after")
            return behaviour

    def record(self, entry):
        with self.lock:
            self.received.append(entry)


def parse_multipart(content_type, body):
    """Returns the form parts as [name, value] pairs, values as latin-1 text."""
    if not content_type or not content_type.startswith("multipart/"):
        return []
    raw = b"Content-Type: " + content_type.encode("latin-1") + b"\r\n\r\n" + body
    message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(raw)
    parts = []
    for part in message.iter_parts():
        name = part.get_param("name", header="content-disposition")
        payload = part.get_payload(decode=True) or b""
        parts.append([name, payload.decode("latin-1")])
    return parts


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "KestrovaTools/1.0"

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    @property
    def state(self):
        return self.server.state

    # Request entry points.

    def do_GET(self):
        self.handle_request(b"")

    def do_HEAD(self):
        self.handle_request(b"")

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        self.handle_request(body)

    def handle_request(self, body):
        url = urllib.parse.urlsplit(self.path)
        path = url.path
        if path.startswith("/_"):
            self.handle_control(path, body)
            return

        self.state.record({
            "method": self.command,
            "path": self.path,
            "headers": {k: v for k, v in self.headers.items()},
            "parts": parse_multipart(self.headers.get("Content-Type"), body),
            "body_b64": base64.b64encode(body).decode("ascii"),
        })

        behaviour = self.state.behaviour_for(path)
        if behaviour.get("delay"):
            time.sleep(float(behaviour["delay"]))

        redirects = int(behaviour.get("redirects", 0))
        query = urllib.parse.parse_qs(url.query)
        hop = int(query.get("__hop", ["0"])[0])
        if hop < redirects:
            self.send_redirect(url, hop + 1)
            return

        if "status" in behaviour or "body" in behaviour:
            status = int(behaviour.get("status", 200))
            payload = str(behaviour.get("body", "")).encode("latin-1")
            self.send_payload(status, payload, behaviour.get("cut_after"))
        elif path.startswith(DOWNLOAD_PREFIX):
            self.send_package(path[len(DOWNLOAD_PREFIX):], behaviour.get("cut_after"))
        elif path == "/Api/saveToolLog" and self.command == "POST":
            self.send_payload(200, b"0", behaviour.get("cut_after"))
        elif path == "/client/page":
            self.send_payload(200, b"ok", behaviour.get("cut_after"))
        else:
            self.send_payload(404, NOT_FOUND_PAGE, None, "text/html")

    def handle_control(self, path, body):
        if path == "/_control" and self.command == "POST":
            behaviour = json.loads(body or b"{}")
            prefix = behaviour.pop("path", "/")
            with self.state.lock:
                self.state.behaviours[prefix] = behaviour
            self.send_payload(200, b"ok")
        elif path == "/_reset" and self.command == "POST":
            with self.state.lock:
                self.state.behaviours.clear()
                self.state.received.clear()
            self.send_payload(200, b"ok")
        elif path == "/_received":
            with self.state.lock:
                payload = json.dumps(self.state.received).encode("utf-8")
            self.send_payload(200, payload, None, "application/json")
        else:
            self.send_payload(404, NOT_FOUND_PAGE, None, "text/html")

    # Answers.

    def send_redirect(self, url, hop):
        query = urllib.parse.parse_qs(url.query)
        query["__hop"] = [str(hop)]
        location = url.path + "?" + urllib.parse.urlencode(query, doseq=True)
        self.send_response(302)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def send_payload(self, status, payload, cut_after=None, content_type="text/html; charset=utf-8"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(payload)))
        if cut_after is not None:
            self.send_header("Connection", "close")
        self.end_headers()
        if self.command == "HEAD":
            return
        if cut_after is not None:
            self.wfile.write(payload[:int(cut_after)])
            self.wfile.flush()
            self.close_connection = True
            return
        self.wfile.write(payload)

    def send_package(self, name, cut_after):
        file_path = os.path.join(self.state.root, name)
        if "/" in name or name in ("", ".", "..") or not os.path.isfile(file_path):
            self.send_payload(404, NOT_FOUND_PAGE, None, "text/html")
            return
        size = os.path.getsize(file_path)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        if cut_after is not None:
            self.send_header("Connection", "close")
        self.end_headers()
        if self.command == "HEAD":
            return
        with open(file_path, "rb") as f:
            if cut_after is not None:
                self.wfile.write(f.read(int(cut_after)))
                self.wfile.flush()
                self.close_connection = True
                return
            try:
                self.connection.sendfile(f)
            except (AttributeError, ValueError):
                while True:
                    block = f.read(1 << 20)
                    if not block:
                        break
                    self.wfile.write(block)

    def handle_one_request(self):
        try:
            super().handle_one_request()
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            # A client that gave up (a time-out, a cut) is not the server's fault.
            self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", required=True, help="folder of the installer packages")
    parser.add_argument("--port", type=int, default=0, help="port on 127.0.0.1 (0: any free port)")
    parser.add_argument("--cert", help="certificate file: serve https")
    parser.add_argument("--key", help="private key file for --cert")
    args = parser.parse_args()

    server = Server(("127.0.0.1", args.port), Handler)
    server.state = State(os.path.abspath(args.root))
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)

    print("PORT %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
