#!/usr/bin/env python3
"""camview serve's page in a real browser: Debian's Chromium, headless,
driven by chromedriver through Selenium, against camsim. Selenium over
chromedriver is what Debian packages (chromium-driver, python3-selenium),
and its execute_cdp_cmd reaches Chrome's DevTools input and emulation (mouse,
wheel, touch, a phone's screen) that the page's operations need.

usage: browser_test.py CAMVIEW CAMSIM    (exit 77: no browser here, skipped)
"""
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def eventually(check, seconds=15, what="condition"):
    end = time.time() + seconds
    while time.time() < end:
        value = check()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


class Camsim:
    def __init__(self, camsim, workdir, params):
        self.log = os.path.join(workdir, "camsim-%d.log" % free_port())
        self.proc = subprocess.Popen([camsim, "--log", self.log, "--fps", "5"] + params, stdout=subprocess.PIPE, text=True)
        self.base = re.search(r"http://127\.0\.0\.1:\d+", self.proc.stdout.readline()).group(0)

    def requests(self, part):
        try:
            with open(self.log) as f:
                return [json.loads(l)["target"] for l in f if part in l]
        except OSError:
            return []

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


class Service:
    def __init__(self, camview, workdir, args):
        self.port = free_port()
        env = fresh_home(workdir)
        self.out = open(os.path.join(workdir, "serve-%d.out" % self.port), "w+")
        listen = args.pop(0) if args and args[0].startswith("0.0.0.0") else "127.0.0.1"
        self.proc = subprocess.Popen([camview, "serve"] + args + ["--listen", "%s:%d" % (listen, self.port)],
                                     env=env, stdout=self.out, stderr=subprocess.STDOUT)

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        status = self.proc.wait(20)
        self.out.seek(0)
        assert status == 0, "camview serve ended with %d: %s" % (status, self.out.read())


def fresh_home(workdir):
    """camview's environment with its home and folders in workdir: no real user's files are touched."""
    env = dict(os.environ, VE_REGISTRY=os.path.join(workdir, "registry"), HOME=workdir)
    for name, folder in (("XDG_CONFIG_HOME", ".config"), ("XDG_DATA_HOME", ".local/share"),
                         ("XDG_CACHE_HOME", ".cache"), ("XDG_STATE_HOME", ".local/state")):
        env[name] = os.path.join(workdir, folder)
    env.pop("XDG_PICTURES_DIR", None)
    return env


def browser(width, height):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service as DriverService
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium")
    for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--ignore-certificate-errors",
              "--window-size=%d,%d" % (width, height)):
        options.add_argument(a)
    return webdriver.Chrome(service=DriverService(shutil.which("chromedriver")), options=options)


def mouse(driver, kind, x, y, button="left", **more):
    driver.execute_cdp_cmd("Input.dispatchMouseEvent", dict(type=kind, x=x, y=y, button=button,
                                                            clickCount=1 if kind != "mouseMoved" else 0, **more))


def touch(driver, x, y, hold=0.0):
    """A finger on the page at (x, y), lifted after `hold` seconds: a tap, or a press held."""
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", dict(type="touchStart", touchPoints=[dict(x=x, y=y)]))
    time.sleep(hold)
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", dict(type="touchEnd", touchPoints=[]))


def picture_point(driver, x, y, width, height):
    """The page's point over pixel (x, y) of the large picture, whose
    control is width x height."""
    # Once the picture has its size (its first part arrived and it was laid out).
    r = eventually(lambda: driver.execute_script(
        "const p = document.getElementById('picture'), b = p.getBoundingClientRect();"
        "return p.complete && p.naturalWidth && b.width > 100 ? [b.left, b.top, b.width, b.height] : null;"),
        what="the large picture's size")
    time.sleep(0.3)
    return r[0] + (x + 0.5) * r[2] / width, r[1] + (y + 0.5) * r[3] / height


def wait_pictures(driver, count):
    eventually(lambda: driver.execute_script(
        "const i = [...document.querySelectorAll('#wall img')];"
        "return i.length === arguments[0] && i.every(x => x.naturalWidth > 0);", count), what="the wall's pictures")


# Mean difference per channel between the painted picture on the wall and
# the camera's own last JPEG, over the middle of the picture (the control's
# label and status texts lie at its edges).
COMPARE = """
const done = arguments[arguments.length - 1];
const shown = document.querySelector('#wall img');
const own = new Image();
own.onload = () => {
  const w = own.naturalWidth, h = own.naturalHeight;
  const pixels = (img) => { const c = document.createElement('canvas'); c.width = w; c.height = h;
    const g = c.getContext('2d'); g.drawImage(img, 0, 0, w, h);
    return g.getImageData(w / 4, h / 4, w / 2, h / 2).data; };
  const a = pixels(shown), b = pixels(own);
  let sum = 0, spread = 0;
  for (let i = 0; i < a.length; i += 4) for (let k = 0; k < 3; ++k) { sum += Math.abs(a[i + k] - b[i + k]); spread += Math.abs(b[i + k] - b[k]); }
  done([sum / (a.length / 4 * 3), spread / (a.length / 4 * 3), shown.naturalWidth, w]);
};
own.src = '/cameras/0/snapshot.jpg?' + Date.now();
"""


def open_camera(driver, index):
    if not driver.find_element("id", "wall").is_displayed():
        driver.find_element("id", "back").click()
    driver.find_elements("css selector", "#wall figure")[index].click()
    eventually(lambda: driver.execute_script("return document.getElementById('picture').naturalWidth > 0"), what="large picture")


def hold_mouse(driver, escape=False):
    """The left button held still, let go; or, held, the camera closed with Esc before it is let go."""
    x, y = picture_point(driver, 160, 48, 320, 240)
    mouse(driver, "mouseMoved", x, y)
    mouse(driver, "mousePressed", x, y)
    time.sleep(1.5)
    if escape:
        driver.find_element("tag name", "body").send_keys("\ue00c")
    mouse(driver, "mouseReleased", x, y)


def touchpad_then_notch_out(driver, steps):
    """A touchpad's turn in (many small wheel steps close together), then a wheel's notch out once it zoomed."""
    x, y = picture_point(driver, 160, 120, 320, 240)
    for dy in steps:
        mouse(driver, "mouseWheel", x, y, deltaX=0, deltaY=dy)
    eventually(lambda: zoom_values(driver)[-1] != 1, what="the touchpad's zoom")
    time.sleep(0.5)  # past the turn
    mouse(driver, "mouseWheel", x, y, deltaX=0, deltaY=120)


def zoomed_and_stopped(camsim):
    """A check that, from now on, camsim is asked to zoom and then to stop."""
    before = len(camsim.requests("nphPtzf"))
    return lambda: (lambda sent: len(sent) >= 2 and "ZoomMag=32768&ZoomSpeed=0" in sent[-1])(camsim.requests("nphPtzf")[before:])


def zoom_values(driver):
    return [e.get("value") for e in zooming_events(driver, 0)]


def desktop(driver, base, centring, zooming):
    driver.get(base + "/")
    wait_pictures(driver, 2)
    difference, spread, shownWidth, ownWidth = driver.execute_async_script(COMPARE)
    assert shownWidth == ownWidth == 320, (shownWidth, ownWidth)
    # The picture is the camera's (not blank), as the control painted it.
    assert spread > 5 and difference < 12, "painted picture differs from the camera's: %.1f (spread %.1f)" % (difference, spread)

    open_camera(driver, 0)
    x, y = picture_point(driver, 100, 60, 320, 240)
    for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
        mouse(driver, kind, x, y)
    # The window would send the same pixel for the same click.
    eventually(lambda: centring.requests("NewPosition.x=100&NewPosition.y=60"), what="the centre request")
    message = eventually(lambda: driver.find_element("id", "message").text, what="the Message text")
    before = len(zooming_events(driver, 0))
    mouse(driver, "mouseWheel", x, y, deltaX=0, deltaY=-120)
    eventually(lambda: [v for v in zoom_values(driver)[before:] if v > 1], what="DZoomMagChanged")
    # And out again: a zoomed picture takes a click as a pan, not a centring.
    before = len(zooming_events(driver, 0))
    mouse(driver, "mouseWheel", x, y, deltaX=0, deltaY=120)
    eventually(lambda: [v for v in zoom_values(driver)[before:] if v == 1], what="DZoomMagChanged back")
    driver.find_element("tag name", "body").send_keys("\ue00c")  # Esc: back to the wall
    eventually(lambda: driver.find_element("id", "wall").is_displayed(), what="the wall again")
    # Opened again, the camera shows the Message text it said before.
    open_camera(driver, 0)
    assert driver.find_element("id", "message").text == message, "the Message text is lost when the camera is opened again"

    # Gestures on the large picture, each with the camera it is made on and
    # what that camera's simulator (or the events) must then show.
    gestures = (
        # The notch out is back to 1 only when the turn was one notch.
        ("a touchpad's turn of small steps is one notch", 0, lambda: touchpad_then_notch_out(driver, [-12] * 8),
         lambda: zoom_values(driver)[-1] == 1),
        ("a mouse held still is the right button: the camera zooms, and stops when let go", 1, lambda: hold_mouse(driver),
         zoomed_and_stopped(zooming)),
        ("a camera closed while held down is let go", 1, lambda: hold_mouse(driver, escape=True), zoomed_and_stopped(zooming)),
    )
    for name, camera, gesture, check in gestures:
        open_camera(driver, camera)
        gesture()
        eventually(check, what=name)


def zooming_events(driver, camera):
    return driver.execute_script("return window.camviewEvents.filter(e => e.camera === arguments[0] && "
                                 "e.event === 'DZoomMagChanged')", camera)


def fingers(driver, kind, points):
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", dict(type=kind, touchPoints=[dict(x=x, y=y) for x, y in points]))


def hold_then_pinch(driver):
    """A press held until it is the right button, then a second finger: the pinch takes over and the button is let go."""
    x, y = picture_point(driver, 160, 48, 320, 240)
    fingers(driver, "touchStart", [(x, y)])
    time.sleep(1.2)
    fingers(driver, "touchStart", [(x, y), (x + 40, y + 40)])
    fingers(driver, "touchMove", [(x, y), (x + 45, y + 45)])
    fingers(driver, "touchEnd", [])


def tap_figure(driver, index):
    r = driver.find_elements("css selector", "#wall figure")[index].rect
    touch(driver, r["x"] + r["width"] / 2, r["y"] + 20)
    eventually(lambda: driver.execute_script("return document.getElementById('picture').naturalWidth > 0"), what="large on a tap")


def phone(driver, base, centring, zoom):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", dict(width=375, height=667, deviceScaleFactor=2, mobile=True))
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", dict(enabled=True, maxTouchPoints=5))
    driver.get(base + "/")
    wait_pictures(driver, 2)
    tap_figure(driver, 1)
    # Press and hold: the right button, held; the camera's zoom is driven, and stopped when let go.
    for name, gesture in (("a press held", lambda: touch(driver, *picture_point(driver, 160, 48, 320, 240), hold=1.5)),
                          ("a press held, then a pinch", lambda: hold_then_pinch(driver))):
        check = zoomed_and_stopped(zoom)
        gesture()
        eventually(check, what="the zoom commands, then the stop, after " + name)
    # A tap on the first camera centres it.
    driver.find_element("id", "back").click()
    tap_figure(driver, 0)
    before = len(centring.requests("NewPosition.x=100&NewPosition.y=60"))
    x, y = picture_point(driver, 100, 60, 320, 240)
    touch(driver, x, y)
    eventually(lambda: len(centring.requests("NewPosition.x=100&NewPosition.y=60")) > before,
               what="the centre request from a tap (%s)" % centring.requests("NewPosition"))


def login(driver, camview, camsim_base, workdir):
    key, cert, users = (os.path.join(workdir, n) for n in ("key.pem", "cert.pem", "users"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "1",
                    "-subj", "/CN=localhost"], check=True, capture_output=True)
    subprocess.run([camview, "serve", "--add-user", "anna", "--users", users], input="correct horse\n", text=True,
                   check=True, capture_output=True, env=fresh_home(workdir))
    service = Service(camview, workdir, ["0.0.0.0", camsim_base + "/ImageViewer", "--cert", cert, "--key", key,
                                         "--users", users])
    try:
        base = "https://127.0.0.1:%d" % service.port
        eventually(lambda: _answers(base), what="the TLS service")
        driver.get(base + "/")
        assert driver.current_url.endswith("/login"), driver.current_url
        driver.find_element("name", "user").send_keys("anna")
        driver.find_element("name", "password").send_keys("wrong horse\n")
        assert "/login" in driver.current_url
        driver.find_element("name", "user").send_keys("anna")
        driver.find_element("name", "password").send_keys("correct horse\n")
        wait_pictures(driver, 1)
        # The session's cookie is not the page's to read.
        assert "camview_session" not in driver.execute_script("return document.cookie")
        assert driver.find_element("id", "logout").is_displayed()
    finally:
        service.stop()


def _answers(base):
    import ssl
    import urllib.request
    try:
        urllib.request.urlopen(base + "/login", timeout=2, context=ssl._create_unverified_context())
        return True
    except OSError:
        return False


def main():
    camview, camsim = sys.argv[1], sys.argv[2]
    try:
        import selenium  # noqa: F401
    except ImportError:
        print("no python3-selenium: skipped")
        return SKIP
    if not shutil.which("chromium") or not shutil.which("chromedriver"):
        print("no chromium or chromium-driver: skipped")
        return SKIP
    workdir = tempfile.mkdtemp(prefix="browser-test-")
    centring = Camsim(camsim, workdir, ["--param", "ClickAndCenter=Real", "--param", "DigitalZoom=Enable"])
    zoom = Camsim(camsim, workdir, ["--param", "ControlZoom=Enable"])
    service = Service(camview, workdir, [centring.base + "/ImageViewer", zoom.base + "/ImageViewer"])
    base = "http://127.0.0.1:%d" % service.port
    failures = 0
    try:
        eventually(lambda: json.loads(subprocess.run(["curl", "-s", base + "/cameras"], capture_output=True, text=True).stdout
                                      or "{}").get("cameras"), what="the service")
        for name, size, run in (("desktop", (1280, 900), lambda d: desktop(d, base, centring, zoom)),
                                ("phone", (375, 667), lambda d: phone(d, base, centring, zoom)),
                                ("login over TLS", (1280, 900), lambda d: login(d, camview, centring.base, workdir))):
            driver = browser(*size)
            try:
                run(driver)
                print("ok: " + name)
            except Exception as e:  # one failure does not hide the others
                failures += 1
                print("FAILED: %s: %r" % (name, e))
                for entry in driver.get_log("browser")[-10:]:
                    print("  console: " + entry.get("message", ""))
            finally:
                driver.quit()
        service.stop()
    finally:
        if service.proc.poll() is None:
            service.proc.kill()
        centring.stop()
        zoom.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
