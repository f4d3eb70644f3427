#!/usr/bin/python3
"""A real HTTP server on 127.0.0.1 for the update-check tests (http.server).

usage: http_test_server.py DIR

Every GET of /updata/Tarnbase_CV_Info.pdf answers from files in DIR, read at
each request so a test can change them between checks:

  raw        when present, its bytes are the whole reply, sent as they are
             before the connection closes (a reply cut anywhere)
  location   when present, the reply is "301 Moved Permanently" to this URL
  redirects  N: the reply is a 301 to /hop/1, which redirects to /hop/2 and
             so on; /hop/N serves the document
  status     the document's status (200 when the file is missing)
  body       the document's bytes (none when missing)

Any other path gets 404. The port is printed on the first line of standard
output once the server listens; it runs until its standard input closes.
"""
import http.server
import os
import sys
import threading

DOCUMENT = "/updata/Tarnbase_CV_Info.pdf"
HOP = "/hop/"


def make_handler(folder):
    def read(name, mode="rb"):
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            return None
        with open(path, mode) as f:
            return f.read()

    class Handler(http.server.BaseHTTPRequestHandler):
        def reply(self, status, body=b"", location=None):
            self.send_response(status)
            if location is not None:
                self.send_header("Location", location)
            self.send_header("Content-Type", "application/pdf")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def document(self):
            status = read("status", "r")
            self.reply(int(status.strip()) if status else 200, read("body") or b"")

        def do_GET(self):
            hops = int((read("redirects", "r") or "0").strip())
            if self.path == DOCUMENT:
                raw = read("raw")
                location = read("location", "r")
                if raw is not None:
                    self.wfile.write(raw)
                    self.close_connection = True
                elif location is not None:
                    self.reply(301, location=location.strip())
                elif hops > 0:
                    self.reply(301, location=HOP + "1")
                else:
                    self.document()
            elif self.path.startswith(HOP) and self.path[len(HOP):].isdigit():
                hop = int(self.path[len(HOP):])
                if hop < hops:
                    self.reply(301, location=HOP + str(hop + 1))
                elif hop == hops:
                    self.document()
                else:
                    self.reply(404)
            else:
                self.reply(404)

        def log_message(self, *args):
            pass

    return Handler


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), make_handler(sys.argv[1]))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print(server.server_address[1], flush=True)
    sys.stdin.read()
    server.shutdown()


if __name__ == "__main__":
    main()
