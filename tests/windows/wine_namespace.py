"""A network namespace of a test's own with Wine booted inside it (root only).

IP Helper is answered by Wine's own processes, which see the namespace they started in, so a
prefix is booted inside the namespace, after a display (Xvfb, also inside) answers there: Wine's
desktop process gives up for good when its first connection fails. Everything made is removed
again by close(), also when a step failed.
"""

import os
import shutil
import subprocess
import time


SKIP = 77


def without_root():
    """None when running as root; otherwise the exit code: a skip, or a failure where root is
    required (CI)."""
    if os.geteuid() == 0:
        return None
    if os.environ.get("KESTROVE_REQUIRE_ROOT") == "1":
        print("needs root and KESTROVE_REQUIRE_ROOT=1 is set")
        return 1
    print("skipped: needs root (network namespaces)")
    return SKIP


def report(failures):
    """Prints the failures; the exit code."""
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


def run(*args, **kw):
    return subprocess.run(list(args), check=True, stdin=subprocess.DEVNULL, **kw)


def quiet(*args, env=None, timeout=300):
    """Runs a helper with /dev/null as every stream (wineserver, wineboot): one that inherits a
    pipe of ours keeps it open, and whatever reads the pipe waits forever."""
    return subprocess.run(list(args), env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout)


def cpu_ticks(pid):
    """User and system time of a process in clock ticks; 0 when it is gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])
    except (OSError, IndexError, ValueError):
        return 0


class WineNamespace:
    """veth0 in namespace `ns` (its peer in a second namespace, so nothing reaches the host) with
    the given MAC and address, a display and a Wine prefix inside. Wine is started through
    `wine_run`, as the tests start their programs (it keeps Wine's heap off the addresses Wine
    needs)."""

    def __init__(self, tag, work, wine_run, mac, address, prefix_len=24):
        self.wine_run = wine_run
        self.ns, self.peer = f"kv-{tag}-{os.getpid()}", f"kv-{tag}p-{os.getpid()}"
        self.prefix = os.path.join(work, f"wine-{tag}-{os.getpid()}")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("DISPLAY", None)
        self.in_ns = ["ip", "netns", "exec", self.ns]
        self.children = []
        self.mac, self.address, self.prefix_len = mac, address, prefix_len

    def create(self):
        """Makes the namespaces; close() removes them, also after a failure in here."""
        # Name lookups (an alarm's host name) go to loopback, where nothing answers: `ip netns
        # exec` mounts this file over /etc/resolv.conf for everything started inside.
        os.makedirs(f"/etc/netns/{self.ns}", exist_ok=True)
        with open(f"/etc/netns/{self.ns}/resolv.conf", "w") as f:
            f.write("nameserver 127.0.0.1\n")
        run("ip", "netns", "add", self.ns)
        run("ip", "netns", "add", self.peer)
        run("ip", "-n", self.ns, "link", "add", "veth0", "address", self.mac, "type", "veth",
            "peer", "name", "veth1", "netns", self.peer)
        run("ip", "-n", self.ns, "addr", "add", f"{self.address}/{self.prefix_len}", "dev",
            "veth0")
        run("ip", "-n", self.ns, "link", "set", "veth0", "up")
        run("ip", "-n", self.ns, "link", "set", "lo", "up")
        run("ip", "-n", self.peer, "link", "set", "veth1", "up")

    def start_wine(self):
        display = None
        for _ in range(5):
            candidate = self._start_xvfb()
            if self._answers(candidate):
                display = candidate
                break
            # A display number whose socket another server left behind does not answer from
            # inside the namespace; the one we hold stays taken, so the next try gets another.
        if display is None:
            raise RuntimeError("no display answers inside the namespace")
        self.env["DISPLAY"] = display
        os.makedirs(self.prefix, exist_ok=True)
        quiet(*self.in_ns, "wineserver", "-p", env=self.env)
        quiet(*self.in_ns, self.wine_run, "wineboot", "--init", env=self.env)

    def _start_xvfb(self):
        """Xvfb inside the namespace, so Wine reaches it through the namespace's own abstract
        socket; it picks a free display and tells us which."""
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen([*self.in_ns, "Xvfb", "-displayfd", str(write_fd), "-nolisten",
                                 "tcp", "-screen", "0", "1280x800x24"],
                                pass_fds=[write_fd], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.children.append(xvfb)
        os.close(write_fd)
        # Xvfb writes the number and the newline separately and dies when the second write
        # finds the pipe closed: read up to the newline (or the end, when it failed).
        answer = b""
        while not answer.endswith(b"\n"):
            chunk = os.read(read_fd, 64)
            if not chunk:
                break
            answer += chunk
        os.close(read_fd)
        number = answer.decode().strip()
        if not number:
            raise RuntimeError("Xvfb gave no display")
        return f":{number}"

    def _answers(self, display):
        for _ in range(50):
            if subprocess.run([*self.in_ns, "xdpyinfo", "-display", display], env=self.env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                return True
            time.sleep(0.1)
        return False

    def pids(self):
        out = subprocess.run(["ip", "netns", "pids", self.ns], capture_output=True,
                             text=True).stdout
        return [int(p) for p in out.split()]

    def neighbours(self):
        out = subprocess.run(["ip", "-n", self.ns, "-4", "neigh", "show", "dev", "veth0"],
                             capture_output=True, text=True, check=True).stdout
        return {line.split()[0] for line in out.splitlines() if line.strip()}

    def close(self):
        for child in reversed(self.children):
            if child.poll() is None:
                child.kill()
                child.wait()
        if os.path.isdir(self.prefix):
            quiet(*self.in_ns, "wineserver", "-k", env=self.env)
        for name in (self.ns, self.peer):
            subprocess.run(["ip", "netns", "del", name], stdin=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        shutil.rmtree(self.prefix, ignore_errors=True)
        shutil.rmtree(f"/etc/netns/{self.ns}", ignore_errors=True)
