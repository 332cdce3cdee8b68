#!/usr/bin/python3
"""Reads wrk's reports and prints the benchmark's table of medians.

  report.py parse KIND SERVER RUN WRK_REPORT OTHER CLIENT SERVER >> runs.tsv
  report.py quiet RUNS_TSV COUNT    (exit 0 when each measurement has COUNT
                                     quiet runs)
  report.py table RUNS_TSV MEMORY_TSV MACHINE_FILE [--quick] [--out FILE]

OTHER is the share of all CPUs that other work on the machine took during
the run; a run is quiet when it is at most QUIET_OTHER. CLIENT and SERVER
are the CPU time of wrk and of the servers, as a share of one CPU. Medians are taken
over the quiet runs of a measurement when it has at least three (or all its
runs are quiet), otherwise over all its runs.
"""

import re
import statistics
import sys

RUN_FIELDS = ["kind", "server", "run", "requests", "seconds", "rps",
              "p50_ms", "p99_ms", "non2xx", "connect", "read", "write",
              "timeout", "other", "client_cpu", "server_cpu"]

QUIET_OTHER = 0.10
MEASUREMENTS = [("query", "program"), ("query", "nginx"), ("query", "webdis"),
                ("publish", "program"), ("publish", "webdis")]

UNIT_MS = {"us": 0.001, "ms": 1.0, "s": 1000.0, "m": 60000.0}


def duration_ms(text):
    match = re.fullmatch(r"([\d.]+)(us|ms|s|m)", text)
    return float(match.group(1)) * UNIT_MS[match.group(2)]


def parse_wrk(report):
    """The numbers of one wrk report, as a dict of RUN_FIELDS' values."""
    found = {"p50_ms": "", "p99_ms": "", "non2xx": 0, "connect": 0,
             "read": 0, "write": 0, "timeout": 0}
    total = re.search(r"(\d+) requests in ([\d.]+)(us|ms|s|m)", report)
    if not total:
        raise SystemExit("report.py: not a wrk report:\n" + report)
    found["requests"] = int(total.group(1))
    found["seconds"] = duration_ms(total.group(2) + total.group(3)) / 1000
    found["rps"] = float(re.search(r"Requests/sec:\s+([\d.]+)", report)
                         .group(1))
    for name, percent in (("p50_ms", "50"), ("p99_ms", "99")):
        line = re.search(r"^\s+%s%%\s+(\S+)" % percent, report, re.M)
        if line:
            found[name] = round(duration_ms(line.group(1)), 3)
    non2xx = re.search(r"Non-2xx or 3xx responses: (\d+)", report)
    if non2xx:
        found["non2xx"] = int(non2xx.group(1))
    errors = re.search(r"Socket errors: connect (\d+), read (\d+), "
                       r"write (\d+), timeout (\d+)", report)
    if errors:
        for i, name in enumerate(("connect", "read", "write", "timeout")):
            found[name] = int(errors.group(i + 1))
    return found


def command_parse(kind, server, run, path, other, client_cpu, server_cpu):
    with open(path, encoding="utf-8", errors="replace") as report:
        found = parse_wrk(report.read())
    found.update(kind=kind, server=server, run=run, other=other,
                 client_cpu=client_cpu, server_cpu=server_cpu)
    print("\t".join(str(found[name]) for name in RUN_FIELDS))


def read_tsv(path, fields):
    rows = []
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            if line.strip():
                rows.append(dict(zip(fields, line.rstrip("\n").split("\t"))))
    return rows


def is_quiet(run):
    return float(run["other"]) <= QUIET_OTHER


def runs_of(runs, kind, server):
    return [r for r in runs if r["kind"] == kind and r["server"] == server]


def chosen_runs(runs, kind, server):
    """The runs a median is taken over: the quiet ones when there are
    enough of them, otherwise all."""
    every = runs_of(runs, kind, server)
    quiet = [r for r in every if is_quiet(r)]
    return quiet if len(quiet) >= min(3, len(every)) else every


def median_of(runs, kind, server, field):
    values = [float(r[field]) for r in chosen_runs(runs, kind, server)
              if r[field]]
    return statistics.median(values) if values else None


def count_of(runs, kind, server):
    return sum(1 for r in runs if r["kind"] == kind and r["server"] == server)


def errors_of(runs, kind, server):
    chosen = [r for r in runs if r["kind"] == kind and r["server"] == server]
    total = {name: sum(int(r[name]) for r in chosen)
             for name in ("requests", "non2xx", "connect", "read", "write",
                          "timeout")}
    return total


def number(value, digits=0):
    if value is None:
        return "–"
    return f"{value:,.{digits}f}"


def ratio(a, b):
    if a is None or b is None or b == 0:
        return "–"
    return f"{a / b:.2f}"


def verdict(ok):
    if ok is None:
        return "not measured"
    return "met" if ok else "NOT met"


def speed_rows(runs):
    rows = []
    q = {s: median_of(runs, "query", s, "rps")
         for s in ("program", "nginx", "webdis")}
    ok = None if q["program"] is None or q["nginx"] is None \
        else q["program"] >= 1.0 * q["nginx"]
    rows.append(["query, req/s", number(q["program"]), number(q["nginx"]),
                 number(q["webdis"]), ratio(q["program"], q["nginx"]),
                 ratio(q["program"], q["webdis"]), "≥ 1.0 × nginx",
                 verdict(ok)])
    p = {s: median_of(runs, "publish", s, "rps") for s in ("program", "webdis")}
    ok = None if p["program"] is None or p["webdis"] is None \
        else p["program"] >= 1.5 * p["webdis"]
    rows.append(["publish, req/s", number(p["program"]), "–",
                 number(p["webdis"]), "–", ratio(p["program"], p["webdis"]),
                 "≥ 1.5 × Webdis SET", verdict(ok)])
    for field, label in (("p50_ms", "query p50 latency, ms"),
                         ("p99_ms", "query p99 latency, ms")):
        m = {s: median_of(runs, "query", s, field)
             for s in ("program", "nginx", "webdis")}
        target, ok = "–", None
        if field == "p99_ms":
            target = "≤ 5 ms"
            ok = None if m["program"] is None else m["program"] <= 5.0
        rows.append([label, number(m["program"], 2), number(m["nginx"], 2),
                     number(m["webdis"], 2), ratio(m["program"], m["nginx"]),
                     ratio(m["program"], m["webdis"]), target,
                     "" if target == "–" else verdict(ok)])
    return rows


def memory_rows(memory):
    """memory rows: ("start", 0, 0, rss) then ("after", target, answered,
    rss) for the small and then the large count of query requests."""
    rows = []
    for m in memory:
        mib = int(m["rss_kib"]) / 1024
        if m["label"] == "start":
            rows.append(["program RSS at start, MiB", number(mib, 1)] +
                        ["–"] * 5 + [""])
            continue
        last = m is memory[-1]
        rows.append([f"program RSS after {int(m['answered']):,} queries, MiB",
                     number(mib, 1)] + ["–"] * 4 +
                    ["≤ 150 MiB" if last else "–",
                     verdict(mib <= 150) if last else ""])
    after = [m for m in memory if m["label"] == "after"]
    if len(after) >= 2:
        growth = (int(after[-1]["rss_kib"]) - int(after[0]["rss_kib"])) / 1024
        rows.append([f"RSS growth from {int(after[0]['answered']):,} to "
                     f"{int(after[-1]['answered']):,} queries, MiB",
                     number(growth, 1)] + ["–"] * 4 +
                    ["≤ 20 MiB", verdict(growth <= 20)])
    return rows


def markdown_table(rows):
    head = ["measure", "program", "nginx", "Webdis", "program / nginx",
            "program / Webdis", "target", "result"]
    lines = ["| " + " | ".join(head) + " |",
             "|" + "|".join([" --- "] + [" ---: "] * 5 + [" --- "] * 2) + "|"]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(lines)


def quiet_lines(runs):
    lines = []
    for kind, server in MEASUREMENTS:
        every = runs_of(runs, kind, server)
        if not every:
            continue
        quiet = sum(1 for r in every if is_quiet(r))
        used = chosen_runs(runs, kind, server)
        basis = "the quiet runs" if all(is_quiet(r) for r in used) \
            else "all runs (too few quiet)"
        client = median_of(runs, kind, server, "client_cpu")
        busy = median_of(runs, kind, server, "server_cpu")
        lines.append(f"- {kind} / {server}: {quiet} of {len(every)} runs "
                     f"quiet; median over {basis}; CPU of the server "
                     f"{busy:.0%} and of wrk {client:.0%} of a core")
    return lines


def error_lines(runs):
    lines = []
    for kind, servers in (("query", ("program", "nginx", "webdis")),
                          ("publish", ("program", "webdis"))):
        for server in servers:
            if not count_of(runs, kind, server):
                continue
            e = errors_of(runs, kind, server)
            lines.append(
                f"- {kind} / {server}: {count_of(runs, kind, server)} runs, "
                f"{e['requests']:,} responses, non-2xx {e['non2xx']}, socket "
                f"errors connect {e['connect']}, read {e['read']}, write "
                f"{e['write']}, timeout {e['timeout']}")
    return lines


def run_lines(runs):
    lines = ["| kind | server | round | req/s | p50 ms | p99 ms | server CPU "
             "| wrk CPU | other work |",
             "| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"]
    for r in runs:
        lines.append(f"| {r['kind']} | {r['server']} | {r['run']} | "
                     f"{float(r['rps']):,.0f} | {r['p50_ms']} | {r['p99_ms']} | "
                     f"{float(r['server_cpu']):.0%} | "
                     f"{float(r['client_cpu']):.0%} | "
                     f"{float(r['other']):.0%} |")
    return lines


def command_table(runs_path, memory_path, machine_path, quick, out_path):
    runs = read_tsv(runs_path, RUN_FIELDS)
    memory = read_tsv(memory_path, ["label", "target", "answered", "rss_kib"])
    table = markdown_table(speed_rows(runs) + memory_rows(memory))
    errors = "\n".join(error_lines(runs))
    quiet = "\n".join(quiet_lines(runs))
    print(table)
    print()
    print(quiet)
    print()
    print(errors)
    if not out_path:
        return
    with open(machine_path, encoding="utf-8") as machine_file:
        machine = machine_file.read().strip()
    title = "# Benchmark results" + (" (quick smoke check)" if quick else "")
    document = [title, "", "Written by `bench/run`" +
                (" --quick" if quick else "") + "; every number below comes "
                "from one run on one machine. Medians over the runs; wrk, "
                "one thread, 50 connections, `Connection: close`, loopback.",
                "", "## Machine", "", machine, "", "## Medians", "", table, "",
                "## Quiet runs", "",
                "Other work on this shared machine (builds, tests) can take "
                "CPU time during a run; `bench/run` measures its share of "
                f"all CPUs per run. A run is quiet when it is at most "
                f"{QUIET_OTHER:.0%}; rounds are added (up to a bound) until "
                "each measurement has three quiet runs. The CPU of the "
                "server (the program with its Xvfb; nginx' worker; Webdis "
                "with redis-server) and of wrk is given as a share of one "
                "core: a server near 100% is bound by its own work, wrk near "
                "100% means the client is the limit.", "", quiet, "",
                "## Responses and errors", "", errors, "", "## Every run", ""]
    document += run_lines(runs)
    with open(out_path, "w", encoding="utf-8") as out:
        out.write("\n".join(document) + "\n")


def command_quiet(runs_path, count):
    runs = read_tsv(runs_path, RUN_FIELDS)
    enough = all(sum(1 for r in runs_of(runs, kind, server) if is_quiet(r))
                 >= int(count) for kind, server in MEASUREMENTS)
    raise SystemExit(0 if enough else 1)


def main(argv):
    if len(argv) == 9 and argv[1] == "parse":
        command_parse(*argv[2:])
    elif len(argv) == 4 and argv[1] == "quiet":
        command_quiet(argv[2], argv[3])
    elif len(argv) >= 5 and argv[1] == "table":
        out = argv[argv.index("--out") + 1] if "--out" in argv else None
        command_table(argv[2], argv[3], argv[4], "--quick" in argv, out)
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
