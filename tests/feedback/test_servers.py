"""Servers on 127.0.0.1 for the update check: prints "<web port> <silent port>", then
serves the folder given as the only argument on the web port, and on the silent port
accepts connections and closes each after HOLD_SECONDS without a word."""

import functools
import http.server
import socket
import sys
import threading

HOLD_SECONDS = 4  # longer than any client should wait, short enough for a test


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass


def hold_silently(listener):
    while True:
        connection, _ = listener.accept()
        threading.Timer(HOLD_SECONDS, connection.close).start()


web = http.server.ThreadingHTTPServer(
    ("127.0.0.1", 0), functools.partial(QuietHandler, directory=sys.argv[1]))
silent = socket.socket()
silent.bind(("127.0.0.1", 0))
silent.listen(16)
threading.Thread(target=hold_silently, args=(silent,), daemon=True).start()
print(web.server_address[1], silent.getsockname()[1], flush=True)
web.serve_forever()
