#!/usr/bin/python3
"""A calendar server that misbehaves, one way per collection address, for
the sync's tests: /html/ answers a login page, /moved/ redirects to another
host, /full/ lists and then refuses every upload as out of space, /huge/
answers an endless body, /garbage/ serves an item that is no calendar.
Usage: hostile_server.py PORT"""
import http.server
import sys

MULTISTATUS = (b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:">'
               b'<d:sync-token>t1</d:sync-token>%s</d:multistatus>')
GARBAGE_ITEM = (b'<d:response><d:href>/garbage/x.ics</d:href><d:propstat><d:prop>'
                b'<d:getetag>"e1"</d:getetag></d:prop>'
                b'<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>')


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, code, body=b"", kind="application/xml", extra=()):
        self.send_response(code)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def endless(self):
        self.send_response(207)
        self.send_header("Content-Type", "application/xml")
        self.end_headers()
        chunk = b"<d:response>" + b"x" * 65536
        try:
            for _ in range(2000):  # 130 MB, unless the client hangs up first
                self.wfile.write(chunk)
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            self.rfile.read(length)
        case = self.path.strip("/").split("/")[0]
        if case == "html":
            return self.answer(200, b"<html><body>Please log in</body></html>", "text/html")
        if case == "moved":
            return self.answer(301, extra=[("Location", "http://example.invalid/cal/")])
        if self.command == "PROPFIND":
            return self.answer(207, MULTISTATUS % b"")
        if case == "huge" and self.command == "REPORT":
            return self.endless()
        if case == "garbage":
            if self.command == "REPORT":
                return self.answer(207, MULTISTATUS % GARBAGE_ITEM)
            return self.answer(200, b"BEGIN:VCALENDAR\r\n" + b"BEGIN:VTODO\r\n" * 50,
                               "text/calendar", [("ETag", '"e1"')])
        if self.command == "REPORT":
            return self.answer(207, MULTISTATUS % b"")
        if case == "full" and self.command == "PUT":
            return self.answer(507, b"Insufficient Storage", "text/plain")
        return self.answer(404)

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = do_MKCALENDAR = handle_any


if __name__ == "__main__":
    http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), Handler).serve_forever()
