#!/usr/bin/env python3
"""The Windows programs under Wine in a network namespace of the test's own (root only).

A namespace holds veth0 (its peer end sits in a second namespace, so nothing reaches the host)
with a known MAC, address and static neighbours. A Wine prefix is booted inside it, because IP
Helper is answered by Wine's service process, which sees the namespace it started in. Then:
the IP Helper tests run there; Meshprobe.exe sweeps while this script watches the namespace's
neighbour table fill in address order; the window tests close it. The script runs in a mount
namespace of its own, with a small tmpfs that the full-disk tests fill up (Wine's server opens
the files, so it must see that volume too). Everything made is removed again, also when a step
fails; the volume goes with the namespace even when the script is killed.

usage: wine_lan_test.py BIN_DIR TESTS_DIR WINE_RUN WORK_DIR
"""

import os
import shutil
import subprocess
import sys
import time

SKIP = 77
NET = "10.78.5"
MAC = "02:00:00:00:07:0a"
NEIGHBOURS = {f"{NET}.200": "02:00:00:00:07:c8", f"{NET}.201": "02:00:00:00:07:c9"}


def run(*args, **kw):
    return subprocess.run(list(args), check=True, stdin=subprocess.DEVNULL, **kw)


def quiet(*args, env=None):
    """Starts a long-lived helper with /dev/null as every stream (wineserver, wineboot)."""
    return subprocess.run(list(args), env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)


def neighbour_addresses(ns):
    out = subprocess.run(["ip", "-n", ns, "-4", "neigh", "show", "dev", "veth0"],
                         capture_output=True, text=True, check=True).stdout
    return {line.split()[0] for line in out.splitlines() if line.strip()}


def start_xvfb(in_ns, children):
    """Starts Xvfb inside the namespace, so Wine reaches it through the namespace's own abstract
    socket; Xvfb picks a free display and tells us which."""
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen([*in_ns, "Xvfb", "-displayfd", str(write_fd), "-nolisten", "tcp"],
                            pass_fds=[write_fd], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    children.append(xvfb)
    os.close(write_fd)
    # Xvfb writes the number and the newline separately and dies when the second write finds
    # the pipe closed: read up to the newline (or the end, when it failed).
    answer = b""
    while not answer.endswith(b"\n"):
        chunk = os.read(read_fd, 64)
        if not chunk:
            break
        answer += chunk
    number = answer.decode().strip()
    os.close(read_fd)
    if not number:
        raise RuntimeError("Xvfb gave no display")
    return f":{number}"


def answers(in_ns, env, display):
    """Wine's desktop process gives up for good when its first connection fails: the display
    must answer from inside the namespace before anything of Wine starts."""
    for _ in range(50):
        if subprocess.run([*in_ns, "xdpyinfo", "-display", display], env=env,
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0:
            return True
        time.sleep(0.1)
    return False


def main():
    bin_dir, tests_dir, wine_run, work = (os.path.abspath(a) for a in sys.argv[1:5])
    if os.geteuid() != 0:
        if os.environ.get("KESTROVE_REQUIRE_ROOT") == "1":
            print("needs root and KESTROVE_REQUIRE_ROOT=1 is set")
            return 1
        print("skipped: needs root (network namespaces)")
        return SKIP
    if os.environ.get("KESTROVE_OWN_MOUNTS") != "1":
        os.execvpe("unshare", ["unshare", "--mount", "--propagation", "private", sys.executable,
                               *sys.argv], dict(os.environ, KESTROVE_OWN_MOUNTS="1"))

    tag = f"{os.getpid()}"
    ns, peer = f"kv-win-{tag}", f"kv-winp-{tag}"
    prefix = os.path.join(work, f"wine-ns-{tag}")
    disk = os.path.join(work, f"kv-disk-{tag}")
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    in_ns = ["ip", "netns", "exec", ns]
    children = []
    failures = []
    try:
        run("ip", "netns", "add", ns)
        run("ip", "netns", "add", peer)
        run("ip", "-n", ns, "link", "add", "veth0", "address", MAC, "type", "veth",
            "peer", "name", "veth1", "netns", peer)
        run("ip", "-n", ns, "addr", "add", f"{NET}.10/24", "dev", "veth0")
        run("ip", "-n", ns, "link", "set", "veth0", "up")
        run("ip", "-n", ns, "link", "set", "lo", "up")
        run("ip", "-n", peer, "link", "set", "veth1", "up")
        for ip, mac in NEIGHBOURS.items():
            run("ip", "-n", ns, "neigh", "add", ip, "lladdr", mac, "dev", "veth0", "nud",
                "permanent")

        # A window needs a display, and Wine's desktop process, started by the first program of the
        # prefix, must have it from the start. Xvfb picks a free one and tells us which.
        display = None
        for _ in range(5):
            candidate = start_xvfb(in_ns, children)
            if answers(in_ns, env, candidate):
                display = candidate
                break
            # A display number whose socket some other server left behind does not answer from
            # inside the namespace; the one we hold stays taken, so the next try gets another.
        if display is None:
            raise RuntimeError("no display answers inside the namespace")
        env["DISPLAY"] = display
        os.makedirs(prefix, exist_ok=True)
        os.makedirs(disk, exist_ok=True)
        run("mount", "-t", "tmpfs", "-o", "size=64k,mode=0700", "tmpfs", disk)
        quiet(*in_ns, "wineserver", "-p", env=env)
        quiet(*in_ns, "wineboot", "--init", env=env)

        # Wine shows the Linux root as drive Z:.
        windows_bin = "Z:" + os.path.abspath(bin_dir).replace("/", "\\")
        lan_env = dict(env, KESTROVE_BIN_DIR=windows_bin, KESTROVE_LAN_MAC=MAC.upper().replace(":", "-"),
                       KESTROVE_LAN_IP=f"{NET}.10", KESTROVE_LAN_MASK="255.255.255.0",
                       KESTROVE_LAN_NEIGHBOURS=",".join(
                           f"{ip}={mac.upper().replace(':', '-')}" for ip, mac in NEIGHBOURS.items()))
        if subprocess.run([*in_ns, wine_run, os.path.join(tests_dir, "ip_helper_lan_tests.exe")],
                          env=lan_env, stdin=subprocess.DEVNULL, timeout=300).returncode != 0:
            failures.append("IP Helper in the namespace")

        disk_env = dict(env, KESTROVE_SMALL_DISK="Z:" + disk.replace("/", "\\"))
        if subprocess.run([*in_ns, wine_run, os.path.join(tests_dir, "small_disk_tests.exe")],
                          env=disk_env, stdin=subprocess.DEVNULL, timeout=300).returncode != 0:
            failures.append("writers on a full disk")

        win_env = lan_env

        start = time.monotonic()
        sweeper = subprocess.Popen([*in_ns, wine_run, os.path.join(bin_dir, "Meshprobe.exe")],
                                   env=dict(win_env, WINEDEBUG=os.environ.get("KESTROVE_SWEEPER_WINEDEBUG", "-all")), stdin=subprocess.DEVNULL)
        children.append(sweeper)
        # .0 to .3 are probed first, in this order, about a second apart.
        wanted = [f"{NET}.{i}" for i in range(4)]
        first_seen = {}
        while len(first_seen) < len(wanted) and time.monotonic() - start < 60:
            present = neighbour_addresses(ns)
            for ip in wanted:
                if ip in present and ip not in first_seen:
                    first_seen[ip] = time.monotonic() - start
            time.sleep(0.05)
        order = sorted(first_seen, key=first_seen.get)
        print("sweep seen at:", {ip: round(t, 2) for ip, t in first_seen.items()})
        if order != wanted:
            failures.append(f"sweep order {order}")
        else:
            gaps = [first_seen[b] - first_seen[a] for a, b in zip(wanted, wanted[1:])]
            if min(gaps) < 0.5 or max(gaps) > 5:
                failures.append(f"not one address per second: gaps {gaps}")
        if sweeper.poll() is not None:
            failures.append(f"Meshprobe.exe ended by itself with {sweeper.returncode}")

        if subprocess.run([*in_ns, wine_run, os.path.join(tests_dir, "meshprobe_window_tests.exe"), *sys.argv[5:]],
                          env=win_env, stdin=subprocess.DEVNULL, timeout=300).returncode != 0:
            failures.append("Meshprobe window tests")
        try:
            sweeper.wait(timeout=30)
        except subprocess.TimeoutExpired:
            failures.append("Meshprobe.exe still runs after WM_CLOSE")
    finally:
        for child in reversed(children):
            if child.poll() is None:
                child.kill()
                child.wait()
        quiet(*in_ns, "wineserver", "-k", env=env)
        for name in (ns, peer):
            subprocess.run(["ip", "netns", "del", name], stdin=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        shutil.rmtree(prefix, ignore_errors=True)
        subprocess.run(["umount", disk], stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(disk, ignore_errors=True)

    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
