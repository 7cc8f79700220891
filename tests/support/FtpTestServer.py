#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""FTP server for the update tests, on 127.0.0.1 only.

Serves ROOT to the download account (vncust / kalvorDRN) and writes the port
it listens on to PORT_FILE.  --mode picks how it behaves:

  normal   a sound server
  short    sends only the first half of every file it lists in full
  junk     puts lines no listing parser should take around each listing
  slow     sends files at about 256 KiB/s (for cancelling a download)
  crawl    sends files at about 200 bytes/s, in small pieces (a transfer
           far below any sound rate that never stalls)
  long     sends every file twice over: more bytes than it lists
  silent   accepts connections and never says a word

The server stops by itself after --lifetime seconds, so a test that dies
leaves nothing running for long.
"""
import argparse
import io
import logging
import os
import socket
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

USER = "vncust"
PASSWORD = "kalvorDRN"


class HalfFile(io.BytesIO):
    """The first half of a file: the transfer ends early, but cleanly."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        super().__init__(data[: len(data) // 2])
        self.name = path


class ShortFS(AbstractedFS):
    def open(self, filename, mode):
        if "r" in mode and "w" not in mode and "a" not in mode:
            return HalfFile(filename)
        return super().open(filename, mode)


class DoubleFile(io.BytesIO):
    """A file sent twice over: the transfer brings more than the listing said."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        super().__init__(data + data)
        self.name = path


class LongFS(AbstractedFS):
    def open(self, filename, mode):
        if "r" in mode and "w" not in mode and "a" not in mode:
            return DoubleFile(filename)
        return super().open(filename, mode)


JUNK_LINES = [
    b"total 42\r\n",
    b"this line is no listing entry at all\r\n",
    b"drwxr-xr-x   2 owner group      4096 Jan 01 12:00 Setup_V_9_0_0_0.exe\r\n",
    b"lrwxrwxrwx   1 owner group        20 Jan 01 12:00 Setup_V_9_1_0_0.exe -> elsewhere\r\n",
    b"-rw-r--r--   1 owner group       abc Jan 01 12:00 Setup_V_9_2_0_0.exe\r\n",
    b"-rw-r--r--   1 owner group 99999999999999999999 Jan 01 12:00 Setup_V_9_3_0_0.exe\r\n",
    b"-rw-r--r--   1 owner group       100 Jan 01 12:00 " + b"x" * 300 + b"_V_9_4_0_0.exe\r\n",
    b"-rw-r--r--   1 owner group       100 Jan 01 12:00 bad\xff\xfe_V_9_5_0_0.exe\r\n",
    b"-rw-r--r--   1 owner group       100 Jan 01 12:00 ../Setup_V_9_6_0_0.exe\r\n",
    b"-rw-r--r--   1 owner group       100 Jan 01 12:00 \r\n",
    b"\r\n",
    b"-rw-r--r--\r\n",
    b"01-01-20  12:00PM       <DIR>          Setup_V_9_7_0_0.exe\r\n",
]


class JunkFS(AbstractedFS):
    def format_list(self, basedir, listing, ignore_err=True):
        yield from JUNK_LINES[:6]
        yield from super().format_list(basedir, listing, ignore_err)
        yield from JUNK_LINES[6:]


class SlowDTP(ThrottledDTPHandler):
    read_limit = 256 * 1024
    write_limit = 256 * 1024


class CrawlDTP(ThrottledDTPHandler):
    read_limit = 200
    write_limit = 200
    ac_out_buffer_size = 50


def serve_silent(port_file, lifetime):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    write_port(port_file, listener.getsockname()[1])
    held = []
    listener.settimeout(0.2)
    end = time.monotonic() + lifetime
    while time.monotonic() < end:
        try:
            conn, _ = listener.accept()
            held.append(conn)
        except socket.timeout:
            pass


def write_port(port_file, port):
    tmp = port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % port)
    os.rename(tmp, port_file)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--mode", default="normal", choices=["normal", "short", "junk", "slow", "crawl", "long", "silent"])
    parser.add_argument("--lifetime", type=float, default=300.0)
    args = parser.parse_args()
    logging.basicConfig(level=logging.WARNING)

    if args.mode == "silent":
        serve_silent(args.port_file, args.lifetime)
        return

    authorizer = DummyAuthorizer()
    authorizer.add_user(USER, PASSWORD, os.path.abspath(args.root), perm="elr")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0.1
    if args.mode == "short":
        Handler.abstracted_fs = ShortFS
    elif args.mode == "junk":
        Handler.abstracted_fs = JunkFS
    elif args.mode == "slow":
        Handler.dtp_handler = SlowDTP
    elif args.mode == "crawl":
        Handler.dtp_handler = CrawlDTP
    elif args.mode == "long":
        Handler.abstracted_fs = LongFS

    server = FTPServer(("127.0.0.1", 0), Handler)
    write_port(args.port_file, server.socket.getsockname()[1])
    server.ioloop.call_later(args.lifetime, server.close_all)
    server.serve_forever(timeout=0.5, blocking=True, handle_exit=True)


if __name__ == "__main__":
    main()
