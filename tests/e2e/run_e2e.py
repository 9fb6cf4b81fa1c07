"""Runs the wireless SD checker end to end under Wine: a simulated card on 127.0.0.1 and a client
program that starts the checker, registers with it and checks what it delivers. The client is a
test, or the wireless road demonstration (--lumbrel names the ZTLumbrel.exe it installs)."""

import argparse
import glob
import os
import re
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
    ap.add_argument("--handout", metavar="ARTIFACTS",
                    help="afterwards, check the lesson's handout in the work area's saves folder and "
                         "render its first page into ARTIFACTS")
    ap.add_argument("--handout-pages", type=int, default=3, help="the pages the handout must have")
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
        if result.returncode == 0 and args.handout:
            return check_handout(os.path.join(args.work, "saves"), args.handout, args.handout_pages)
        return result.returncode
    finally:
        server.stop()


def check_handout(saves, artifacts, expected):
    """One handout holds the expected pages, one JPEG image each (the overlays saved while it was
    collected), as poppler's tools read it; its first page is kept as a picture."""
    handouts = sorted(glob.glob(os.path.join(saves, "Lesson_*.pdf")))
    overlays = [f for f in os.listdir(saves) if re.search(r"_Overlaid(_\d{3})?\.", f)]
    if len(handouts) != 1 or len(overlays) < expected:
        print(f"handout check: {len(handouts)} handouts for {len(overlays)} overlays in {saves}")
        return 1
    info = subprocess.run(["pdfinfo", handouts[0]], capture_output=True, text=True)
    pages = re.search(r"^Pages:\s+(\d+)", info.stdout, re.M)
    title = re.search(r"^Title:\s+(.*)$", info.stdout, re.M)
    images = subprocess.run(["pdfimages", "-list", handouts[0]], capture_output=True, text=True)
    encodings = [line.split()[8] for line in images.stdout.splitlines()[2:] if line.strip()]
    print(f"handout check: {os.path.basename(handouts[0])}, pages {pages and pages.group(1)}, "
          f"title {title and title.group(1)!r}, images {encodings}, overlays {len(overlays)}")
    ok = (info.returncode == 0 and pages and int(pages.group(1)) == expected
          and encodings == ["jpeg"] * expected and title and title.group(1).startswith("Lesson "))
    os.makedirs(artifacts, exist_ok=True)
    subprocess.run(["pdftoppm", "-png", "-r", "40", "-f", "1", "-l", "1", "-singlefile", handouts[0],
                    os.path.join(artifacts, "handout_page1")])
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
