"""Torture run against the real program: hostile requests, resets, half-closes,
clients that never read a 16 MiB answer, thousands of idle connections and a
process whose descriptors run out. Between the phases a fresh query must be
answered correctly and quickly, the stored message may change only through
publishes, and the process must stay small and, while starved of
descriptors, idle.

Usage: test_torture.py PROGRAM
"""

import collections
import random
import socket
import statistics
import struct
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import board
from board import check, show

SENTINEL = "守护的留言 sentinel 0936".encode("gbk")
PROBE_BOUND = 0.100          # seconds for a fresh query, best of a few tries
RSS_BOUND_KIB = 512 * 1024   # the process never needs more than this
BIG_STORE = 16 << 20


Hostile = collections.namedtuple(
    "Hostile", "kind request mutates whole half_close")


class BackgroundProber(threading.Thread):
    """Queries every 100 ms while a load runs, for the latency under load."""

    def __init__(self, torture):
        super().__init__(daemon=True)
        self.torture = torture
        self.stopping = threading.Event()
        self.times = []
        self.wrong = []

    def run(self):
        expected = board.response_for(self.torture.expected)
        while not self.stopping.wait(0.1):
            try:
                data, how, seconds = board.exchange(
                    b"GET /chaxun HTTP/1.1\r\n\r\n", timeout=3)
            except OSError as error:
                data, how, seconds = b"", type(error).__name__, 3.0
            self.times.append(seconds)
            if data != expected:
                self.wrong.append(f"{show(data)} ({how})")

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stopping.set()
        self.join()
        notes = self.torture.notes
        if self.times:
            ordered = sorted(self.times)
            notes["queries_under_load"] = len(ordered)
            notes["query_ms_under_load_median"] = round(
                ordered[len(ordered) // 2] * 1000, 1)
            notes["query_ms_under_load_worst"] = round(ordered[-1] * 1000, 1)
        for wrong in self.wrong[:5]:
            self.torture.problem(f"query under load answered {wrong}", "probes")


class Torture:
    def __init__(self, copy, descriptor_limit):
        self.copy = copy
        self.descriptor_limit = descriptor_limit
        self.rng = random.Random(936)
        self.expected = SENTINEL
        self.counts = {}
        self.outcomes = {}
        self.probes = []
        self.rss = []
        self.problems = []
        self.topics = {}
        self.phase = "start"
        self.notes = {}

    # -- bookkeeping ----------------------------------------------------------

    def count(self, kind, n=1):
        self.counts[kind] = self.counts.get(kind, 0) + n

    def outcome(self, kind, how):
        key = f"{kind}: {how}"
        self.outcomes[key] = self.outcomes.get(key, 0) + 1

    def problem(self, text, topic=None):
        """Records a fault under the phase that saw it, or a topic of its
        own (probes, memory) that spans the phases."""
        topic = topic or self.phase
        if len(self.problems) < 40:
            self.problems.append(text)
        self.topics[topic] = self.topics.get(topic, 0) + 1
        print("PROBLEM", text, flush=True)

    def pid(self):
        return self.copy.process.pid

    def sample_memory(self, label):
        """The resident size now and the largest the process ever had, so a
        peak between two samples is not missed."""
        self.rss.append((label, board.proc_status(self.pid(), "VmRSS"),
                         board.proc_status(self.pid(), "VmHWM")))

    def probe(self, label, expected=None, tries=3):
        """A fresh query from a new connection: correct bytes, and the best
        of a few tries within the bound (a single slow try is CI noise)."""
        check(self.copy.alive(), f"program died before probe '{label}': "
              f"exit {self.copy.process.returncode} {self.copy.log_tail()}")
        expected = self.expected if expected is None else expected
        times = []
        for _ in range(tries):
            data, how, seconds = board.exchange(
                b"GET /chaxun HTTP/1.1\r\n\r\n", timeout=3)
            times.append(seconds)
            if data != board.response_for(expected):
                self.problem(f"probe '{label}': expected "
                             f"{show(board.response_for(expected))}, got "
                             f"{show(data)} ({how})", "probes")
                break
        self.probes.append((label, min(times), max(times)))
        if min(times) > PROBE_BOUND:
            self.problem(f"probe '{label}': best of {len(times)} took "
                         f"{min(times) * 1000:.0f} ms", "probes")
        self.sample_memory(label)

    def check_store(self, context):
        stored = self.copy.read_store()
        if stored != self.expected:
            self.problem(f"{context}: store changed to {show(stored or b'')},"
                         f" expected {show(self.expected)}")
            self.expected = stored or b""

    # -- hostile requests -----------------------------------------------------

    @staticmethod
    def send(hostile):
        """Sends one hostile request on its own connection; safe to run on
        many threads at once. Returns (data, how) or (None, error name)."""
        try:
            data, how, _ = board.exchange(hostile.request, timeout=5,
                                          half_close=hostile.half_close)
            return data, how
        except OSError as error:
            return None, type(error).__name__

    def judge(self, hostile, data, how):
        """A request that cannot publish or clear must leave the store alone;
        one that can must be answered 发布成功, or 发布失败 with the store
        unchanged."""
        kind, request = hostile.kind, hostile.request
        self.count(kind)
        if data is None:
            self.outcome(kind, how)
            return
        if how == "timeout":
            self.problem(f"{kind}: no answer and no close within 5 s for "
                         f"{show(request)}")
        try:
            body = board.parse_response(data) if data else None
        except board.CheckFailed as error:
            self.problem(f"{kind}: malformed answer to {show(request)}: {error}")
            return
        self.outcome(kind, "answered" if data else f"no answer, {how}")
        if hostile.mutates:
            self.after_publish(kind, request, body, hostile.whole)
        else:
            self.after_harmless(kind, request, body)

    def after_harmless(self, kind, request, body):
        allowed = (None, b"", board.NOT_FOUND, self.expected)
        if body not in allowed:
            self.problem(f"{kind}: {show(request)} answered {show(body)}")
        if self.counts[kind] % 200 == 0 or len(request) > 65536:
            self.check_store(f"{kind} {show(request, 40)}")

    def after_publish(self, kind, request, body, whole):
        stored = self.copy.read_store()
        if whole is not None and stored not in (self.expected, whole):
            self.problem(f"{kind}: store holds {len(stored or b'')} bytes, "
                         f"neither the old message nor the whole new one")
        if body == board.PUBLISH_FAILED or body is None:
            if stored != self.expected:
                self.problem(f"{kind}: unanswered or failed publish "
                             f"{show(request)} changed the store to "
                             f"{show(stored or b'')}")
        elif body != board.PUBLISHED:
            self.problem(f"{kind}: publish {show(request)} answered {show(body)}")
        self.expected = stored if stored is not None else b""
        if self.counts[kind] % 50 == 0:
            self.probe(f"after {self.counts[kind]} {kind}")
            self.restore_sentinel()

    def restore_sentinel(self):
        board.publish(SENTINEL.decode("gbk"))
        self.expected = SENTINEL
        self.check_store("valid publish")

    def hostile_requests(self):
        """Yields every hostile request of the run, in a fixed order."""
        for kind, request, mutates, *whole in self.hostile_items():
            # Half of them close their sending side; a publish without an
            # end always does, so that it is judged as soon as it is sent.
            half_close = self.rng.random() < 0.5 or (
                mutates and not request.endswith(b"\r\n\r\n"))
            yield Hostile(kind, request, mutates, whole[0] if whole else None,
                          half_close)

    def hostile_items(self):
        """(kind, request, can change the message[, the only new message
        it may leave])"""
        r = self.rng
        for _ in range(1500):
            yield "zero bytes", self.zero_byte_request(), False
        for _ in range(1500):
            yield "invalid UTF-8 publish", self.invalid_utf8_publish(), True
        for _ in range(1500):
            yield "broken percent escapes", self.broken_escapes(), True
        for _ in range(1000):
            yield "broken escapes, no keyword", self.broken_escapes(
                b"GET /x?q="), False
        for _ in range(3000):
            yield "binary garbage", self.garbage(r.randint(1, 4096)), False
        for _ in range(500):
            yield "only CR LF CR LF", b"\r\n\r\n" * r.randint(1, 4), False
        for _ in range(1000):
            yield "not a GET", self.not_get(), False
        for _ in range(12):
            size = (1 << 20) + r.randint(0, 1 << 18)
            yield "1 MiB+ request line", (b"GET /chaxun?" + b"a" * size +
                                          b" HTTP/1.1\r\n\r\n"), False
        for _ in range(4):
            yield "1 MiB+ publish line", (b"GET /fabu=" + b"%41" * 400000 +
                                          b" HTTP/1.1\r\n\r\n"), True, b"A" * 400000
        for _ in range(4):
            yield "100,000 header lines", (
                b"GET /chaxun HTTP/1.1\r\n" +
                b"X-Fill: fabu=x shanchu\r\n" * 100000 + b"\r\n"), False

    def zero_byte_request(self):
        r = self.rng
        choices = [b"\x00" * r.randint(1, 64),
                   b"GET /chaxun\x00" + self.garbage(r.randint(0, 64)),
                   b"\x00GET /chaxun HTTP/1.1\r\n\r\n",
                   b"GET /ch\x00axun HTTP/1.1\r\n\r\n"]
        return r.choice(choices)

    def invalid_utf8_publish(self):
        r = self.rng
        pieces = [b"%FF", b"%FE", b"%C0%80", b"%ED%A0%80", b"%E4%BD", b"%80",
                  b"%F4%90%80%80", b"%E4%BD%A0", b"a", b"%C3", b"%F0%9F%98%80"]
        value = b"".join(r.choice(pieces) for _ in range(r.randint(1, 40)))
        return b"GET /fabu=" + value + b" HTTP/1.1\r\n\r\n"

    def broken_escapes(self, prefix=b"GET /fabu="):
        r = self.rng
        pieces = [b"%", b"%4", b"%G0", b"%0G", b"%zz", b"%%", b"%%%", b"%E4%",
                  b"%4%1", b"ab", b"%41", b"%00", b"+"]
        value = b"".join(r.choice(pieces) for _ in range(r.randint(1, 30)))
        end = r.choice([b" HTTP/1.1\r\n\r\n", b"\r\n\r\n", b""])
        return prefix + value + end

    def garbage(self, size):
        while True:
            data = self.rng.randbytes(size)
            if b"fabu" not in data and b"shanchu" not in data:
                return data

    def not_get(self):
        method = self.rng.choice([b"POST", b"PUT", b"DELETE", b"HEAD", b"GE",
                                  b"G", b"XGET", b" GET"])
        path = self.rng.choice([b"/fabu=x", b"/shanchu", b"/chaxun"])
        return method + b" " + path + b" HTTP/1.1\r\n\r\n"

    def phase_hostile(self, chunk=1000, workers=48):
        """Requests that cannot change the message go out many at a time;
        publishes go one by one, so each one's effect can be checked."""
        hostile = list(self.hostile_requests())
        harmless = [h for h in hostile if not h.mutates]
        with ThreadPoolExecutor(workers) as pool, BackgroundProber(self):
            for first in range(0, len(harmless), chunk):
                batch = harmless[first:first + chunk]
                for item, (data, how) in zip(batch, pool.map(self.send, batch)):
                    self.judge(item, data, how)
                self.check_store(f"{first + len(batch)} harmless hostile requests")
                self.probe(f"{first + len(batch)} harmless hostile requests")
        for index, item in enumerate(h for h in hostile if h.mutates):
            self.judge(item, *self.send(item))
            if index % 500 == 499:
                self.restore_sentinel()
                self.probe(f"{index + 1} hostile publishes")
        self.restore_sentinel()
        self.probe("after the hostile requests")

    # -- resets and half-closes -----------------------------------------------

    def reset(self, sock):
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                        struct.pack("ii", 1, 0))
        sock.close()

    def phase_resets(self):
        prefixes = [b"", b"G", b"GET /cha", b"GET /chaxun HTTP/1.1\r\nHost: x",
                    b"GET /fa", b"GET /shanc", self.garbage(3000)]
        for i in range(600):
            sock = board.connect()
            sock.sendall(prefixes[i % len(prefixes)])
            if i % 2:
                time.sleep(0.001)
            self.reset(sock)
            self.count("reset in the middle of a request")
        self.check_store("resets")
        self.probe("after resets")

    def phase_half_closes(self):
        for i in range(600):
            request = [b"GET /chaxun HTTP/1.1\r\n\r\n", b"", b"GET /cha"][i % 3]
            with board.connect() as sock:
                if request:
                    sock.sendall(request)
                sock.shutdown(socket.SHUT_WR)
                data, how = board.read_until_closed(sock, time.monotonic() + 5)
            self.count("half-close")
            self.outcome("half-close " + ["request", "empty", "partial"][i % 3],
                         how + (", answered" if data else ""))
            if how == "timeout":
                self.problem(f"half-close after {show(request)}: server "
                             f"neither answered nor closed within 5 s")
            if i % 3 == 0 and data != board.response_for(self.expected):
                self.problem(f"half-closed query answered {show(data)} ({how})")
        self.check_store("half-closes")
        self.probe("after half-closes")

    # -- clients that never read a 16 MiB answer ------------------------------

    def phase_non_readers(self, rounds=3, readers=4):
        big = bytes(self.rng.randrange(1, 256) for _ in range(4096)) * (
            BIG_STORE // 4096)
        after_round = []
        problems_before = len(self.problems)
        for round_number in range(rounds):
            self.copy.write_store(big)
            stalled = []
            for _ in range(readers):
                sock = board.connect()
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
                sock.sendall(b"GET /chaxun HTTP/1.1\r\n\r\n")
                stalled.append(sock)
                self.count("client never reading a 16 MiB answer")
            time.sleep(0.5)
            self.big_probe(big)
            self.copy.write_store(self.expected)
            self.probe(f"non-readers round {round_number + 1}, held")
            for sock in stalled:  # alternate the two ways of going away
                if round_number % 2:
                    self.reset(sock)
                else:
                    sock.close()
            time.sleep(0.5)
            self.probe(f"non-readers round {round_number + 1}, released")
            after_round.append(board.proc_status(self.pid(), "VmRSS"))
            if len(self.problems) > problems_before:
                break  # a server that stalls once will stall every round
        self.notes["rss_after_each_non_reader_round_kib"] = after_round
        if after_round[-1] > after_round[0] + 32 * 1024:
            self.problem(f"memory grows per round of stalled 16 MiB answers: "
                         f"{after_round} KiB", "memory")

    def big_probe(self, big):
        """A 16 MiB answer still reaches a client that does read, in full."""
        data, how, seconds = board.exchange(b"GET /chaxun HTTP/1.1\r\n\r\n",
                                            timeout=10)
        if data != board.response_for(big):
            self.problem(f"16 MiB query: {len(data)} bytes ({how}), expected "
                         f"{len(board.response_for(big))}")
        self.notes.setdefault("seconds_for_a_16_mib_answer", []).append(
            round(seconds, 3))
        self.count("16 MiB queries by a client that reads")

    # -- idle connections -----------------------------------------------------

    def phase_idle(self, wanted=2000):
        # Both ends need a descriptor per connection; where the limit is
        # too low for the full number the run says how many it held.
        total = min(wanted, self.descriptor_limit - 200)
        idle = [board.connect() for _ in range(total)]
        self.count("idle connections held open", total)
        time.sleep(0.5)
        cpu = self.cpu_over(2.0)
        self.notes["cpu_share_with_2000_idle_connections"] = round(cpu, 3)
        self.notes["descriptors_with_2000_idle_connections"] = \
            board.descriptor_count(self.pid())
        self.probe(f"{total} idle connections held")
        for sock in idle[::100]:
            sock.sendall(b"GET /chaxun HTTP/1.1\r\n\r\n")
            data, how = board.read_until_closed(sock, time.monotonic() + 5)
            self.outcome("idle connection sending late", how)
            if data != board.response_for(self.expected):
                self.problem(f"long-idle connection answered {show(data)} ({how})")
        for sock in idle:
            sock.close()
        time.sleep(0.5)
        self.probe("idle connections closed")

    def cpu_over(self, seconds):
        before = board.cpu_seconds(self.pid())
        time.sleep(seconds)
        return (board.cpu_seconds(self.pid()) - before) / seconds

    # -- descriptors exhausted ------------------------------------------------

    def phase_descriptor_limit(self, limit=256, clients=400):
        self.sample_memory("before the restart")
        code = self.copy.stop()
        check(code == 0, f"program ended with {code} on SIGTERM")
        self.copy.start(nofile=limit)
        held = []
        for _ in range(clients):
            try:
                held.append(board.connect(timeout=0.5))
            except OSError as error:  # the accept queue is full as well
                self.outcome("connect while exhausted", type(error).__name__)
                break
        self.count("connections against a limit of 256 descriptors", len(held))
        time.sleep(1.0)
        fds = board.descriptor_count(self.pid())
        cpu = self.cpu_over(2.0)
        self.notes["descriptors_in_use_at_limit"] = fds
        self.notes["cpu_share_while_exhausted"] = round(cpu, 3)
        if fds < limit - 8:
            self.problem(f"descriptors not exhausted: {fds} of {limit}")
        if cpu > 0.10:
            self.problem(f"CPU {cpu:.0%} of a core while descriptors are"
                         f" exhausted")
        self.starved_probe()
        self.served_while_exhausted(held[0], held[1])
        for sock in held:
            sock.close()
        time.sleep(0.5)
        if not self.copy.alive():
            self.problem(f"program ended with {self.copy.process.returncode}"
                         f" while its descriptors were exhausted")
        else:
            self.probe("descriptors released")
        self.restart()

    def restart(self):
        """Back to an instance with the ordinary descriptor limit."""
        if self.copy.alive():
            self.sample_memory("before the restart")
            code = self.copy.stop()
            if code != 0:
                self.problem(f"program ended with {code} on SIGTERM")
        self.copy.start()
        self.probe("restarted")

    def starved_probe(self):
        """A query on a new connection while no descriptor is free: recorded,
        as only a server that drops a held connection could answer it."""
        try:
            data, how, seconds = board.exchange(
                b"GET /chaxun HTTP/1.1\r\n\r\n", timeout=1.0)
            self.notes["new_query_while_exhausted"] = (
                f"{'answered' if data else 'not answered'} ({how}) after "
                f"{seconds * 1000:.0f} ms")
        except OSError as error:
            self.notes["new_query_while_exhausted"] = type(error).__name__

    def served_while_exhausted(self, query_socket, publish_socket):
        """Connections accepted before the descriptors ran out are answered
        truthfully or not at all: a query must not pass off an unreadable
        store as an empty message, nor a publish claim a write it could not
        do."""
        query_socket.sendall(b"GET /chaxun HTTP/1.1\r\n\r\n")
        data, how = board.read_until_closed(query_socket, time.monotonic() + 5)
        self.notes["held_query_while_exhausted"] = f"{show(data, 200)} ({how})"
        if data and data != board.response_for(self.expected):
            self.problem(f"query on an accepted connection while descriptors"
                         f" are exhausted answered {show(data)} ({how}),"
                         f" expected {show(self.expected)}")
        text = "耗尽时发布"
        publish_socket.sendall(f"GET /fabu={board.percent_encode(text)} "
                               f"HTTP/1.1\r\n\r\n".encode())
        data, how = board.read_until_closed(publish_socket,
                                            time.monotonic() + 5)
        self.notes["held_publish_while_exhausted"] = f"{show(data, 200)} ({how})"
        stored = self.copy.read_store()
        if data == board.response_for(board.PUBLISHED):
            if stored != text.encode("gbk"):
                self.problem(f"publish while exhausted answered 发布成功 but the"
                             f" store holds {show(stored or b'')}")
            self.expected = stored
        elif stored != self.expected:
            self.problem(f"publish while exhausted answered {show(data)} and"
                         f" changed the store to {show(stored or b'')}")

    # -- the whole run --------------------------------------------------------

    def run(self):
        self.restore_sentinel()
        self.probe("start")
        started = time.monotonic()
        for phase in (self.phase_hostile, self.phase_resets,
                      self.phase_half_closes, self.phase_idle,
                      self.phase_descriptor_limit, self.phase_non_readers):
            phase_start = time.monotonic()
            self.phase = phase.__name__[len("phase_"):]
            phase()
            print(f"{phase.__name__}: {time.monotonic() - phase_start:.1f}s",
                  flush=True)
        self.check_store("end of the run")
        self.sample_memory("end of the run")
        self.notes["seconds"] = round(time.monotonic() - started, 1)

    def results(self):
        best = [p[1] for p in self.probes]
        return {
            "counts": self.counts, "outcomes": self.outcomes,
            "hostile_requests": sum(v for k, v in self.counts.items()
                                    if k in HOSTILE_KINDS),
            "probes": len(self.probes),
            "probe_best_ms_median": round(statistics.median(best) * 1000, 1),
            "probe_best_ms_worst": round(max(best) * 1000, 1),
            "probe_any_try_ms_worst": round(max(p[2] for p in self.probes)
                                            * 1000, 1),
            "rss_kib_max": max(peak for _, _, peak in self.rss),
            "rss_kib_samples": self.rss,
            "problems": self.problems, "problem_topics": self.topics,
            "notes": self.notes,
            "messages_lost": int(self.copy.read_store() != self.expected),
        }


HOSTILE_KINDS = {"zero bytes", "invalid UTF-8 publish", "broken percent escapes",
                 "broken escapes, no keyword", "binary garbage",
                 "only CR LF CR LF", "not a GET", "1 MiB+ request line",
                 "1 MiB+ publish line", "100,000 header lines"}


def main(program):
    board.require_free_ports(board.PORT)
    limit = board.raise_own_descriptor_limit()
    copy = board.ProgramCopy(program, "torture")
    try:
        copy.start()
        torture = Torture(copy, limit)
        try:
            torture.run()
        except board.CheckFailed as error:
            torture.problem(f"run stopped: {error}")
        results = torture.results()
        results["exit_code"] = copy.stop() if copy.alive() else \
            copy.process.returncode
        if results["rss_kib_max"] > RSS_BOUND_KIB:
            torture.problem(f"RSS reached {results['rss_kib_max']} KiB",
                            "memory")
        if results["exit_code"] != 0:
            torture.problem(f"program ended with {results['exit_code']} on"
                            f" SIGTERM at the end", "shutdown")
        results["problems"] = torture.problems
        results["problem_topics"] = torture.topics
        board.write_results("torture", results)
        print({k: v for k, v in results.items() if k != "rss_kib_samples"})
        return 1 if torture.problems else 0
    finally:
        copy.cleanup()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
