#!/usr/bin/env python3
"""What the user feels, through the real host, beside an anchor in the same run.

Drives `pellora --timestamps --script` against a tessaron-server of its own
and times the steps from the host's stamps (the monotonic clock, the same in
every process); each anchor runs in turn with it, A B A B, and the medians and
their ratio are printed. Never pass/fail; run under xvfb-run:

  xvfb-run -a bench/host_bench.py --build build/default \\
      --anchor build/bench/bench/bare_webkit_anchor [--rows key,save,start] [--runs 3]

Rows:
  key    one "x" typed in the visual view until the host's step returns
         (the page handled it, the editor and the host followed), per key;
         anchor: a bare editable WebKit view, keys sent the same way
  save   the Save step after one typed key; anchor: curl posting the same
         form (the body the server stored) to the same server
  start  host start to the visual view's document complete; anchor: a bare
         WebKit window loading the item's address from the same server
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.parse

TOKEN = "T0k"
ITEM = "Big"
STAMP = re.compile(r"^\[(\d+\.\d+)\] (>|<)(?: (.*))?$")


def sample_body(size):
    """Paragraphs with some formatting and a link, as bench_text.h makes them."""
    parts, length, i = [], 0, 0
    while length < size:
        p = ('<p>Paragraph %d with <b>some</b> text, <i>formatting</i> and a '
             '<a href="x.html">link</a>.</p>\n' % i)
        parts.append(p)
        length += len(p)
        i += 1
    return "".join(parts)


def now_ms():
    return time.monotonic() * 1000.0


class Server:
    def __init__(self, program, root):
        self.proc = subprocess.Popen(
            [program, "--root", root, "--token", TOKEN, "--base", "/t", "--port", "0"],
            stdout=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline()
        self.base = re.search(r"(http://\S+)", line).group(1)

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


class Bench:
    def __init__(self, args):
        self.args = args
        self.root = tempfile.mkdtemp(prefix="host-bench-")
        os.makedirs(os.path.join(self.root, "contents"))
        self.server = Server(os.path.join(args.build, "tessaron-server"), self.root)

    def close(self):
        self.server.stop()
        shutil.rmtree(self.root, ignore_errors=True)

    def item_path(self):
        return os.path.join(self.root, "contents", ITEM + ".html")

    def put_item(self, body):
        with open(self.item_path(), "w", encoding="cp1252") as f:
            f.write(body)

    def host(self, script_lines):
        """Runs the host over the item; returns its stamped lines and its start."""
        home = tempfile.mkdtemp(prefix="host-bench-home-")
        env = dict(os.environ, HOME=home, PELLORA_REGISTRY_DIR=home,
                   XDG_STATE_HOME=os.path.join(home, "state"),
                   XDG_CONFIG_HOME=os.path.join(home, "config"),
                   WEBKIT_DISABLE_COMPOSITING_MODE="1",
                   WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS="1")
        script = os.path.join(home, "script")
        with open(script, "w") as f:
            f.write("\n".join(["# bench"] + script_lines) + "\n")
        start = now_ms()
        out = subprocess.run(
            [os.path.join(self.args.build, "pellora"), "--timestamps", "--url", self.server.base,
             "--content", ITEM, "--auth", TOKEN, "--script", script],
            env=env, capture_output=True, text=True, timeout=600).stdout
        shutil.rmtree(home, ignore_errors=True)
        if "failed" in out:
            sys.exit("the host failed a step:\n" + out)
        return [m.groups() for m in map(STAMP.match, out.splitlines()) if m], start

    @staticmethod
    def durations(stamps, verb):
        """The milliseconds of each step starting with `verb`."""
        found, begun = [], None
        for time_text, mark, line in stamps:
            if mark == ">":
                begun = float(time_text) if line and line.startswith(verb) else None
            elif begun is not None:
                found.append(float(time_text) - begun)
                begun = None
        return found

    def anchor(self, *args):
        return subprocess.run([self.args.anchor, *args], capture_output=True, text=True,
                              timeout=600).stdout.split()

    # --- rows ---------------------------------------------------------------

    def key(self, size):
        body = sample_body(size)
        self.put_item(body)
        keys = self.args.keys if size < 2_000_000 else max(3, self.args.keys // 3)
        with tempfile.NamedTemporaryFile("w", suffix=".html", delete=False) as f:
            f.write(body)
            page = f.name
        pellora, bare = [], []
        for _ in range(self.args.runs):
            stamps, _ = self.host(["caret Paragraph end"] + ["type x"] * keys)
            pellora += self.durations(stamps, "type")
            bare += [float(x) for x in self.anchor("type", page, str(keys))]
        os.unlink(page)
        return bare, pellora

    def save(self, size):
        body = sample_body(size)
        pellora, bare = [], []
        for _ in range(self.args.runs):
            self.put_item(body)
            stamps, _ = self.host(["caret Paragraph end", "type x", "Save"])
            pellora += self.durations(stamps, "Save")
            with open(self.item_path(), "rb") as f:
                stored = f.read()
            form = ("content=" + ITEM + "&htmlsource=" + urllib.parse.quote_plus(stored) +
                    "&auth=" + TOKEN + "&edtype=ax").encode()
            with tempfile.NamedTemporaryFile(delete=False) as f:
                f.write(form)
                posted = f.name
            start = now_ms()
            subprocess.run(["curl", "-s", "-o", "/dev/null", "-H",
                            "Content-Type: application/x-www-form-urlencoded",
                            "--data-binary", "@" + posted, self.server.base + "/edit.php"],
                           check=True)
            bare.append(now_ms() - start)
            os.unlink(posted)
        return bare, pellora

    def start(self, size):
        self.put_item(sample_body(size))
        pellora, bare = [], []
        address = self.server.base + "/contents/" + ITEM + ".html"
        for _ in range(self.args.runs):
            stamps, began = self.host([])
            ends = [float(t) for t, mark, _ in stamps if mark == "<"]
            pellora.append(ends[-1] - began)  # the start steps end with `wait`
            began = now_ms()
            bare.append(float(self.anchor("show", address)[0]) - began)
        return bare, pellora


SIZES = {"key": [10_000, 100_000, 1_000_000, 4_000_000],
         "save": [100_000, 1_000_000, 10_000_000],
         "start": [10_000, 1_000_000]}
ANCHORS = {"key": "bare WebKit", "save": "curl", "start": "bare WebKit window"}


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True, help="the build folder with pellora")
    parser.add_argument("--anchor", required=True, help="bare_webkit_anchor")
    parser.add_argument("--rows", default="key,save,start")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--keys", type=int, default=12)
    parser.add_argument("--sizes", help="bytes, comma-separated, instead of the row's own")
    args = parser.parse_args()
    bench = Bench(args)
    try:
        print("%-6s %10s %20s %12s %12s %7s" % ("row", "bytes", "anchor", "anchor ms",
                                              "pellora ms", "ratio"))
        for row in args.rows.split(","):
            sizes = [int(s) for s in args.sizes.split(",")] if args.sizes else SIZES[row]
            for size in sizes:
                bare, pellora = getattr(bench, row)(size)
                a, p = statistics.median(bare), statistics.median(pellora)
                print("%-6s %10d %20s %12.1f %12.1f %7.2f" % (row, size, ANCHORS[row], a, p,
                                                              p / a), flush=True)
    finally:
        bench.close()


if __name__ == "__main__":
    main()
