"""Servers on 127.0.0.1 for the update check tests.

Prints one line, "<web port> <silent port> <closed port>", then serves until killed:
the web port serves the files of the folder given as the only argument; the silent port
accepts connections and closes each one after HOLD_SECONDS without a word; the closed
port was free a moment ago and has nothing listening on it.
"""

import functools
import http.server
import socket
import sys
import threading

# Longer than any client should wait, short enough for a test to see the end of it.
HOLD_SECONDS = 4


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass


def free_port():
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def hold_silently(listener):
    while True:
        connection, _ = listener.accept()
        threading.Timer(HOLD_SECONDS, connection.close).start()


def main():
    handler = functools.partial(QuietHandler, directory=sys.argv[1])
    web = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    silent = socket.socket()
    silent.bind(("127.0.0.1", 0))
    silent.listen(16)
    threading.Thread(target=hold_silently, args=(silent,), daemon=True).start()
    print(web.server_address[1], silent.getsockname()[1], free_port(), flush=True)
    web.serve_forever()


if __name__ == "__main__":
    main()
