"""Runs the wireless SD checker end to end under Wine: a simulated card on 127.0.0.1 and a client
program that starts the checker, registers with it and checks what it delivers. The client is a
test, or the wireless road demonstration (--lumbrel names the ZTLumbrel.exe it installs)."""

import argparse
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from card_simulator import CardServer  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--wine-run", required=True)
    ap.add_argument("--client", required=True)
    ap.add_argument("--checker", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--timeout", type=int, default=100)
    ap.add_argument("--lumbrel", help="ZTLumbrel.exe in its build folder, passed as ZT_LUMBREL_EXE")
    ap.add_argument("--two-screens", action="store_true", help="run the client with two displays side by side")
    args = ap.parse_args()
    args.work = os.path.abspath(args.work)  # Wine sees it as Z:\<absolute path>

    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(os.path.join(args.work, "dest"))
    checker = os.path.join(args.work, "ZTChkSDWiFi.exe")
    shutil.copy(args.checker, checker)

    server = CardServer(lifetime_seconds=args.timeout + 10)
    server.start()
    try:
        base = f"http://127.0.0.1:{server.port}/"
        with open(os.path.join(args.work, "sdwifi.ini"), "w", newline="\r\n") as ini:
            ini.write("[SD_WiFi]\nSD_TYPE=0\n"
                      f"FOLDER_URL={base}\nFILE_URL={base}\n"
                      "STR_AFTER_TIMESTAMP=\\\"\nZT_EXT_00=.JPG\nZT_FOLDERLIST_00=DCIM\n")
        # A file already on the card before the checker starts.
        server.card.add("DCIM", "05011000.JPG", 3000, 0, "normal")
        # The card is not ready until the test client has registered: every poll until then is
        # a first pass.
        server.card.root_mode = "notfound"
        env = {k: v for k, v in os.environ.items() if not k.lower().endswith("_proxy")}
        env["ZT_CARD_URL"] = base
        env["ZT_CHECKER_EXE"] = "Z:" + checker.replace("/", "\\")
        env["ZT_DEST_FOLDER"] = "Z:" + os.path.join(args.work, "dest").replace("/", "\\") + "\\"
        if args.lumbrel:
            env["ZT_LUMBREL_EXE"] = "Z:" + os.path.abspath(args.lumbrel).replace("/", "\\")
        screens = "--two-screens" if args.two_screens else "--plain"
        result = subprocess.run([args.wine_run, screens, "--timeout", str(args.timeout), args.client], env=env)
        return result.returncode
    finally:
        server.stop()


if __name__ == "__main__":
    sys.exit(main())
