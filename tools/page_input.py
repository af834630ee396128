#!/usr/bin/env python3
"""Drives a page of a running shell through the browser engine's remote debugging port
(the shell started with QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:PORT):
  page_input.py PORT URL-PART eval EXPRESSION    prints the value as JSON
  page_input.py PORT URL-PART click ELEMENT-ID   a user's click on the element's centre
  page_input.py PORT URL-PART wait EXPRESSION    waits (30 s at most) until it is true
Used by the demo and the benchmarks to open a film as a user would."""
import json
import socket
import struct
import sys
import time
import urllib.request


def page_id(port, part):
    for page in json.load(urllib.request.urlopen("http://127.0.0.1:%d/json/list" % port)):
        if page.get("type") == "page" and part in page["url"]:
            return page["id"]
    return None


def call(port, part, method, params):
    pid = page_id(port, part)
    if pid is None:
        return None
    s = socket.create_connection(("127.0.0.1", port), timeout=10)
    s.sendall(("GET /devtools/page/%s HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
               "Connection: Upgrade\r\nSec-WebSocket-Key: cGFnZS1pbnB1dC1rZXkxMg==\r\n"
               "Sec-WebSocket-Version: 13\r\n\r\n" % pid).encode())
    head = b""
    while b"\r\n\r\n" not in head:
        head += s.recv(1)
    body = json.dumps({"id": 1, "method": method, "params": params}).encode()
    size = bytes([0x80 | len(body)]) if len(body) < 126 else bytes([0x80 | 126]) + struct.pack(">H", len(body))
    s.sendall(b"\x81" + size + b"\0\0\0\0" + body)  # a zero mask leaves the bytes as they are

    def read(n):
        data = b""
        while len(data) < n:
            data += s.recv(n - len(data))
        return data
    while True:
        first = read(2)
        n = first[1] & 127
        if n == 126:
            n = struct.unpack(">H", read(2))[0]
        elif n == 127:
            n = struct.unpack(">Q", read(8))[0]
        answer = json.loads(read(n))
        if answer.get("id") == 1:
            return answer.get("result")


def evaluate(port, part, expression):
    result = call(port, part, "Runtime.evaluate",
                  {"expression": expression, "returnByValue": True, "userGesture": True})
    return None if result is None or "exceptionDetails" in result else result["result"].get("value")


def main():
    port, part, action, arg = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    if action == "eval":
        print(json.dumps(evaluate(port, part, arg)))
    elif action == "wait":
        end = time.time() + 30
        while time.time() < end:
            try:
                if evaluate(port, part, arg):
                    return 0
            except (OSError, ValueError):
                pass
            time.sleep(0.2)
        return 1
    elif action == "click":
        r = evaluate(port, part, "(r => [r.x + r.width / 2, r.y + r.height / 2])"
                     "(document.getElementById(%s).getBoundingClientRect())" % json.dumps(arg))
        for kind in ("mousePressed", "mouseReleased"):
            call(port, part, "Input.dispatchMouseEvent",
                 {"type": kind, "x": r[0], "y": r[1], "button": "left", "clickCount": 1})
    return 0


if __name__ == "__main__":
    sys.exit(main())
