"""Crash safety: the program is killed with SIGKILL at random moments while a
client publishes two long messages in turn; after every kill the store must
hold exactly one of them, complete, and the restarted program must serve it.

Usage: test_crash_safety.py PROGRAM [ROUNDS]
"""

import os
import random
import sys
import threading
import time

import board
from board import check, show

# Two long messages of different lengths and characters, so a cut or mixed
# store cannot pass for either. Both stay well under the request line cap.
MESSAGE_A = "甲乙丙丁戊己庚辛壬癸" * 6000              # 120,000 bytes in GBK
MESSAGE_B = ("Brantmoor 留言 0123456789 " * 9000)[:200000]
ENCODED = {m: board.percent_encode(m) for m in (MESSAGE_A, MESSAGE_B)}
STORED = {MESSAGE_A.encode("gbk"): "A", MESSAGE_B.encode("gbk"): "B"}
MAX_KILL_DELAY = 0.25


class PublishStream(threading.Thread):
    """Publishes A, B, A, ... on fresh connections until the server dies."""

    def __init__(self):
        super().__init__(daemon=True)
        self.sent = 0
        self.answered = 0

    def run(self):
        messages = (MESSAGE_A, MESSAGE_B)
        while True:
            text = messages[self.sent % 2]
            request = f"GET /fabu={ENCODED[text]} HTTP/1.1\r\n\r\n".encode()
            self.sent += 1
            try:
                data, how, _ = board.exchange(request, timeout=5)
            except OSError:
                return
            if how != "closed" or not data:
                return
            self.answered += 1


def which_message(data):
    return STORED.get(data) if data is not None else None


def one_round(copy, rng, totals):
    copy.start()
    before = copy.read_store()
    check(which_message(before), f"store after restart: {show(before or b'')}")
    check(board.query() == before, "restarted program serves another message")
    stream = PublishStream()
    stream.start()
    time.sleep(rng.uniform(0, MAX_KILL_DELAY))
    copy.kill()
    stream.join(10)
    check(not stream.is_alive(), "publish stream hung after the kill")
    after = copy.read_store()
    kind = which_message(after)
    check(kind, f"after a kill during publish {stream.sent} the store holds "
          f"{board.show_store(after)} ({len(after or b'')} bytes)")
    totals["publishes_answered"] += stream.answered
    totals["publishes_sent"] += stream.sent
    totals["kills_during_a_publish"] += int(stream.sent > stream.answered)
    totals["ended_with_" + kind] += 1


def leftover_files(copy):
    parent = os.path.dirname(copy.run_dir)
    expected = {"bin", "bin" + board.STORE_NAME, "program.log"}
    return sorted(set(os.listdir(parent)) - expected)


def main(program, rounds=200):
    board.require_free_ports(board.PORT)
    copy = board.ProgramCopy(program, "crash")
    rng = random.Random(19730)
    totals = {"rounds": 0, "publishes_sent": 0, "publishes_answered": 0,
              "kills_during_a_publish": 0, "ended_with_A": 0,
              "ended_with_B": 0, "messages_lost": 0}
    start = time.monotonic()
    try:
        copy.start()
        board.publish(MESSAGE_A)
        copy.kill()
        for round_number in range(rounds):
            try:
                one_round(copy, rng, totals)
            except board.CheckFailed as failure:
                totals["messages_lost"] += 1
                print(f"FAIL round {round_number + 1}: {failure}")
                copy.kill()
                copy.write_store(MESSAGE_A.encode("gbk"))
            totals["rounds"] += 1
        copy.start()
        check(which_message(board.query()), "final query serves no message")
        totals["final_exit_code"] = copy.stop()
        totals["leftover_files"] = leftover_files(copy)
        totals["seconds"] = round(time.monotonic() - start, 1)
        board.write_results("crash_safety", totals)
        print(totals)
        failed = totals["messages_lost"] or totals["final_exit_code"] != 0
        if totals["kills_during_a_publish"] < rounds // 2:
            print("FAIL too few kills landed during a publish to prove anything")
            failed = True
        return 1 if failed else 0
    finally:
        copy.cleanup()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], *map(int, sys.argv[2:3])))
