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

from wine_namespace import WineNamespace, report, run, without_root

NET = "10.78.5"
MAC = "02:00:00:00:07:0a"
NEIGHBOURS = {f"{NET}.200": "02:00:00:00:07:c8", f"{NET}.201": "02:00:00:00:07:c9"}
# The router's IPv6 link-local address and MAC, and this host's global IPv6 address.
ROUTER6, ROUTER6_MAC, IP6 = "fe80::c8", "02:00:00:00:07:c8", "2001:db8:7::10"
GATEWAY = f"{NET}.200"


def main():
    bin_dir, tests_dir, wine_run, work = (os.path.abspath(a) for a in sys.argv[1:5])
    if (code := without_root()) is not None:
        return code
    if os.environ.get("KESTROVE_OWN_MOUNTS") != "1":
        os.execvpe("unshare", ["unshare", "--mount", "--propagation", "private", sys.executable,
                               *sys.argv], dict(os.environ, KESTROVE_OWN_MOUNTS="1"))

    disk = os.path.join(work, f"kv-disk-{os.getpid()}")
    failures = []
    lan = WineNamespace("win", work, wine_run, MAC, f"{NET}.10")
    ns, env, in_ns, children = lan.ns, lan.env, lan.in_ns, lan.children
    try:
        lan.create()
        for ip, mac in NEIGHBOURS.items():
            run("ip", "-n", ns, "neigh", "add", ip, "lladdr", mac, "dev", "veth0", "nud",
                "permanent")
        run("ip", "-n", ns, "-6", "addr", "add", f"{IP6}/64", "dev", "veth0", "nodad")
        run("ip", "-n", ns, "-6", "neigh", "add", ROUTER6, "lladdr", ROUTER6_MAC, "dev", "veth0",
            "nud", "permanent")
        run("ip", "-n", ns, "-6", "route", "add", "default", "via", ROUTER6, "dev", "veth0")
        run("ip", "-n", ns, "route", "add", "default", "via", GATEWAY, "dev", "veth0")
        # Wine's server opens the files, so it must see the small volume: mounted before it
        # starts.
        os.makedirs(disk, exist_ok=True)
        run("mount", "-t", "tmpfs", "-o", "size=64k,mode=0700", "tmpfs", disk)
        lan.start_wine()

        # Wine shows the Linux root as drive Z:.
        windows_bin = "Z:" + os.path.abspath(bin_dir).replace("/", "\\")
        lan_env = dict(env, KESTROVE_BIN_DIR=windows_bin, KESTROVE_LAN_MAC=MAC.upper().replace(":", "-"),
                       KESTROVE_LAN_IP=f"{NET}.10", KESTROVE_LAN_MASK="255.255.255.0",
                       KESTROVE_LAN_IP6=IP6, KESTROVE_LAN_GATEWAY=GATEWAY,
                       KESTROVE_LAN_NEIGHBOUR6=f"{ROUTER6}={ROUTER6_MAC.upper().replace(':', '-')}",
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
            present = lan.neighbours()
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
        lan.close()
        subprocess.run(["umount", disk], stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(disk, ignore_errors=True)

    return report(failures)


if __name__ == "__main__":
    sys.exit(main())
