"""A wireless SD card for the tests: a small HTTP server on 127.0.0.1 that serves a root listing,
CSV folder listings (the card type 0 format) and files, and that a test steers over HTTP:

  /ctl/add?folder=DCIM&name=01021530.JPG&size=5000&minute=3&mode=normal
  /ctl/add?folder=DCIM&name=01021531.JPG&file=/tmp/scan.jpg  serves that file's bytes
  /ctl/mode?name=01021530.JPG&mode=slow     modes: normal, slow, trickle, drop, stall, notfound
  /ctl/hits?name=01021530.JPG               how often the file was requested
  /ctl/root?mode=notfound                   the root listing answers not found (or normal)
  /ctl/stop

slow sends the file in small delayed chunks, trickle in pieces of 7 bytes with its length
announced, drop sends half of it, stalls a second and closes the connection, stall sends half and
then nothing for longer than a client waits, notfound answers the card's not-found page. The server stops by itself after its
lifetime. Standard library only.
"""

import http.server
import threading
import time
import urllib.parse

STALL_SECONDS = 14
NOT_FOUND_PAGE = b"<html><head><title>404 Not Found</title></head><body>404 Not Found</body></html>"


def file_bytes(name, size):
    """Deterministic content of a simulated scan, also computed by the test client."""
    seed = sum(name.encode("ascii"))
    return bytes(((i * 7 + seed) % 251) for i in range(size))


def fat_date(year, month, day):
    return ((year - 1980) << 9) | (month << 5) | day


def fat_time(hour, minute, second):
    return (hour << 11) | (minute << 5) | (second // 2)


class CardState:
    def __init__(self):
        self.lock = threading.Lock()
        self.folders = {"DCIM": []}  # folder -> list of file records, in listing order
        self.hits = {}
        self.root_mode = "normal"

    def add(self, folder, name, size, minute, mode, content=None):
        with self.lock:
            files = self.folders.setdefault(folder, [])
            files[:] = [f for f in files if f["name"] != name]
            if content is not None:
                size = len(content)
            files.append({"name": name, "size": size, "minute": minute, "mode": mode, "content": content})

    def find(self, name):
        for files in self.folders.values():
            for f in files:
                if f["name"] == name:
                    return f
        return None


class CardHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def reply(self, body, status=200, content_type="text/html"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.close_connection = True

    def do_GET(self):
        state = self.server.card
        url = urllib.parse.urlparse(self.path)
        query = {k: v[0] for k, v in urllib.parse.parse_qs(url.query).items()}
        parts = [p for p in url.path.split("/") if p]
        if parts[:1] == ["ctl"]:
            return self.control(parts[1] if len(parts) > 1 else "", query)
        with state.lock:
            if not parts and state.root_mode == "notfound":
                return self.reply(NOT_FOUND_PAGE, 404)
            if not parts:
                lines = [f'cardFiles.push({{"/,{folder},0,16,{fat_date(2024, 5, 1)},0"}});'
                         for folder in state.folders]
                return self.reply(("\n".join(lines) + "\n").encode())
            if len(parts) == 1 and parts[0] in state.folders:
                lines = []
                for f in state.folders[parts[0]]:
                    lines.append(f'cardFiles.push({{"/{parts[0]},{f["name"]},{f["size"]},32,'
                                 f'{fat_date(2024, 5, 1)},{fat_time(10, f["minute"], 0)}"}});')
                return self.reply(("\n".join(lines) + "\n").encode())
            record = state.find(parts[-1]) if len(parts) == 2 and parts[0] in state.folders else None
            if record is None:
                return self.reply(NOT_FOUND_PAGE, 404)
            state.hits[record["name"]] = state.hits.get(record["name"], 0) + 1
            mode = record["mode"]
            body = record["content"] if record["content"] is not None else file_bytes(record["name"], record["size"])
        if mode == "notfound":
            return self.reply(NOT_FOUND_PAGE, 404)
        self.send_response(200)
        self.send_header("Content-Type", "image/jpeg")
        if mode == "slow":
            # Small chunks with pauses: the client's reads return less than it asked for
            # long before the end.
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        if mode == "slow":
            for i in range(0, len(body), 300):
                piece = body[i:i + 300]
                self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
                self.wfile.flush()
                time.sleep(0.004)
            self.wfile.write(b"0\r\n\r\n")
        elif mode == "trickle":
            for i in range(0, len(body), 7):
                self.wfile.write(body[i:i + 7])
                self.wfile.flush()
                time.sleep(0.001)
        elif mode == "drop":
            self.wfile.write(body[:len(body) // 2])
            self.wfile.flush()
            time.sleep(1.0)  # stall, then drop the connection mid-file
        elif mode == "stall":
            self.wfile.write(body[:len(body) // 2])
            self.wfile.flush()
            time.sleep(STALL_SECONDS)  # beyond the checker's 10-second receive time-out
        else:
            self.wfile.write(body)
        self.close_connection = True

    def control(self, what, query):
        state = self.server.card
        if what == "add":
            content = None
            if "file" in query:
                with open(query["file"], "rb") as f:
                    content = f.read()
            state.add(query.get("folder", "DCIM"), query["name"], int(query.get("size", "1000")),
                      int(query.get("minute", "0")), query.get("mode", "normal"), content)
        elif what == "mode":
            with state.lock:
                record = state.find(query["name"])
                if record:
                    record["mode"] = query["mode"]
        elif what == "root":
            with state.lock:
                state.root_mode = query["mode"]
        elif what == "hits":
            with state.lock:
                return self.reply(str(state.hits.get(query["name"], 0)).encode(), content_type="text/plain")
        elif what == "stop":
            threading.Thread(target=self.server.shutdown, daemon=True).start()
        else:
            return self.reply(b"unknown control", 400)
        return self.reply(b"ok", content_type="text/plain")


class CardServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, lifetime_seconds):
        super().__init__(("127.0.0.1", 0), CardHandler)  # loopback only, any free port
        self.card = CardState()
        self.timer = threading.Timer(lifetime_seconds, self.shutdown)
        self.timer.daemon = True

    @property
    def port(self):
        return self.server_address[1]

    def start(self):
        self.timer.start()
        thread = threading.Thread(target=self.serve_forever, daemon=True)
        thread.start()
        return thread

    def stop(self):
        self.timer.cancel()
        self.shutdown()
        self.server_close()
