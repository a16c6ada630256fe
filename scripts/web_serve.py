#!/usr/bin/env python3
"""Serves the web app on 127.0.0.1 for a quick look (`make web-serve`).

    python3 scripts/web_serve.py [FOLDER] [--port N]

A phone needs the app over HTTPS (or on its own 127.0.0.1) to install it and work offline;
see the README for putting it on a real web server.
"""

import argparse
import functools
import http.server
from pathlib import Path


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".webmanifest": "application/manifest+json",
        ".js": "text/javascript",
        ".pack": "application/octet-stream",
    }

    def end_headers(self):
        # The service worker keeps the app; the browser asks again for each new build.
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder", nargs="?", default="build/web", type=Path)
    parser.add_argument("--port", type=int, default=8000)
    args = parser.parse_args()
    if not (args.folder / "index.html").is_file():
        parser.error(f"no web app in {args.folder}: run `make web` first")
    handler = functools.partial(Handler, directory=str(args.folder))
    with http.server.ThreadingHTTPServer(("127.0.0.1", args.port), handler) as server:
        print(f"Velomar: http://127.0.0.1:{args.port}/ (Ctrl+C ends)", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
