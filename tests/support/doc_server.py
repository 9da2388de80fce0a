#!/usr/bin/env python3
"""A document server for print tests: serves a folder, logs each request with its cache headers, never
answers paths that start with /hang (a load that never completes), and redirects a path for which a file of the
same name ending in ".redirect" exists to the address that file holds.

    doc_server.py ROOT PORTFILE LOGFILE
The chosen port is written to PORTFILE once the server listens."""
import http.server
import os
import sys
import threading
import time

root, port_file, log_file = sys.argv[1:4]


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=root, **kwargs)

    def do_GET(self):
        with open(log_file, "a") as log:
            log.write("GET %s cache-control=%s pragma=%s\n" % (
                self.path, self.headers.get("Cache-Control", ""), self.headers.get("Pragma", "")))
        if self.path.startswith("/hang"):
            time.sleep(3600)
            return
        redirect = os.path.join(root, self.path.split("?")[0].lstrip("/") + ".redirect")
        if os.path.isfile(redirect):
            with open(redirect) as f:
                target = f.read().strip()
            self.send_response(302)
            self.send_header("Location", target)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        super().do_GET()

    def end_headers(self):
        # Allow caching, so only the request's own headers can make the browser fetch afresh.
        self.send_header("Cache-Control", "max-age=3600")
        super().end_headers()

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(port_file + ".tmp", port_file)
server.serve_forever()
