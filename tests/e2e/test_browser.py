"""A real browser against the real program: headless Chromium driven through
its DevTools protocol publishes by navigating to the publish address, lets
the page's own requests (the favicon, which carries the publish address as
its referer) finish, and reads the message back as page text.

Usage: test_browser.py PROGRAM
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

import websocket

import board
from board import check

CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
    "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync",
    "--remote-debugging-port=0",
]
BASE = f"http://127.0.0.1:{board.PORT}"


class Chromium:
    """A headless Chromium in its own process group and profile."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="e2e-chromium-")
        self.profile = os.path.join(self.root, "profile")
        os.mkdir(self.profile)
        self.log = open(os.path.join(self.root, "chromium.log"), "wb")
        self.process = subprocess.Popen(
            ["chromium", *CHROMIUM_FLAGS, f"--user-data-dir={self.profile}",
             "about:blank"],
            stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log,
            start_new_session=True)

    def devtools_port(self, timeout=30.0):
        path = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            check(self.process.poll() is None, "chromium exited at start-up")
            try:
                with open(path) as f:
                    return int(f.read().split()[0])
            except (OSError, ValueError, IndexError):
                time.sleep(0.1)
        raise board.CheckFailed("chromium wrote no DevToolsActivePort")

    def page_socket_url(self):
        port = self.devtools_port()
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list",
                                    timeout=10) as reply:
            targets = json.load(reply)
        pages = [t for t in targets if t["type"] == "page"]
        check(pages, f"no page target among {targets}")
        return pages[0]["webSocketDebuggerUrl"]

    def close(self):
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.process.wait()
        self.log.close()
        shutil.rmtree(self.root, ignore_errors=True)


class Page:
    """One page target, spoken to over the DevTools web socket."""

    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=10)
        self.next_id = 0
        self.events = []
        self.call("Page.enable")
        self.call("Network.enable")

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps(
            {"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                check("error" not in message, f"{method}: {message}")
                return message["result"]
            self.events.append(message)

    def wait_event(self, matches, timeout):
        """The first event (queued or new) for which matches() holds, or
        None after the timeout."""
        deadline = time.monotonic() + timeout
        while True:
            for index, event in enumerate(self.events):
                if matches(event):
                    return self.events.pop(index)
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return None
            self.socket.settimeout(remaining)
            try:
                self.events.append(json.loads(self.socket.recv()))
            except websocket.WebSocketTimeoutException:
                return None

    def navigate(self, url):
        """Loads url and waits for the favicon request that follows the
        load. Returns whether a favicon request was seen."""
        self.events.clear()
        self.call("Page.navigate", url=url)
        loaded = self.wait_event(
            lambda e: e.get("method") == "Page.loadEventFired", 15)
        check(loaded, f"{url} did not load")
        return self.wait_for_favicon()

    def wait_for_favicon(self):
        sent = self.wait_event(
            lambda e: e.get("method") == "Network.requestWillBeSent" and
            e["params"]["request"]["url"].endswith("/favicon.ico"), 3)
        if not sent:
            return False
        request_id = sent["params"]["requestId"]
        done = self.wait_event(
            lambda e: e.get("method") in ("Network.loadingFinished",
                                          "Network.loadingFailed") and
            e["params"].get("requestId") == request_id, 10)
        check(done, "the favicon request never finished")
        return True

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression,
                           returnByValue=True)
        return result["result"].get("value")

    def text(self):
        return self.evaluate("document.body.innerText")


def publish_and_read(page, copy, text, results):
    favicon = page.navigate(BASE + "/fabu=" + board.percent_encode(text))
    results["favicon_requests_seen"] += int(favicon)
    check(page.text() == "发布成功",
          f"publish page shows {page.text()!r}, expected 发布成功")
    check(copy.read_store() == text.encode("gbk"),
          f"store holds {board.show_store(copy.read_store())} after the"
          f" page's own requests, expected {text!r} in GBK")
    page.navigate(BASE + "/chaxun")
    check(page.evaluate("document.characterSet") == "GBK",
          f"page decoded as {page.evaluate('document.characterSet')}")
    check(page.text() == text, f"query page shows {page.text()!r},"
          f" expected {text!r}")
    results["round_trips"] += 1


def main(program):
    board.require_free_ports(board.PORT)
    copy = board.ProgramCopy(program, "browser")
    browser = None
    results = {"round_trips": 0, "favicon_requests_seen": 0}
    try:
        copy.start()
        browser = Chromium()
        page = Page(browser.page_socket_url())

        def publishes_hello(_):
            publish_and_read(page, copy, "你好", results)

        def publishes_one_character(_):
            publish_and_read(page, copy, "好", results)

        status = board.run_cases([publishes_hello, publishes_one_character],
                                 None)
        check(copy.stop() == 0, "program did not end with 0")
        results["passed"] = status == 0
        board.write_results("browser", results)
        return status
    finally:
        if browser:
            browser.close()
        copy.cleanup()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
