#!/usr/bin/python3
"""A real HTTP server on 127.0.0.1 for the update-check tests (http.server).

usage: http_test_server.py DIR

Every GET of /updata/Tarnbase_CV_Info.pdf answers with the status in DIR/status
(200 when the file is missing) and the bytes of DIR/body (none when missing),
read at each request so a test can change them between checks. Any other path
gets 404. The port is printed on the first line of standard output once the
server listens; it runs until its standard input closes.
"""
import http.server
import os
import sys
import threading

DOCUMENT = "/updata/Tarnbase_CV_Info.pdf"


def make_handler(folder):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            status, body = 404, b""
            if self.path == DOCUMENT:
                status = 200
                path = os.path.join(folder, "status")
                if os.path.exists(path):
                    with open(path) as f:
                        status = int(f.read().strip())
                path = os.path.join(folder, "body")
                if os.path.exists(path):
                    with open(path, "rb") as f:
                        body = f.read()
            self.send_response(status)
            self.send_header("Content-Type", "application/pdf")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

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
