#!/usr/bin/env python3
"""Package-load benchmark: builds a large package with bwpack (noise images
that fill texture pages, plus bulk code text) and runs each given runner on
it, printing the time to the first drawn frame and the runner's peak
resident memory (VmHWM: the high-water mark the kernel reports when the
process ends). The runners take turns, BW_BENCH_RUNS rounds (default 5),
so that a busy machine slows each alike; the fastest start of each counts.

    package_load.py WORK_DIR BWPACK RUNNER [RUNNER...]

The images do not compress, so the package is about as large as the
textures it holds: the worst case for holding both at once.
"""
import os
import random
import struct
import subprocess
import sys
import time
import zlib

IMAGES = 12
SIDE = 2047  # with bwpack's 1-pixel gap, four images fill a 4096 x 4096 page
BULK_SCRIPTS = 32
BULK_BYTES_PER_SCRIPT = 192 * 1024
MARKER = "bench: first frame"


def write_png(path, width, height, rng):
    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    row_bytes = width * 4
    raw = bytearray()
    for _ in range(height):
        raw += b"\x00" + rng.randbytes(row_bytes)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(bytes(raw), 1)))
        out.write(chunk(b"IEND", b""))


def write_project(folder):
    os.makedirs(os.path.join(folder, "art"), exist_ok=True)
    os.makedirs(os.path.join(folder, "code"), exist_ok=True)
    rng = random.Random(1)
    backgrounds = []
    draws = []
    for i in range(IMAGES):
        name = "bg_%d" % i
        write_png(os.path.join(folder, "art", name + ".png"), SIDE, SIDE, rng)
        backgrounds.append('{ "name": "%s", "image": "art/%s.png" }' % (name, name))
        draws.append("draw_background_stretched(%s, %d, 0, 64, 64);" % (name, i * 64))
    scripts = []
    comment = "// " + "x" * 125 + "\n"
    for i in range(BULK_SCRIPTS):
        name = "scr_bulk_%d" % i
        with open(os.path.join(folder, "code", name + ".bwl"), "w") as out:
            out.write(comment * (BULK_BYTES_PER_SCRIPT // len(comment)))
            out.write("return %d;\n" % i)
        scripts.append('{ "name": "%s", "file": "code/%s.bwl" }' % (name, name))
    with open(os.path.join(folder, "code", "draw.bwl"), "w") as out:
        out.write("\n".join(draws) + '\nshow_debug_message("%s");\n' % MARKER)
    with open(os.path.join(folder, "game.json"), "w") as out:
        out.write(
            '{ "name": "package_load", "window": { "width": 1024, "height": 768 },\n'
            '  "backgrounds": [ %s ],\n'
            '  "scripts": [ %s ],\n'
            '  "objects": [ { "name": "obj_draw", "events": { "draw": "code/draw.bwl" } } ],\n'
            '  "rooms": [ { "name": "rm", "width": 1024, "height": 768,\n'
            '               "instances": [ { "object": "obj_draw", "x": 0, "y": 0 } ] } ] }\n'
            % (",\n    ".join(backgrounds), ",\n    ".join(scripts)))


def run(runner, package):
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen", BW_TEST_FRAMES="2")
    start = time.monotonic()
    process = subprocess.Popen([runner, "-game", package, "-noaudio", "-noerrors"], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, env=env, text=True)
    first_frame = None
    for line in process.stdout:
        if first_frame is None and MARKER in line:
            first_frame = time.monotonic() - start
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    return first_frame, usage.ru_maxrss / 1024.0, process.returncode


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    work, bwpack, runners = sys.argv[1], sys.argv[2], sys.argv[3:]
    project = os.path.join(work, "project")
    package = os.path.join(work, "package_load.win")
    if not os.path.exists(package):
        write_project(project)
        subprocess.run([bwpack, project, "-o", package], check=True, stdout=subprocess.DEVNULL)
    size = os.path.getsize(package) / 2**20
    pages = IMAGES // 4
    textures = pages * 4096 * 4096 * 4 / 2**20
    print("package %.0f MiB; %d texture pages of 4096 x 4096 (%.0f MiB of texels)" % (size, pages, textures))
    results = {runner: [] for runner in runners}
    for _ in range(int(os.environ.get("BW_BENCH_RUNS", "5"))):
        for runner in runners:
            results[runner].append(run(runner, package))
    print("%-44s %14s %14s %10s" % ("runner", "first frame s", "VmHWM MiB", "x package"))
    for runner, runs in results.items():
        starts = [first_frame for first_frame, _, _ in runs if first_frame is not None]
        shown = "%.2f" % min(starts) if starts else "none (exit %d)" % runs[-1][2]
        peak = max(peak for _, peak, _ in runs)
        print("%-44s %14s %14.0f %10.2f" % (runner[-44:], shown, peak, peak / size))
    print("goal: VmHWM at most 1.5 x package + textures = %.0f MiB" % (1.5 * size + textures))


if __name__ == "__main__":
    main()
