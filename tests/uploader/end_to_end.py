#!/usr/bin/env python3
"""End-to-end runs of the upload tool built for 127.0.0.1 under Wine.

An HTTP server of this script, on 127.0.0.1 and the test port, takes the
form; the Windows driver program starts the tool, answers its message boxes
and reports what it saw. The request is checked byte for byte and also read
back by the standard library's own multipart parser.
"""
import argparse
import email
import email.policy
import http.server
import os
import shutil
import subprocess
import sys
import threading
import time
import unittest
import uuid

ARGS = None
CAPTION = "Mirovan Uploader 0.0.1"
BOUNDARY = b"-" * 27 + b"47972514120"
CONTENT_TYPE = "multipart/form-data; boundary=" + BOUNDARY.decode()


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def pattern(size):
    """Bytes that are not all alike, so that a shifted or partial body shows."""
    block = bytes((i * 131 + (i >> 8) * 7) & 0xFF for i in range(65536))
    return (block * (size // len(block) + 1))[:size]


class Received:
    def __init__(self, handler, body):
        self.request_line = handler.requestline
        self.headers = list(handler.headers.items())
        self.body = body

    def header(self, name):
        values = [v for k, v in self.headers if k.lower() == name.lower()]
        return values[0] if len(values) == 1 else values


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        server = self.server
        server.requests.append(Received(self, body))
        if server.answer == "hold":
            # Never answers; the tool has to give up on its worker.
            open(server.holding, "w").close()
            server.release.wait(40)
            self.close_connection = True
            return
        if server.answer == "plain":
            self.send_response(200)
            page = b"<html>thanks</html>"
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)
            return
        self.send_response(302)
        self.send_header("Location", server.answer)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, port):
        try:
            super().__init__(("127.0.0.1", port), Handler)
        except OSError as error:
            raise SystemExit(f"test port 127.0.0.1:{port} is taken ({error}); "
                             "configure another MIROVAN_TEST_PORT") from error
        self.requests = []
        self.answer = ""
        self.release = threading.Event()
        self.holding = ""


class Run:
    def __init__(self, output):
        self.lines = output.splitlines()
        self.messages = [l[len("MESSAGE "):].split("|", 2) for l in self.lines
                         if l.startswith("MESSAGE ")]
        self.windows = [l[len("WINDOW "):] for l in self.lines if l.startswith("WINDOW ")]
        self.statuses = [l[len("STATUS "):] for l in self.lines if l.startswith("STATUS ")]
        ends = [l for l in self.lines if l.startswith("EXIT ") or l == "TIMEOUT"]
        self.exit = int(ends[-1][5:]) if ends and ends[-1] != "TIMEOUT" else None
        waits = [int(l.split()[1]) for l in self.lines if l.startswith("CANCEL_TO_EXIT_MS ")]
        self.cancel_to_exit_ms = waits[0] if waits else None


class UploadToolTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server(ARGS.port)
        cls.thread = threading.Thread(target=cls.server.serve_forever, daemon=True)
        cls.thread.start()
        cls.files = os.path.join(ARGS.work, "My Files")
        os.makedirs(cls.files, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        cls.server.release.set()
        cls.server.shutdown()
        cls.server.server_close()
        shutil.rmtree(cls.files, ignore_errors=True)

    def setUp(self):
        self.server.requests.clear()
        self.server.answer = ""

    def make_file(self, name, size):
        path = os.path.join(self.files, name)
        with open(path, "wb") as f:
            f.write(pattern(size))
        return path

    def run_tool(self, action, argument=None):
        command = [ARGS.wine_run, ARGS.driver, action, windows_path(ARGS.program)]
        if argument is not None:
            command.append(argument)
        env = dict(os.environ, KESTRO_WINEPREFIX=ARGS.prefix)
        done = subprocess.run(command, env=env, capture_output=True, timeout=120)
        output = done.stdout.decode("utf-8", "replace")
        run = Run(output)
        self.assertIsNotNone(run.exit, output)
        return run

    def assert_refused(self, argument, message, status):
        run = self.run_tool("wait", argument)
        self.assertEqual(run.messages, [[CAPTION, "1", message]], run.lines)
        self.assertEqual(run.exit, status)
        self.assertEqual(run.windows, [])
        self.assertEqual(self.server.requests, [])

    def wait_for_opened(self, url):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if os.path.exists(ARGS.opened) and url in open(ARGS.opened).read().splitlines():
                return True
            time.sleep(0.1)
        return False

    def test_missing_argument(self):
        self.assert_refused(None, "Error! File not specified!", 1)

    def test_files_that_cannot_be_opened(self):
        self.make_file("one.exe", 10)
        cases = [
            # Two quoted paths: the quotes go, the joined text names no file.
            (f'"{windows_path(self.files)}\\one.exe" "two.exe"',
             "Error! File was not found, or more then one file selected!"),
            (windows_path(self.files) + "\\no such folder\\app.exe", "Error! Couldn't open file!"),
            (windows_path(self.files), "Error! Access to the specified file was denied!"),
        ]
        for argument, message in cases:
            with self.subTest(argument=argument):
                self.assert_refused(argument, message, 2)

    def test_files_too_large(self):
        limit = self.make_file("limit.exe", 10_240_000)
        # Beyond 4 GiB the low 32 bits of the size are 1; still refused.
        huge = os.path.join(self.files, "huge.exe")
        with open(huge, "wb") as f:
            f.truncate(4 * 1024 ** 3 + 1)
        for path in (limit, huge):
            with self.subTest(path=path):
                self.assert_refused(windows_path(path),
                                    "File to large! File should be smaller then 10 megabytes!", 3)
        os.remove(huge)

    def test_largest_file_is_sent_and_the_result_page_opened(self):
        path = self.make_file("largest file.exe", 10_239_999)
        url = f"http://127.0.0.1:{ARGS.port}/result/{uuid.uuid4().hex}"
        self.server.answer = url
        run = self.run_tool("wait", windows_path(path))  # blanks, no quotes
        self.assertEqual(run.messages, [], run.lines)
        self.assertEqual(run.windows, ["Mirovan Uploader"])
        self.assertEqual(run.statuses[0], "Uploading file largest file.exe...")
        self.assertEqual(run.exit, 0)
        self.assertEqual(len(self.server.requests), 1)
        request = self.server.requests[0]
        self.assertEqual(request.request_line, "POST /mv/en/recepcionf HTTP/1.1")
        self.assertEqual(request.header("Content-Type"), CONTENT_TYPE)
        self.assertEqual(request.header("User-Agent"), CAPTION)
        self.assertEqual(request.header("Host"), f"127.0.0.1:{ARGS.port}")
        expected = (b"--" + BOUNDARY + b"\r\n"
                    b'Content-Disposition: form-data; name="archivo"; filename="largest file.exe"\r\n'
                    b"Content-Type: application/x-msdownload\r\n\r\n" + pattern(10_239_999) +
                    b"\r\n--" + BOUNDARY + b"\r\n"
                    b'Content-Disposition: form-data; name="distribuir"\r\n\r\n'
                    b"1\r\n--" + BOUNDARY + b"--\r\n")
        self.assertEqual(request.header("Content-Length"), str(len(expected)))
        self.assertTrue(request.body == expected, "the body differs from the expected form")
        self.assert_form(request, "largest file.exe", pattern(10_239_999))
        self.assertTrue(self.wait_for_opened(url), "the result page was not opened")

    def assert_form(self, request, file_name, content):
        """Reads the form with the standard library's MIME parser."""
        message = email.message_from_bytes(
            b"Content-Type: " + request.header("Content-Type").encode() + b"\r\n\r\n" + request.body,
            policy=email.policy.HTTP)
        self.assertTrue(message.is_multipart())
        self.assertEqual(message.defects, [])
        parts = message.get_payload()
        self.assertEqual([p.get_param("name", header="content-disposition") for p in parts],
                         ["archivo", "distribuir"])
        archivo, distribuir = parts
        self.assertEqual(archivo.get_filename(), file_name)
        self.assertEqual(archivo.get_content_type(), "application/x-msdownload")
        self.assertTrue(archivo.get_payload(decode=True) == content, "file part differs")
        self.assertEqual(distribuir.get_payload(decode=True), b"1")

    def test_answer_without_location_is_reported(self):
        path = self.make_file("small.exe", 3)
        self.server.answer = "plain"
        run = self.run_tool("close-on-message", '"' + windows_path(path) + '"')
        self.assertEqual(run.messages, [[CAPTION, "1", "Error! Invalid response!"]], run.lines)
        self.assertEqual(run.statuses[-1], "Upload finished! Waiting for server response...")
        self.assertEqual(run.exit, 0)
        self.assertEqual(len(self.server.requests), 1)
        self.assert_form(self.server.requests[0], "small.exe", pattern(3))

    def test_worker_stuck_waiting_for_the_answer_is_ended(self):
        path = self.make_file("stuck.exe", 5000)
        self.server.answer = "hold"
        self.server.holding = os.path.join(ARGS.work, "holding")
        if os.path.exists(self.server.holding):
            os.remove(self.server.holding)
        # Cancel while the worker waits in the call that ends the request.
        run = self.run_tool("cancel-when:" + windows_path(self.server.holding), windows_path(path))
        self.assertEqual(run.messages, [], run.lines)
        self.assertEqual(run.statuses, ["Uploading file stuck.exe..."])
        self.assertEqual(run.exit, 0)
        # The worker never returns by itself; the tool waits its 10 seconds.
        print(f"cancel to exit: {run.cancel_to_exit_ms} ms", file=sys.stderr)
        self.assertGreaterEqual(run.cancel_to_exit_ms, 9_000)
        self.assertLess(run.cancel_to_exit_ms, 30_000)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("wine_run", "driver", "program", "prefix", "work", "opened"):
        parser.add_argument("--" + name.replace("_", "-"), dest=name, required=True)
    parser.add_argument("--port", type=int, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
