"""Writes the reliability record from what the end-to-end runs left behind.

Usage: write_reliability.py RESULTS_DIR OUTPUT.md [FUZZ_LOG]

RESULTS_DIR holds the JSON files of the end-to-end tests; FUZZ_LOG, when
given, is the output of a scripts/fuzz run (libFuzzer's final statistics).
"""

import json
import os
import platform
import re
import subprocess
import sys
import time


def load(directory, name):
    try:
        with open(os.path.join(directory, name + ".json")) as f:
            return json.load(f)
    except (OSError, ValueError):
        return None


def verdict(passed):
    return "held" if passed else "**failed**"


def commit():
    try:
        return subprocess.run(["git", "rev-parse", "--short", "HEAD"],
                              capture_output=True, text=True,
                              cwd=os.path.dirname(os.path.abspath(__file__)),
                              timeout=10).stdout.strip() or "unknown"
    except OSError:
        return "unknown"


def client_rows(results):
    rows = []
    http = results.get("http_clients")
    if http:
        rows.append(("curl and raw-socket clients: worked example byte for "
                     "byte, clear, store location, restart, second instance,"
                     " close after each response, request table",
                     f"{http['cases']} cases, {http['request_table_rows']} "
                     f"table rows", verdict(http["passed"])))
    browser = results.get("browser")
    if browser:
        rows.append(("headless Chromium publishes by navigating, then reads "
                     "the page text back (你好, 好)",
                     f"{browser['round_trips']} round trips, "
                     f"{browser['favicon_requests_seen']} favicon requests "
                     f"waited for", verdict(browser["passed"])))
    desktop = results.get("desktop")
    if desktop:
        rows.append(("Xvfb desktop with xdotool: size, centring, no frame, "
                     "log page, port move to 9988, banner drag, Escape",
                     f"{desktop['cases']} cases", verdict(desktop["passed"])))
    return rows


def torture_rows(torture):
    counts, notes = torture["counts"], torture["notes"]
    topics = torture.get("problem_topics", {})

    def held_unless(*names):
        return verdict(not any(topics.get(n) for n in names))

    return [
        ("hostile requests (zero bytes, invalid UTF-8, broken and truncated "
         "escapes, 1 MiB+ request lines, 100,000 header lines, binary "
         "garbage, only CR LF CR LF, other methods)",
         f"{torture['hostile_requests']:,}",
         held_unless("hostile")),
        ("resets in the middle of a request",
         f"{counts.get('reset in the middle of a request', 0):,}",
         held_unless("resets")),
        ("half-closes (after a request, at once, after part of one)",
         f"{counts.get('half-close', 0):,}", held_unless("half_closes")),
        ("idle connections held open at once",
         f"{counts.get('idle connections held open', 0):,} "
         f"(CPU {notes.get('cpu_share_with_2000_idle_connections', 0):.0%})",
         held_unless("idle")),
        ("descriptor limit 256, exhausted by held connections",
         f"{counts.get('connections against a limit of 256 descriptors', 0)}"
         f" connections; CPU {notes.get('cpu_share_while_exhausted', 0):.0%}",
         held_unless("descriptor_limit")),
        ("clients that never read a 16 MiB answer",
         f"{counts.get('client never reading a 16 MiB answer', 0)}",
         held_unless("non_readers")),
        ("fresh queries between and during the loads",
         f"{torture['probes']} probes, best-of-3 median "
         f"{torture['probe_best_ms_median']} ms, worst "
         f"{torture['probe_best_ms_worst']} ms; under load median "
         f"{notes.get('query_ms_under_load_median', '-')} ms, worst "
         f"{notes.get('query_ms_under_load_worst', '-')} ms",
         held_unless("probes")),
        ("memory of the process", f"largest RSS {torture['rss_kib_max'] // 1024}"
         f" MiB", held_unless("memory")),
        ("SIGTERM after all of it ends the program with 0",
         exit_text(torture.get("exit_code")), held_unless("shutdown")),
    ]


def exit_text(code):
    if code is None:
        return "still running 10 s after SIGTERM, killed"
    return f"exit code {code}"


def fuzz_total(log_path):
    return sum(int(n) for n in re.findall(
        r"stat::number_of_executed_units:\s*(\d+)", read(log_path)))


def read(path):
    if not path or not os.path.exists(path):
        return ""
    with open(path, errors="replace") as f:
        return f.read()


def crash_rows(crash):
    return [("SIGKILL at a random moment during a stream of publishes of two "
             "long messages (120,000 and 200,000 bytes)",
             f"{crash['rounds']} kills ({crash['kills_during_a_publish']} "
             f"during a publish), {crash['publishes_answered']} publishes "
             f"answered; store ended A {crash['ended_with_A']}, B "
             f"{crash['ended_with_B']} times",
             verdict(crash["messages_lost"] == 0))]


def fuzz_rows(log_path):
    """One row per target from libFuzzer's final statistics."""
    text = read(log_path)
    rows = []
    for block in re.split(r"^== ", text, flags=re.M)[1:]:
        head = re.match(r"(\S+) for (\d+)s", block)
        runs = re.search(r"stat::number_of_executed_units:\s*(\d+)", block)
        if not head:
            continue
        crashed = "!! " in block or "ERROR: libFuzzer" in block
        rows.append((f"fuzz target `{head.group(1)}` (libFuzzer, seeded "
                     f"corpus)", f"{int(runs.group(1)) if runs else 0:,} "
                     f"inputs in {head.group(2)} s", verdict(not crashed)))
    return rows


def table(rows):
    lines = ["| What was tried | How much | What held |",
             "|---|---|---|"]
    lines += [f"| {a} | {b} | {c} |" for a, b, c in rows]
    return lines


def summary(results, rows, fuzz_log):
    torture = results.get("torture") or {}
    crash = results.get("crash_safety") or {}
    lost = torture.get("messages_lost", 0) + crash.get("messages_lost", 0)
    bad_inputs = torture.get("hostile_requests", 0)
    faults = sum(torture.get("counts", {}).get(k, 0) for k in (
        "reset in the middle of a request", "half-close",
        "client never reading a 16 MiB answer")) + crash.get("rounds", 0)
    held = sum(1 for row in rows if row[2] == "held")
    return [f"- Load held: {held} of the {len(rows)} rows above held.",
            f"- Faults survived: {faults:,} (resets, half-closes, stalled "
            f"readers, kills), each leaving the program running or restartable"
            f" with its message intact, plus the idle and "
            f"descriptor-exhaustion loads.",
            f"- Bad inputs tried: {bad_inputs:,} against the real program, and"
            f" {fuzz_total(fuzz_log):,} fuzz inputs against the message "
            f"interface's functions.",
            f"- Messages lost: {lost}."]


def problems(results):
    torture = results.get("torture") or {}
    seen = list(torture.get("problems", []))
    if not seen:
        return []
    return ["", "## Problems this run saw", ""] + [
        f"- `{p}`" for p in seen[:20]]


def render(results, fuzz_log):
    rows = (client_rows(results) +
            (torture_rows(results["torture"]) if results.get("torture") else [])
            + (crash_rows(results["crash_safety"])
               if results.get("crash_safety") else [])
            + fuzz_rows(fuzz_log))
    missing = [n for n in NAMES if not results.get(n)]
    head = [
        "# Reliability record", "",
        "What the end-to-end runs tried against the real program, how much, "
        "and what held. Written by `tests/e2e/write_reliability.py` from the "
        "numbers the runs leave in `build/e2e-results/` (and, for fuzzing, "
        "the output of `scripts/fuzz`); every run of `scripts/test` writes "
        "the same table to `build/reliability.md`.", "",
        f"Run of {time.strftime('%Y-%m-%d', time.gmtime())} at commit "
        f"{commit()}, on {os.cpu_count()} cores, Linux "
        f"{platform.release()}.", ""]
    if missing:
        head += [f"Not run this time: {', '.join(missing)}.", ""]
    return "\n".join(head + table(rows) + ["", "## Totals", ""] +
                     summary(results, rows, fuzz_log) + problems(results)) + "\n"


NAMES = ["http_clients", "browser", "desktop", "torture", "crash_safety"]


def main(directory, output, fuzz_log=None):
    results = {name: load(directory, name) for name in NAMES}
    with open(output, "w") as f:
        f.write(render(results, fuzz_log))
    print(f"wrote {output}")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
