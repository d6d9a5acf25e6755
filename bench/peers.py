#!/usr/bin/python3
"""Times the picture benchmark's operations in other image libraries, one thread each.

Run bench_picture first with VELLUMO_BENCH_DIR set, so that DIR/photo.jpg exists, then:
    bench/peers.py DIR
PIL runs in this process; vips and ImageMagick run as commands on their own
memory-mapped formats, and the time of a plain copy is subtracted."""
import os
import subprocess
import sys
import time

from PIL import Image, ImageFilter

folder = sys.argv[1]
photo = os.path.join(folder, "photo.jpg")
env = dict(os.environ, VIPS_CONCURRENCY="1", MAGICK_THREAD_LIMIT="1", OMP_NUM_THREADS="1")
SIGMA = 11 / (2 * 5.541263545158426) ** 0.5  # blur radius 10


def best(f, n=5):
    t = []
    for _ in range(n):
        s = time.perf_counter()
        f()
        t.append(time.perf_counter() - s)
    return min(t) * 1000


def run(cmd):
    subprocess.run(cmd, env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def command(cmd, baseline):
    return max(0.0, best(lambda: run(cmd)) - best(lambda: run(baseline)))


def p(name, ms):
    print(f"{name:24s} {ms:9.1f} ms")


img = Image.open(photo)
img.load()
small = img.resize((800, 600), Image.BILINEAR)
print("PIL")


def draft():
    i = Image.open(photo)
    i.draft("RGB", (img.width // 8, img.height // 8))
    i.load()


p("decode jpeg 1/8", best(draft))
p("shrink to 1600", best(lambda: img.resize((1600, 1200), Image.BOX)))
p("enlarge 800 to 3000", best(lambda: small.resize((3000, 2250), Image.BICUBIC)))
p("rotate 30", best(lambda: img.rotate(-30, Image.NEAREST, expand=True), 3))
p("blur radius 10", best(lambda: img.filter(ImageFilter.GaussianBlur(SIGMA)), 3))

v = os.path.join(folder, "photo.v")
v800 = os.path.join(folder, "small.v")
out = os.path.join(folder, "out.v")
tiny = os.path.join(folder, "tiny.png")
Image.new("RGB", (8, 8)).save(tiny)
run(["vips", "copy", photo, v])
small.save(os.path.join(folder, "small.png"))
run(["vips", "copy", os.path.join(folder, "small.png"), v800])
print("vips")
p("decode jpeg 1/8", command(["vips", "jpegload", photo, out, "--shrink", "8"], ["vips", "copy", tiny, out]))
p("shrink to 1600", command(["vips", "resize", v, out, "0.4", "--kernel", "linear"], ["vips", "copy", v, out]))
p("enlarge 800 to 3000", command(["vips", "resize", v800, out, "3.75", "--kernel", "cubic"], ["vips", "copy", v800, out]))
p("rotate 30", command(["vips", "rotate", v, out, "30", "--interpolate", "nearest"], ["vips", "copy", v, out]))
p("blur radius 10", command(["vips", "gaussblur", v, out, str(SIGMA)], ["vips", "copy", v, out]))

mpc = os.path.join(folder, "photo.mpc")
mpc800 = os.path.join(folder, "small.mpc")
outm = os.path.join(folder, "out.mpc")
run(["convert", photo, mpc])
run(["convert", os.path.join(folder, "small.png"), mpc800])
print("ImageMagick")
p("decode jpeg 1/8", command(["convert", "-define", "jpeg:size=500x375", photo, outm], ["convert", tiny, outm]))
p("shrink to 1600", command(["convert", mpc, "-filter", "box", "-resize", "1600x1200", outm], ["convert", mpc, outm]))
p("enlarge 800 to 3000", command(["convert", mpc800, "-filter", "catrom", "-resize", "3000x2250", outm], ["convert", mpc800, outm]))
p("rotate 30", command(["convert", mpc, "-interpolate", "nearest", "-rotate", "30", outm], ["convert", mpc, outm]))
p("blur radius 10", command(["convert", mpc, "-gaussian-blur", f"0x{SIGMA}", outm], ["convert", mpc, outm]))
