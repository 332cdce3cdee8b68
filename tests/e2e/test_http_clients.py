"""The real program with real clients: curl and a raw socket.

Usage: test_http_clients.py PROGRAM
"""

import os
import signal
import subprocess
import sys
import tempfile
import time

import board
from board import check, show

HELLO_GBK = "你好".encode("gbk")          # C4 E3 BA C3
HELLO_URL = "/fabu=%E4%BD%A0%E5%A5%BD"
OLD = "旧消息".encode("gbk")
SAME = "store unchanged"
STORED = "the stored message"

# (name, request bytes, expected body, expected store afterwards)
REQUEST_CASES = [
    ("lower-case get clears", b"get /shanchu HTTP/1.1\r\n\r\n",
     board.CLEARED, b""),
    ("POST is rejected", b"POST /fabu=x HTTP/1.1\r\n\r\n", board.NOT_FOUND, SAME),
    ("keywords are case-sensitive", b"GET /FABU=x HTTP/1.1\r\n\r\n", b"", SAME),
    ("keywords only count in the request line",
     b"GET /chaxun HTTP/1.1\r\nX-Note: fabu=evil shanchu\r\n\r\n", STORED, SAME),
    ("a referer holding a publish address is not a publish",
     b"GET /favicon.ico HTTP/1.1\r\nReferer: http://127.0.0.1:19730/fabu=%41"
     b"\r\n\r\n", b"", SAME),
    ("leading zero byte", b"\x00GET /fabu=x HTTP/1.1\r\n\r\n", board.NOT_FOUND, SAME),
    ("zero byte ends the request", b"GET /chaxun\x00/fabu=x HTTP/1.1\r\n\r\n",
     STORED, SAME),
    ("empty head", b"\r\n\r\nGET /fabu=x HTTP/1.1\r\n\r\n", board.NOT_FOUND, SAME),
    ("GETX passes as GET", b"GETX /chaxun HTTP/1.1\r\n\r\n", STORED, SAME),
    ("two-byte request line", b"GE\r\n\r\n", board.NOT_FOUND, SAME),
    ("no keyword", b"GET /index.html HTTP/1.1\r\n\r\n", b"", SAME),
    ("empty value", b"GET /fabu= HTTP/1.1\r\n\r\n", board.PUBLISHED, b""),
    ("value without a space after it", b"GET /fabu=abc\r\n\r\n",
     board.PUBLISHED, b""),
    ("value runs to the next space", b"GET /?fabu=abc&x=1 HTTP/1.1\r\n\r\n",
     board.PUBLISHED, b"abc&x=1"),
    ("escapes in both cases", b"GET /fabu=%41%62c%e4%bd%a0 HTTP/1.1\r\n\r\n",
     board.PUBLISHED, b"Abc\xc4\xe3"),
    ("plus stays plus", b"GET /fabu=a+b HTTP/1.1\r\n\r\n", board.PUBLISHED, b"a+b"),
    ("trailing percent adds nothing", b"GET /fabu=ab% HTTP/1.1\r\n\r\n",
     board.PUBLISHED, b"ab"),
    ("missing hex digit counts as 0", b"GET /fabu=ab%4 HTTP/1.1\r\n\r\n",
     board.PUBLISHED, b"ab@"),
    ("zero code adds nothing", b"GET /fabu=%00x HTTP/1.1\r\n\r\n",
     board.PUBLISHED, b"x"),
    ("one Chinese character", b"GET /fabu=%E5%A5%BD HTTP/1.1\r\n\r\n",
     board.PUBLISHED, b"\xba\xc3"),
    ("clear wins over query", b"GET /shanchu/chaxun HTTP/1.1\r\n\r\n",
     board.CLEARED, b""),
    ("publish wins over both", b"GET /chaxun/shanchu/fabu=z HTTP/1.1\r\n\r\n",
     board.PUBLISHED, b"z"),
]


def raw_exchange(request):
    data, how, _ = board.exchange(request)
    check(how == "closed", f"{show(request)}: connection {how} after {show(data)}")
    return data


def worked_example_byte_for_byte(copy):
    request = (f"GET {HELLO_URL} HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n").encode()
    data = raw_exchange(request)
    check(data == board.response_for(board.PUBLISHED),
          f"publish: expected {show(board.response_for(board.PUBLISHED))},"
          f" got {show(data)}")
    check(copy.read_store() == HELLO_GBK,
          f"store holds {board.show_store(copy.read_store())}")
    data = raw_exchange(b"GET /chaxun HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")
    check(data == board.response_for(HELLO_GBK),
          f"query: expected {show(board.response_for(HELLO_GBK))}, got {show(data)}")


def curl(path, workdir):
    """Fetches with curl; returns (headers text, body bytes)."""
    head, body = os.path.join(workdir, "head"), os.path.join(workdir, "body")
    result = subprocess.run(
        ["curl", "-sS", "--max-time", "5", "-D", head, "-o", body,
         f"http://127.0.0.1:{board.PORT}{path}"],
        capture_output=True, text=True, timeout=10)
    check(result.returncode == 0, f"curl {path}: exit {result.returncode}"
          f" {result.stderr.strip()}")
    with open(head, "rb") as f, open(body, "rb") as g:
        return f.read().decode("latin-1"), g.read()


def worked_example_with_curl(copy):
    with tempfile.TemporaryDirectory() as workdir:
        head, body = curl(HELLO_URL, workdir)
        check(body == board.PUBLISHED, f"curl publish body {show(body)}")
        for header in ("HTTP/1.1 200 OK\r\n", "Connection: close\r\n",
                       "Content-Type: text/plain; charset=GBK\r\n",
                       "Content-Length: 8\r\n"):
            check(header in head, f"curl saw no {header!r} in {head!r}")
        head, body = curl("/chaxun", workdir)
        check(body == HELLO_GBK, f"curl query body {show(body)}")
        check("Content-Length: 4\r\n" in head, f"curl query head {head!r}")
        check(body.decode("gbk") == "你好", "body is not 你好 in GBK")


def clear_leaves_an_empty_store(copy):
    board.publish("要删除的")
    check(board.get("/shanchu") == board.CLEARED, "clear not answered 删除成功")
    check(copy.read_store() == b"", f"store after clear: "
          f"{board.show_store(copy.read_store())}, expected an empty file")
    check(board.query() == b"", "query after clear is not empty")


def store_lies_beside_the_run_directory(copy):
    board.publish("位置")
    parent = os.path.dirname(copy.run_dir)
    check("bin" + board.STORE_NAME in os.listdir(parent),
          f"no 'bin{board.STORE_NAME}' in {os.listdir(parent)}")
    check(os.listdir(copy.run_dir) == ["message-board"],
          f"run directory gained files: {os.listdir(copy.run_dir)}")
    check(copy.read_store() == "位置".encode("gbk"), "store bytes are not GBK")


def stored_bytes_are_served_verbatim(copy):
    raw = b"[data]\x00[len]\xff\x80\r\n\r\nHTTP"
    copy.write_store(raw)
    check(board.query() == raw, "bytes written by another program not served"
          " verbatim")


def message_survives_a_restart(copy):
    board.publish("重启之后还在 ok")
    check(copy.stop() == 0, "SIGTERM did not end the program with 0")
    copy.start()
    check(board.query() == "重启之后还在 ok".encode("gbk"),
          "message lost across a restart")
    check(copy.stop(sig=signal.SIGINT) == 0, "SIGINT did not end it with 0")
    copy.start()
    check(board.query() == "重启之后还在 ok".encode("gbk"),
          "message lost across a second restart")


def request_table(copy):
    failures = []
    for name, request, body, store in REQUEST_CASES:
        copy.write_store(OLD)
        expected_body = OLD if body == STORED else body
        expected_store = OLD if store == SAME else store
        data, how, _ = board.exchange(request)
        got_store = copy.read_store()
        if data != board.response_for(expected_body) or how != "closed":
            failures.append(f"{name}: sent {show(request)}, expected "
                            f"{show(board.response_for(expected_body))}, got "
                            f"{show(data)} ({how})")
        if got_store != expected_store:
            failures.append(f"{name}: store {board.show_store(got_store)},"
                            f" expected {show(expected_store)}")
    check(not failures, "\n  " + "\n  ".join(failures))


def server_closes_after_each_response(copy):
    with board.connect() as sock:
        sock.sendall(b"GET /chaxun HTTP/1.1\r\nConnection: keep-alive\r\n\r\n")
        start = time.monotonic()
        data, how = board.read_until_closed(sock, start + 3)
        check(how == "closed", f"connection still open after the response"
              f" ({how}, {time.monotonic() - start:.1f}s)")
        board.parse_response(data)


def second_instance_does_not_listen(copy):
    board.publish("第一个")
    other = board.ProgramCopy(copy.executable, "second")
    try:
        other.start(wait_port=None)
        time.sleep(1.5)
        check(other.alive(), f"second instance exited with "
              f"{other.process.returncode}: {other.log_tail()}")
        check(not board.listening_ports(other.process.pid),
              f"second instance listens on {board.listening_ports(other.process.pid)}")
        check(board.query() == "第一个".encode("gbk"),
              "the port is not served by the first instance")
        check(copy.stop() == 0, "first instance did not end with 0")
        time.sleep(0.5)
        check(not board.port_open(board.PORT),
              "second instance took the port over after the first ended")
        check(other.alive(), "second instance ended with the first")
        check(other.stop() == 0, "second instance did not end with 0")
    finally:
        other.cleanup()
        if not copy.alive():
            copy.start()


CASES = [
    worked_example_byte_for_byte,
    worked_example_with_curl,
    clear_leaves_an_empty_store,
    store_lies_beside_the_run_directory,
    stored_bytes_are_served_verbatim,
    server_closes_after_each_response,
    request_table,
    message_survives_a_restart,
    second_instance_does_not_listen,
]


def main(program):
    board.require_free_ports(board.PORT)
    copy = board.ProgramCopy(program, "http")
    try:
        copy.start()
        status = board.run_cases(CASES, copy)
        if copy.alive():
            code = copy.stop()
            if code != 0:
                print(f"FAIL program ended with {code} on SIGTERM")
                status = 1
        board.write_results("http_clients", {
            "cases": len(CASES), "request_table_rows": len(REQUEST_CASES),
            "passed": status == 0})
        return status
    finally:
        copy.cleanup()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
