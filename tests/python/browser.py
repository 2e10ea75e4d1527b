"""Headless Chromium (Debian's `chromium`) driven through the DevTools protocol on a pipe: JSON
commands ended by NUL on its fd 3, answers and events back on its fd 4; no port, no driver.
Requests other than file:, data: and blob: ones are refused and kept in `Browser.remote`."""

import base64
import fcntl
import json
import os
import select
import shutil
import subprocess
import tempfile
import time

CHROMIUM = shutil.which("chromium")
LOCAL = ("file:", "data:", "blob:", "about:")


class Browser:
    def __init__(self, width=1400, height=900, timeout=180.0):
        self.timeout, self.remote, self._events, self._next_id, self._buffer = timeout, [], [], 0, b""
        self._profile = tempfile.TemporaryDirectory()
        to_browser, self._to_browser = os.pipe()
        self._from_browser, from_browser = os.pipe()
        # bash moves the pipes to fds 3 and 4 from copies at 10 or above, which it cannot overwrite.
        ends = [fcntl.fcntl(fd, fcntl.F_DUPFD_CLOEXEC, 10) for fd in (to_browser, from_browser)]
        # Without the sanitizer runtimes that the sanitized test runs preload.
        env = {name: value for name, value in os.environ.items() if name not in ("LD_PRELOAD", "ASAN_OPTIONS")}
        self._process = subprocess.Popen(
            ["bash", "-c", f'exec "$0" "$@" 3<&{ends[0]} 4>&{ends[1]}', CHROMIUM or "chromium", "--headless",
             "--remote-debugging-pipe", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--proxy-server=127.0.0.1:9", f"--user-data-dir={self._profile.name}", "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=ends, env=env)
        for fd in (to_browser, from_browser, *ends):
            os.close(fd)
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self._session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        self.call("Page.enable", session=True)
        self.call("Fetch.enable", session=True)
        self.call("Emulation.setDeviceMetricsOverride", session=True, width=width, height=height,
                  deviceScaleFactor=1, mobile=False)

    def _send(self, method, session, **params):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = self._session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        return self._next_id

    def _next(self, deadline):
        """The next answer or event; requests are let through or refused on the way."""
        while True:
            while b"\0" not in self._buffer:
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([self._from_browser], [], [], left)[0]:
                    raise TimeoutError("no answer from chromium")
                chunk = os.read(self._from_browser, 1 << 20)
                if not chunk:
                    raise RuntimeError("chromium closed its pipe")
                self._buffer += chunk
            text, self._buffer = self._buffer.split(b"\0", 1)
            message = json.loads(text)
            if message.get("method") != "Fetch.requestPaused":
                return message
            request, url = message["params"]["requestId"], message["params"]["request"]["url"]
            if url.startswith(LOCAL):
                self._send("Fetch.continueRequest", True, requestId=request)
            else:
                self.remote.append(url)
                self._send("Fetch.failRequest", True, requestId=request, errorReason="BlockedByClient")

    def call(self, method, session=False, **params):
        number, deadline = self._send(method, session, **params), time.monotonic() + self.timeout
        while (message := self._next(deadline)).get("id") != number:
            self._events.append(message)
        if "error" in message:
            raise RuntimeError(f"{method}: {message['error']}")
        return message["result"]

    def open(self, url):
        self._events.clear()
        self.call("Page.navigate", session=True, url=url)
        deadline = time.monotonic() + self.timeout
        while not any(event.get("method") == "Page.loadEventFired" for event in self._events):
            self._events.append(self._next(deadline))

    def evaluate(self, expression):
        """The value of a JavaScript expression in the page, awaited if it is a promise."""
        result = self.call("Runtime.evaluate", session=True, expression=expression, awaitPromise=True,
                           returnByValue=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"in the page: {result['exceptionDetails']}")
        return result["result"].get("value")

    def move_mouse(self, x, y):
        self.call("Input.dispatchMouseEvent", session=True, type="mouseMoved", x=x, y=y)

    def screenshot(self):
        return base64.b64decode(self.call("Page.captureScreenshot", session=True, format="png")["data"])

    def __enter__(self):
        return self

    def __exit__(self, *_):
        try:
            self.call("Browser.close")
        except (RuntimeError, TimeoutError, OSError):
            self._process.kill()
        self._process.wait(timeout=self.timeout)
        os.close(self._to_browser)
        os.close(self._from_browser)
        self._profile.cleanup()


# For the walls page: its ready event (the value is the time it came, in milliseconds from the
# start of navigation) and the place on the screen of a point (β, α) of its plot.
WALLS_READY = """new Promise(done => document.documentElement.dataset.wallsReady ? done() :
    window.addEventListener("walls-ready", () => done(), {once: true}))
    .then(() => Number(document.documentElement.dataset.wallsReady))"""
WALLS_PLOT = 'Bokeh.documents[0].get_model_by_name("walls-plot")'
WALLS_SCREEN = f"""(([x, y]) => {{ const view = Bokeh.index.get_one({WALLS_PLOT})
    const box = view.el.getBoundingClientRect()
    return [box.left + view.frame.x_scale.compute(x), box.top + view.frame.y_scale.compute(y)] }})"""
AFTER_PAINT = "new Promise(done => requestAnimationFrame(() => requestAnimationFrame(() => done(true))))"
