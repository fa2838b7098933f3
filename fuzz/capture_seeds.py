#!/usr/bin/env python3
"""Captures seed inputs for the session fuzzers from real exchanges: runs
velkor through a recording proxy against unitsim on 127.0.0.1 for every
action and writes what each side sent.  Run from the top folder after a
build:  python3 fuzz/capture_seeds.py build"""
import os, socket, subprocess, sys, tempfile, threading, time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
velkor = os.path.join(build, "utility", "velkor")
unitsim = os.path.join(build, "unitsim", "unitsim")
here = os.path.dirname(os.path.abspath(__file__))

# (index in the client fuzzer's action table, velkor options)
ACTIONS = [
    (0, ["-reboot"]), (1, ["-d", "{file}"]), (2, ["-dscr", "fw", "{file}"]),
    (3, ["-u", "{file}"]), (4, ["-uscr", "nat", "{file}"]), (5, ["-dpage", "login", "{file}"]),
    (6, ["-upage", "status", "{file}"]), (7, ["-ci", "wlan0"]), (8, ["-ai", "wlan0"]),
    (9, ["-list_ppp"]), (10, ["-list_hot"]), (13, ["-dis_ppp", "alice"]),
    (14, ["-dis_hot_user", "bob"]), (15, ["-dis_hot_ip", "10.5.50.2"]), (16, ["-sysinfo"]),
    (17, ["-kernlog"]), (18, ["-support", "{file}"]), (19, ["-f", "{file}", "-a"]),
]

def main():
    work = tempfile.mkdtemp(prefix="seeds-")
    text = open(os.path.join(here, "..", "unitsim", "examples", "demo.toml")).read()
    text = text.replace("flash_step_ms = 150", "flash_step_ms = 0").replace("flash_steps = 10", "flash_steps = 2")
    desc = os.path.join(work, "unit.toml")
    open(desc, "w").write(text)
    ready = os.path.join(work, "ready")
    server = subprocess.Popen([unitsim, "--bind", "127.0.0.1", "--port", "0", "--ready-file", ready,
                               "--state", os.path.join(work, "state"), "--log", os.path.join(work, "log"), desc])
    try:
        for _ in range(100):
            if os.path.exists(ready) and open(ready).read().strip():
                break
            time.sleep(0.05)
        port = int(open(ready).read().split()[1])
        for index, options in ACTIONS:
            to_client, to_server = record(port, index, options, work)
            name = options[0].lstrip("-")
            open(os.path.join(here, "corpus", "client_session", name), "wb").write(bytes([index]) + to_client)
            # The unit fuzzer logs in itself for an even first byte.
            open(os.path.join(here, "corpus", "unit_session", name), "wb").write(b"\x00" + to_server[34:])
    finally:
        server.terminate()
        server.wait()

def record(port, index, options, work):
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    got = {"c": b"", "s": b""}
    def relay():
        client, _ = listener.accept()
        upstream = socket.create_connection(("127.0.0.1", port))
        def pump(a, b, key):
            while True:
                data = a.recv(65536)
                if not data:
                    break
                got[key] += data
                b.sendall(data)
            try:
                b.shutdown(socket.SHUT_WR)
            except OSError:
                pass
        t = threading.Thread(target=pump, args=(upstream, client, "c"))
        t.start()
        pump(client, upstream, "s")
        t.join()
    t = threading.Thread(target=relay)
    t.start()
    path = os.path.join(work, "file")
    with open(path, "w") as f:
        f.write("a file to upload\nsecond line\n" * 20)
    args = [velkor, "127.0.0.1", "BlueOx", "-p", str(listener.getsockname()[1])]
    args += [path if o == "{file}" else o for o in options]
    subprocess.run(args, stdout=subprocess.DEVNULL, timeout=30)
    t.join()
    return got["c"], got["s"]

main()
