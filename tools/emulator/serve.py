#!/usr/bin/env python3
"""Stand-in for the service: FQL over SQLite, Graph writes, sign-in pages,
downloads and pictures, all on one local port.

    python3 tools/emulator/serve.py --port PORT --scenario FILE.json [--request-log FILE]
"""

import argparse
import json
import os
import signal
import sys
import threading

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from store import Store, StoreError  # noqa: E402
from web import Emulator, make_server  # noqa: E402

PICTURES = os.path.join(HERE, "pictures")


def read_scenario(path):
    with open(path, "r", encoding="utf-8") as f:
        scenario = json.load(f)
    if isinstance(scenario, dict):
        scenario["_dir"] = os.path.dirname(os.path.abspath(path))
    return scenario


def main(argv=None):
    parser = argparse.ArgumentParser(description="Service emulator for Orv")
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--scenario", help="scenario JSON file (default: empty)")
    parser.add_argument("--request-log", help="append each request as a JSON line")
    parser.add_argument("--verbose", action="store_true", help="print requests to stderr")
    args = parser.parse_args(argv)

    store = Store(PICTURES)
    if args.scenario:
        try:
            store.load(read_scenario(args.scenario))
        except (OSError, ValueError, StoreError) as e:
            print("cannot load scenario %s: %s" % (args.scenario, e), file=sys.stderr)
            return 2
    emulator = Emulator(store, args.request_log)
    try:
        server = make_server(emulator, args.port, args.verbose)
    except OSError as e:
        print("cannot listen on port %d: %s" % (args.port, e), file=sys.stderr)
        return 2

    def stop(_signum, _frame):
        # shutdown() waits for serve_forever, so it must run on another thread
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    print("listening on %s" % store.base, flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
        emulator.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
