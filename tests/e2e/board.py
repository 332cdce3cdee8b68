"""Shared harness for the end-to-end tests: runs a temporary copy of the real
program, talks raw HTTP to it and watches its process from /proc.

Every test gets the program's path as its first argument. The copy lives in a
fresh temporary directory, so its store file (the run directory followed
directly by the store name) lands in that temporary area and never beside the
build tree.
"""

import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import traceback

PORT = 19730
HOST = "127.0.0.1"
STORE_NAME = "存储文本.txt"
SKIP = 77

HEAD = (b"HTTP/1.1 200 OK\r\nConnection: close\r\n"
        b"Content-Type: text/plain; charset=GBK\r\nContent-Length: ")
PUBLISHED = "发布成功".encode("gbk")
CLEARED = "删除成功".encode("gbk")
PUBLISH_FAILED = "发布失败".encode("gbk")
CLEAR_FAILED = "删除失败".encode("gbk")
NOT_FOUND = b"error 404"


class CheckFailed(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise CheckFailed(message)


def eventually(condition, timeout=5.0, interval=0.1):
    """Runs a check until it passes or the time is up; the last failure
    is raised. For effects that a busy machine may show a little late."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            return condition()
        except CheckFailed:
            if time.monotonic() >= deadline:
                raise
            time.sleep(interval)


def show(data, limit=120):
    """Bytes for a failure message: short, escaped, with the total length."""
    text = repr(bytes(data[:limit]))
    return text + (f"... ({len(data)} bytes)" if len(data) > limit else "")


def show_store(data):
    """A store's content for a failure message; None means no file."""
    return "(no file)" if data is None else show(data)


def response_for(body):
    """The exact bytes the program sends for a body."""
    return HEAD + str(len(body)).encode() + b"\r\n\r\n" + body + b"\r\n"


def parse_response(raw):
    """Splits a response into its body, checking every byte around it.

    Returns the body; raises CheckFailed when the status line, the headers,
    the declared length or the final CR LF are not exactly as the program
    promises."""
    check(raw.startswith(HEAD), f"unexpected response head: {show(raw)}")
    rest = raw[len(HEAD):]
    digits, sep, tail = rest.partition(b"\r\n\r\n")
    check(sep and digits.isdigit(), f"bad Content-Length line: {show(raw)}")
    length = int(digits)
    check(len(tail) == length + 2 and tail.endswith(b"\r\n"),
          f"Content-Length {length} but {len(tail)} bytes follow the head "
          f"(expected {length} + CR LF): {show(raw)}")
    return tail[:length]


def connect(port=PORT, timeout=5.0):
    sock = socket.create_connection((HOST, port), timeout=timeout)
    sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    return sock


def read_until_closed(sock, deadline):
    """Reads until the peer closes. Returns (data, how) where how is
    'closed', 'reset' or 'timeout'."""
    chunks = []
    while True:
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            return b"".join(chunks), "timeout"
        sock.settimeout(remaining)
        try:
            chunk = sock.recv(1 << 20)
        except socket.timeout:
            return b"".join(chunks), "timeout"
        except ConnectionResetError:
            return b"".join(chunks), "reset"
        if not chunk:
            return b"".join(chunks), "closed"
        chunks.append(chunk)


def exchange(request, port=PORT, timeout=5.0, half_close=False):
    """Sends one request on a fresh connection and reads until the server
    closes it. Returns (data, how, seconds)."""
    start = time.monotonic()
    with connect(port, timeout) as sock:
        try:
            sock.sendall(request)
            if half_close:
                sock.shutdown(socket.SHUT_WR)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the server may refuse an oversized request early
        data, how = read_until_closed(sock, start + timeout)
    return data, how, time.monotonic() - start


def get(path, port=PORT, timeout=5.0):
    """A well-formed GET; returns the body after checking the whole
    response and that the server closed the connection."""
    request = f"GET {path} HTTP/1.1\r\nHost: {HOST}:{port}\r\n\r\n".encode()
    data, how, _ = exchange(request, port, timeout)
    check(how == "closed", f"GET {path}: connection {how}, got {show(data)}")
    return parse_response(data)


def percent_encode(text):
    return "".join(f"%{b:02X}" for b in text.encode("utf-8"))


def publish(text, port=PORT):
    body = get("/fabu=" + percent_encode(text), port)
    check(body == PUBLISHED, f"publish answered {show(body)}")


def query(port=PORT):
    return get("/chaxun", port)


def port_open(port):
    try:
        with socket.create_connection((HOST, port), timeout=0.5):
            return True
    except OSError:
        return False


def require_free_ports(*ports):
    """Exits with the skip code when something else already serves a port
    this test needs."""
    for port in ports:
        if port_open(port):
            print(f"SKIP: port {port} is already in use by another program")
            sys.exit(SKIP)


class ProgramCopy:
    """A copy of the program in its own temporary directory."""

    def __init__(self, program, tag="board"):
        self.root = tempfile.mkdtemp(prefix=f"e2e-{tag}-")
        self.run_dir = os.path.join(self.root, "bin")
        os.mkdir(self.run_dir)
        self.executable = os.path.join(self.run_dir, "message-board")
        shutil.copy2(program, self.executable)
        self.store = self.run_dir + STORE_NAME
        self.process = None
        self.log_path = os.path.join(self.root, "program.log")

    def start(self, env=None, nofile=None, wait_port=PORT):
        """Starts the copy from an unrelated working directory, so the store
        location can only come from the executable's own directory."""
        environment = dict(os.environ)
        if "DISPLAY" not in (env or {}):
            environment.pop("DISPLAY", None)
            environment.pop("WAYLAND_DISPLAY", None)
            environment["QT_QPA_PLATFORM"] = "offscreen"
        environment.update(env or {})
        log = open(self.log_path, "ab")
        self.process = subprocess.Popen(
            [self.executable], cwd="/", env=environment,
            stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            preexec_fn=(lambda: limit_descriptors(nofile)) if nofile else None)
        log.close()
        if wait_port:
            self.wait_listening(wait_port)
        return self.process

    def wait_listening(self, port, timeout=15.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            check(self.process.poll() is None,
                  f"program exited with {self.process.returncode} at start-up:"
                  f" {self.log_tail()}")
            if port_open(port):
                return
            time.sleep(0.01)
        raise CheckFailed(f"program did not listen on {port} within {timeout}s")

    def alive(self):
        return self.process is not None and self.process.poll() is None

    def stop(self, timeout=10.0, sig=signal.SIGTERM):
        """Signals the program to end; returns its exit code, or None when it
        had to be killed."""
        if not self.alive():
            return self.process.returncode if self.process else None
        self.process.send_signal(sig)
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            return None

    def kill(self):
        if self.alive():
            self.process.kill()
        if self.process:
            self.process.wait()

    def read_store(self):
        try:
            with open(self.store, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def write_store(self, data):
        with open(self.store, "wb") as f:
            f.write(data)

    def log_tail(self, limit=2000):
        try:
            with open(self.log_path, "rb") as f:
                return f.read()[-limit:].decode("utf-8", "replace")
        except OSError:
            return ""

    def cleanup(self):
        self.kill()
        shutil.rmtree(self.root, ignore_errors=True)


def limit_descriptors(count):
    import resource
    resource.setrlimit(resource.RLIMIT_NOFILE, (count, count))


def raise_own_descriptor_limit(wanted=8192):
    """Room for thousands of client sockets here and in the program, which
    inherits the limit. Root may go past the hard limit; others stop at it."""
    import resource
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if hard != resource.RLIM_INFINITY and hard < wanted:
        try:
            resource.setrlimit(resource.RLIMIT_NOFILE, (wanted, wanted))
            return wanted
        except (ValueError, OSError):
            pass
    resource.setrlimit(resource.RLIMIT_NOFILE, (max(soft, min(
        hard, wanted) if hard != resource.RLIM_INFINITY else wanted), hard))
    return resource.getrlimit(resource.RLIMIT_NOFILE)[0]


def proc_status(pid, field):
    """A kB field of /proc/PID/status (VmRSS, VmHWM) as KiB; 0 once the
    process is gone."""
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except FileNotFoundError:
        pass
    return 0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])  # utime + stime
    return ticks / os.sysconf("SC_CLK_TCK")


def descriptor_count(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def listening_ports(pid):
    """TCP ports on which the process holds a listening socket."""
    inodes = set()
    for name in os.listdir(f"/proc/{pid}/fd"):
        try:
            target = os.readlink(f"/proc/{pid}/fd/{name}")
        except OSError:
            continue
        if target.startswith("socket:["):
            inodes.add(target[8:-1])
    ports = set()
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        with open(table) as f:
            next(f)
            for row in f:
                cols = row.split()
                if cols[3] == "0A" and cols[9] in inodes:
                    ports.add(int(cols[1].rsplit(":", 1)[1], 16))
    return ports


def write_results(name, results):
    """Keeps a run's numbers for the reliability record."""
    directory = os.environ.get("E2E_RESULTS_DIR")
    if not directory:
        return
    os.makedirs(directory, exist_ok=True)
    results = dict(results, test=name, finished=time.strftime(
        "%Y-%m-%d %H:%M:%S UTC", time.gmtime()))
    with open(os.path.join(directory, name + ".json"), "w") as f:
        json.dump(results, f, indent=2, ensure_ascii=False)


def run_cases(cases, *args):
    """Runs named cases in order, reports each, and exits 1 if any failed.
    Each case is a function taking *args."""
    failures = 0
    for case in cases:
        start = time.monotonic()
        try:
            case(*args)
        except Exception as error:  # report every case, then fail the test
            failures += 1
            print(f"FAIL {case.__name__}: {error}")
            if not isinstance(error, CheckFailed):
                traceback.print_exc()
        else:
            print(f"ok   {case.__name__} ({time.monotonic() - start:.2f}s)")
        sys.stdout.flush()
    print(f"{len(cases) - failures} passed, {failures} failed")
    return 1 if failures else 0
